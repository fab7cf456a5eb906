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
    // WavFile holds what it held before and nothing else is left behind.
    WaveOutcome MakeFile(const std::string& WavFile, const int32_t& Tempo);

private:
    void Render(const std::string& WavFile, int32_t tempo);
    int32_t CountSteps(int32_t tempo);
    void LoadSamples();
    void RenderStep(WaveOutputFile& out, int32_t tempo);
    int64_t SoundLength(int32_t tempo);
    void RaiseProgress(int32_t stepsDone, double progressFactor);
    const WaveSample* SampleFor(const std::string& symbol) const;

    std::filesystem::path sampleFolder;
    EventPump pendingEvents;
    ProgressHandler progress;
    CTrackList track;
    std::array<WaveSample, RhythmSounds::Files.size()> samples;
};
