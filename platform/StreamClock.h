#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Maps the frames of a sound stream onto the tick clock (milliseconds). The stream reports, once
// per buffer, the frame the buffer starts with and the tick at which the device expects to play
// it: the moment of the report plus the device's own estimate of the delay until then. Because
// the delay is measured at the moment of the report, a late audio thread does not make the report
// late; what remains is the estimate's noise, a few hundredths of a millisecond either way, and a
// slow wandering as the sound server smooths its timing. The clock therefore averages the reports
// of every quarter second and fits a straight line through those averages over the last half
// minute: the line moves by a fraction of a sample from one quarter second to the next, yet
// follows the device's sample clock, which may run a few hundred ppm off the system clock.
class StreamClock {
public:
    explicit StreamClock(double framesPerSecond);

    void Observe(int64_t frame, double ms);

    bool Valid() const { return started; }
    // The line rests on enough of a steady run to place clicks to the sample. It stays settled
    // until the stream breaks off.
    bool Settled() const { return settled; }
    double FrameAt(double ms) const {
        return static_cast<double>(refFrame) + (ms - refMs) / msPerFrame;
    }
    double MsPerFrame() const { return msPerFrame; }
    // The rate of the line when the clock last was settled (the nominal rate before that): the
    // first seconds of a stream may bend its line by hundreds of ppm, a device's rate does not
    // change.
    double SettledMsPerFrame() const { return settledMsPerFrame; }
    // How often the stream broke off (a stall, an underrun) and the fit started over.
    int64_t Restarts() const { return restarts; }

    static constexpr double WindowMs = 250.0;
    static constexpr std::size_t MaxPoints = 120;
    // Ten seconds of points, without a bend, pin the slope to a ppm or two.
    static constexpr std::size_t SettlePoints = 40;
    // Fewer points than this, spanning under two seconds, leave the slope as it was: over a
    // shorter span the estimate's noise would tilt it by tens of ppm.
    static constexpr std::size_t SlopePoints = 8;
    // A report this far off the line is no noise but a stream that moved; a window in which most
    // reports are that far off counts as a break, and two such windows in a row start the fit
    // over.
    static constexpr double BreakMs = 2.0;
    static constexpr int BreaksBeforeRestart = 2;
    // From this many points on, the older and the newer half of them must agree on the slope to
    // within BendTolerance (relative) for the clock to settle; over five seconds each, the noise
    // of the estimates tilts either half by two or three ppm.
    static constexpr std::size_t BendPoints = 40;
    static constexpr double BendTolerance = 10e-6;
    // No real device runs this far off its nominal rate; a wilder fit is held inside it.
    static constexpr double MaxRateDeviation = 0.005;

private:
    struct Point {
        int64_t frame = 0;
        double ms = 0.0;
    };
    // The reports of one quarter second, those on the line and those off it apart, summed
    // relative to the window's first report.
    struct Window {
        double startMs = 0.0;
        Point base;
        double onFrames = 0.0, onMs = 0.0;
        int on = 0;
        double offFrames = 0.0, offMs = 0.0;
        int off = 0;
    };

    double Residual(const Point& p) const {
        return p.ms - refMs - static_cast<double>(p.frame - refFrame) * msPerFrame;
    }
    void OpenWindow(const Point& p);
    void CloseWindow();
    void Add(const Point& p);
    void Restart(const Point& p);
    void DropBend();
    bool Bent() const;
    struct Line {
        double meanX = 0.0;
        double meanY = 0.0;
        double slope = 0.0;
    };
    Line LeastSquares(std::size_t from, std::size_t n, const Point& origin) const;
    double Slope(std::size_t from, std::size_t n) const;
    void Fit();

    double nominalMsPerFrame;
    double msPerFrame;
    double settledMsPerFrame;
    int64_t refFrame = 0;
    double refMs = 0.0;
    bool started = false;
    bool primed = false;
    bool settled = false;
    Window window;
    std::array<Point, MaxPoints> points{};
    std::size_t first = 0;
    std::size_t count = 0;
    int breaks = 0;
    int64_t restarts = 0;
};
