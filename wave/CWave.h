#pragma once

#include "CTrackList.h"
#include "RhythmSounds.h"
#include "WaveOutcome.h"
#include "WaveSample.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

class WaveOutputFile;

// The wave renderer: turns one pass of its own cursor's rhythm, at one fixed tempo, into a mono,
// 16-bit, 44100 Hz PCM WAV file, by copying the start of the sample file of each sounding step
// and filling the rest of the step, and of the rests it rings through, with silence. One object
// serves one export.
class CWave {
public:
    // Delivers the window's pending messages, so that the percentage repaints during a render.
    using EventPump = std::function<void()>;
    using ProgressHandler = std::function<void(int32_t& percent)>;

    // The sample files are read from `sampleFolder`, which is never written to.
    explicit CWave(std::filesystem::path sampleFolder, EventPump pendingEvents = {});

    CTrackList& Track() { return track; }
    const CTrackList& Track() const { return track; }

    // Handler of the Progress event, raised after every step with 0 ... 100.
    void OnProgress(ProgressHandler handler) { progress = std::move(handler); }

    // Renders Track's rhythm at Tempo into WavFile. On success the file is complete; on failure
    // WavFile holds what it held before and nothing else is left behind. A pass of more steps
    // than the step count's 32 bits hold is refused before anything is read or written.
    WaveOutcome MakeFile(const std::string& WavFile, const int32_t& Tempo);

    // Ends a render under way at its next step, as a failure with WaveError::Cancelled; meant to
    // be called from the pending events (the program is asked to end).
    void Cancel() { cancelled = true; }

    // The most steps of one pass. A pass that fits a wave file has at most about 3.3 million steps
    // at the engine's highest tempo (every step after the first sound takes at least a 1/99 note),
    // so only passes of millions of rests before their first sound, or ones too long anyway, reach
    // this; walking them would take minutes.
    static constexpr int64_t MaxStepsPerPass = int64_t{1} << 24;
    // Steps walked between two deliveries of the pending events while a pass is measured, and at
    // most while it is rendered.
    static constexpr int32_t MeasuringStride = 1 << 16;
    static constexpr int32_t RenderingStride = 1 << 10;

private:
    void Render(const std::string& WavFile, int32_t tempo);
    int32_t CountSteps(int32_t tempo);
    void LoadSamples();
    void RenderStep(WaveOutputFile& out, int32_t tempo);
    int64_t SoundLength(int32_t tempo);
    void RaiseProgress(int32_t stepsDone, double progressFactor);
    void DeliverPendingEvents();
    const WaveSample* SampleFor(const std::string& symbol);
    std::string SilentSamplesUsed() const;

    std::filesystem::path sampleFolder;
    EventPump pendingEvents;
    ProgressHandler progress;
    CTrackList track;
    std::array<WaveSample, RhythmSounds::Files.size()> samples;
    // The samples that the rhythm sounded.
    std::array<bool, RhythmSounds::Files.size()> sampleUsed{};
    bool cancelled = false;
    int32_t lastPercent = -1;
};
