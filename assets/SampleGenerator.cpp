// Makes the four sample files that the program plays and exports, at build time, into the folder
// given on the command line. Every sound is synthesized from decaying resonances and filtered
// noise with a fixed seed, so the files come out byte for byte the same on every build.
//
// Each file holds exactly one word more than the wave export copies of it, the first word being
// silence: the export skips word 0 and then copies the whole sound, so the exported clicks are the
// ones heard live.

#include "Biquad.h"
#include "RhythmSounds.h"
#include "SampleFile.h"
#include "WhiteNoise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double Rate = SampleFile::FramesPerSecond;
constexpr double TwoPi = 2.0 * std::numbers::pi;
// Peaks at -3 dBFS leave room for the cut-off sample's fade to overlap the next one.
constexpr double PeakLevel = 0.70795;

using Signal = std::vector<double>;

double Seconds(std::size_t i) {
    return static_cast<double>(i) / Rate;
}

// A struck resonance: a sine that starts at its zero crossing and dies away exponentially.
struct Mode {
    double hz;
    double decay;
    double level;
};

void AddModes(Signal& s, std::initializer_list<Mode> modes) {
    for (const Mode& m : modes) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            const double t = Seconds(i);
            s[i] += m.level * std::exp(-t / m.decay) * std::sin(TwoPi * m.hz * t);
        }
    }
}

// A burst of filtered noise with an exponential envelope.
void AddNoise(Signal& s, WhiteNoise& noise, std::initializer_list<Biquad> filters, double decay,
              double level) {
    std::vector<Biquad> chain(filters);
    for (std::size_t i = 0; i < s.size(); ++i) {
        double x = noise.Next();
        for (Biquad& f : chain) {
            x = f.Step(x);
        }
        s[i] += level * std::exp(-Seconds(i) / decay) * x;
    }
}

// Half-cosine ramps: the sound rises from exact silence and falls back to it, so that neither its
// start nor its end (nor the cut of a rest that follows) clicks.
void Ramps(Signal& s, double riseSeconds, double fallSeconds) {
    const auto rise = static_cast<std::size_t>(riseSeconds * Rate);
    const auto fall = static_cast<std::size_t>(fallSeconds * Rate);
    for (std::size_t i = 0; i < rise && i < s.size(); ++i) {
        s[i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(i) /
                                     static_cast<double>(rise));
    }
    for (std::size_t j = 0; j < fall && j < s.size(); ++j) {
        const std::size_t i = s.size() - 1 - j;
        s[i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(j) /
                                     static_cast<double>(fall));
    }
}

// Takes out the mean with a Hann-shaped correction, which leaves both ends at zero and lies far
// below anything audible.
void RemoveDc(Signal& s) {
    double mean = 0.0;
    double windowMean = 0.0;
    std::vector<double> window(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        window[i] = 0.5 - 0.5 * std::cos(TwoPi * static_cast<double>(i) /
                                         static_cast<double>(s.size() - 1));
        mean += s[i];
        windowMean += window[i];
    }
    const double scale = mean / windowMean;
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] -= scale * window[i];
    }
}

std::vector<int16_t> Finish(Signal s) {
    RemoveDc(s);
    double peak = 0.0;
    for (const double x : s) {
        peak = std::max(peak, std::abs(x));
    }
    std::vector<int16_t> words(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        words[i] = static_cast<int16_t>(std::lround(s[i] / peak * PeakLevel * 32767.0));
    }
    return words;
}

// "x": a clear, woody click, a wood block struck hard: a bright knock of noise and the block's
// inharmonic modes, the lowest near 1.2 kHz, gone within a tenth of a second.
std::vector<int16_t> Boom(std::size_t words) {
    Signal s(words);
    AddModes(
        s,
        {{1180.0, 0.030, 1.0}, {1960.0, 0.016, 0.55}, {3340.0, 0.007, 0.35}, {650.0, 0.018, 0.22}});
    WhiteNoise noise;
    AddNoise(s, noise, {Biquad(Biquad::Kind::BandPass, Rate, 2500.0, 0.9)}, 0.0012, 1.6);
    Ramps(s, 0.0003, 0.020);
    return Finish(std::move(s));
}

// "'": a softer, higher tick, a light tap on the edge of the block: small modes above 2.5 kHz that
// die within a few milliseconds, with a gentler attack.
std::vector<int16_t> Boomi(std::size_t words) {
    Signal s(words);
    AddModes(s, {{2650.0, 0.0035, 1.0}, {4350.0, 0.0020, 0.45}, {6100.0, 0.0012, 0.2}});
    WhiteNoise noise;
    AddNoise(s, noise, {Biquad(Biquad::Kind::HighPass, Rate, 3000.0, 0.7)}, 0.0006, 0.5);
    Ramps(s, 0.0008, 0.004);
    return Finish(std::move(s));
}

// "#": a bass drum: a sine whose pitch falls from about 150 Hz to 50 Hz, slightly saturated for
// punch, with the beater's click on top.
std::vector<int16_t> BassDrum(std::size_t words) {
    Signal s(words);
    double phase = 0.0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = Seconds(i);
        const double hz = 50.0 + 100.0 * std::exp(-t / 0.040);
        phase += TwoPi * hz / Rate;
        const double body = std::exp(-t / 0.180) * std::sin(phase);
        s[i] = std::tanh(1.8 * body) / std::tanh(1.8);
    }
    WhiteNoise noise;
    AddNoise(s, noise, {Biquad(Biquad::Kind::BandPass, Rate, 3000.0, 0.8)}, 0.0015, 0.9);
    AddModes(s, {{1600.0, 0.0025, 0.25}});
    Ramps(s, 0.0004, 0.080);
    return Finish(std::move(s));
}

// "^": a snare: the drum head's two lowest modes under a burst of bright noise from the wires,
// which rings on after the head has stopped.
std::vector<int16_t> Snare(std::size_t words) {
    Signal s(words);
    AddModes(s, {{185.0, 0.060, 0.7}, {330.0, 0.035, 0.45}, {520.0, 0.020, 0.15}});
    WhiteNoise noise;
    AddNoise(s, noise,
             {Biquad(Biquad::Kind::HighPass, Rate, 1400.0, 0.7),
              Biquad(Biquad::Kind::LowPass, Rate, 9000.0, 0.7)},
             0.110, 0.8);
    AddNoise(s, noise, {Biquad(Biquad::Kind::BandPass, Rate, 4500.0, 1.2)}, 0.008, 1.2);
    Ramps(s, 0.0004, 0.090);
    return Finish(std::move(s));
}

using Maker = std::function<std::vector<int16_t>(std::size_t)>;

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    // In the order of RhythmSounds::Files; each file holds one word more than the export copies.
    const std::array<Maker, RhythmSounds::Files.size()> makers{Boom, Boomi, BassDrum, Snare};
    for (std::size_t i = 0; i < makers.size(); ++i) {
        const auto path = folder / RhythmSounds::Files[i];
        const auto words = static_cast<std::size_t>(RhythmSounds::ExportSamples[i]) + 1;
        if (!SampleFile::Write(path, makers[i](words))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
