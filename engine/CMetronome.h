#pragma once

#include "CMetronomeEvents.h"
#include "CTrackList.h"
#include "CWave.h"
#include "SoundOutput.h"
#include "TickSource.h"
#include "WaveOutcome.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

// The beat engine: keeps the tempo, decides on every Pulse whether the next step of the rhythm is
// due, plays its sample, runs the pause cycle and the accelerando, and schedules the following step
// on a fixed grid of due times. It has no thread or timer of its own; the owner's loop calls Pulse
// about once per millisecond.
class CMetronome {
public:
    CMetronome(TickSource& ticks, SoundOutput& sound);

    void Events(CMetronomeEvents* listener) { events = listener ? listener : &silent; }

    CTrackList& Track() { return *track; }
    const CTrackList& Track() const { return *track; }

    void Enable(bool vData);
    bool Enable() const { return enable; }
    void BPM(int32_t vData);
    int32_t BPM() const;
    int32_t BpmTime();
    void SoundSec(int32_t vData);
    int32_t SoundSec() const { return soundSec; }
    void PauseSec(int32_t vData);
    int32_t PauseSec() const { return pauseSec; }
    void Pause(bool vData);
    bool Pause() const { return pause; }
    void AcelValue(double vData);
    double AcelValue() const { return acelValue; }
    bool Accelerando() const { return accelerando; }

    void Pulse();
    void Switch() { Enable(!enable); }
    void PauseSwitch() { Pause(!pause); }
    void AccelerandoBegin(double acVal);
    void DisableAccelerando();
    double msBetweenBeat() const;

    // Renders one pass of the current rhythm at the current tempo into FileName, raising Progress
    // after every step. The outcome names the file and, on failure, the reason.
    WaveOutcome ExportWave(const std::string& FileName);
    bool Exporting() const { return Wave != nullptr; }
    // Stops an export under way at its next step (the program is asked to end); nothing without
    // one.
    void CancelExport() {
        if (Wave) {
            Wave->Cancel();
        }
    }
    // Where the export reads its sample files; empty means the program's data folder.
    void SampleFolder(std::filesystem::path vData) { sampleFolder = std::move(vData); }
    const std::filesystem::path& SampleFolder() const { return sampleFolder; }
    // Lets the window deliver its pending messages between the steps of an export.
    void PendingEvents(CWave::EventPump vData) { pendingEvents = std::move(vData); }

    // The due tick of the next step and the exact tempo; for the display and for tests.
    double NextBeatTime() const { return nextBeatTime; }
    // The earliest tick at which Pulse has something to do: the next step, or a turn of the pause
    // cycle that comes before it. Meaningful only while the engine is on.
    double NextDueTick() const;
    double Tempo() const { return tempo; }

    static constexpr int32_t MinBpm = 15;
    static constexpr int32_t MaxBpm = 320;
    static constexpr double MaxAcelValue = 50.0;
    static constexpr int LookAheadLimit = 10000;

private:
    bool CycleSounding() const { return !(pause && inSilence); }
    void UpdatePauseCycle(int32_t now);
    void PlayDueStep(int32_t now);
    void ApplyTempoFactor();
    void PlayMainBeat(std::string_view sample, double dueTick);
    void PlaySubdivision(std::string_view sample, double dueTick);
    bool StepAccelerando();
    double BeatSpan();
    void ScheduleNextStep(int32_t now);
    void Wave_Progress(int32_t& percent);

    TickSource& ticks;
    SoundOutput& sound;
    CMetronomeEvents silent;
    CMetronomeEvents* events = &silent;
    std::unique_ptr<CTrackList> track;

    double tempo = 0.0;
    bool enable = false;
    bool pause = false;
    int32_t soundSec = 20;
    int32_t pauseSec = 4;
    double acelValue = 0.0;
    bool accelerando = false;
    double nextBeatTime = 0.0;
    int32_t tempoSetTick = 0;
    int32_t cycleStartTick = 0;
    bool inSilence = false;
    int32_t acelStartTick = 0;
    int32_t acelBaseBpm = 0;

    // The renderer of the export in progress; empty outside an export.
    std::unique_ptr<CWave> Wave;
    std::filesystem::path sampleFolder;
    CWave::EventPump pendingEvents;
};
