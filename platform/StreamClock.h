#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Maps the frames of a sound stream onto the tick clock (milliseconds). The stream reports, once
// per buffer, the frame the buffer starts with and the tick at which the device asked for it. The
// device asks as soon as it has room, never earlier, but the audio thread may answer late, so
// each report is the truth plus a delay of anything from nothing to many milliseconds. The clock
// therefore keeps, of every quarter second, only the report that lies earliest against its line,
// and fits a straight line through those over the last half minute: the line moves by a fraction
// of a sample from one quarter second to the next, yet follows the device's sample clock, which
// may run a few hundred ppm off the system clock.
class StreamClock {
public:
    explicit StreamClock(double framesPerSecond);

    void Observe(int64_t frame, double ms);

    bool Valid() const { return started; }
    // The line rests on enough of a steady run to place clicks to the sample.
    bool Settled() const { return started && count >= SettlePoints; }
    double FrameAt(double ms) const {
        return static_cast<double>(refFrame) + (ms - refMs) / msPerFrame;
    }
    double MsPerFrame() const { return msPerFrame; }
    // How often the stream broke off (a stall, an underrun) and the fit started over.
    int64_t Restarts() const { return restarts; }

    static constexpr double WindowMs = 250.0;
    static constexpr std::size_t MaxPoints = 120;
    static constexpr std::size_t SettlePoints = 12;
    // Fewer points than this, spanning well under a second, leave the slope as it was.
    static constexpr std::size_t SlopePoints = 4;
    // The earliest report of a whole window this far off the line is no delay but a stream that
    // moved; two such windows in a row start the fit over.
    static constexpr double BreakMs = 2.0;
    static constexpr int BreaksBeforeRestart = 2;
    // No real device runs this far off its nominal rate; a wilder fit is held inside it.
    static constexpr double MaxRateDeviation = 0.005;

private:
    struct Point {
        int64_t frame = 0;
        double ms = 0.0;
    };

    double Residual(const Point& p) const {
        return p.ms - refMs - static_cast<double>(p.frame - refFrame) * msPerFrame;
    }
    void CloseWindow();
    void Restart(const Point& p);
    void Fit();

    double nominalMsPerFrame;
    double msPerFrame;
    int64_t refFrame = 0;
    double refMs = 0.0;
    bool started = false;
    double windowStartMs = 0.0;
    Point candidate;
    std::array<Point, MaxPoints> points{};
    std::size_t first = 0;
    std::size_t count = 0;
    int breaks = 0;
    int64_t restarts = 0;
};
