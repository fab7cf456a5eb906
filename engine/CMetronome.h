#pragma once

#include "CMetronomeEvents.h"
#include "CTrackList.h"
#include "CWave.h"
#include "SoundOutput.h"
#include "TickSource.h"
#include "WaveOutcome.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

// The beat engine: keeps the tempo, walks the rhythm one step at a time on a fixed grid of due
// frames, plays each step's sample, runs the pause cycle and the accelerando, and reports through
// events.
//
// The steps are computed ahead: each Pulse hands the sound output every step due within Horizon of
// the play position, with its exact frame, so a caller that comes late by less than that costs
// nothing. The engine keeps two courses of the beat: the one heard, which its properties report
// and its commands change, and the one laid ahead. A step's events are raised when its frame is
// played, by running it once more on the heard course; a command withdraws the steps laid ahead
// and lays them again from the heard course, so it takes effect from the first step not yet heard.
class CMetronome {
public:
    // How far ahead of the play position steps are handed to the sound output.
    static constexpr int64_t Horizon = TickSource::FramesPerSecond * 4 / 10;

    CMetronome(TickSource& ticks, SoundOutput& sound);

    void Events(CMetronomeEvents* listener) { events = listener ? listener : &silent; }

    // The cursor of the heard course. Taking it to change the rhythm withdraws the steps laid
    // ahead; the next Pulse lays them again from the changed cursor.
    CTrackList& Track();
    const CTrackList& Track() const { return heard.track; }

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

    // Raises the events of the steps heard by now and lays the steps ahead up to the horizon.
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

    // A step's events are raised this many frames before it is heard: what they change on screen
    // takes about that long to reach the screen.
    void ShowAhead(int64_t frames) { showAhead = frames; }

    // The due frame of the next step not yet heard, and the exact tempo of the heard course.
    double NextBeatFrame() const { return heard.nextBeatFrame; }
    double Tempo() const { return heard.tempo; }
    // The frame at which Pulse has something to do next: a laid step is heard, or the next step
    // comes within the horizon. Meaningful only while the engine is on.
    int64_t NextWakeFrame() const;

    static constexpr int32_t MinBpm = 15;
    static constexpr int32_t MaxBpm = 320;
    static constexpr double MaxAcelValue = 50.0;
    static constexpr int LookAheadLimit = 10000;

private:
    // Everything a step changes. Times are frames of the tick source.
    struct Course {
        CTrackList track;
        double tempo = 0.0;
        double tempoSetFrame = 0.0;
        double cycleStartFrame = 0.0;
        bool inSilence = false;
        double acelStartFrame = 0.0;
        int32_t acelBaseBpm = 0;
        double nextBeatFrame = 0.0;
    };
    // A step handed to the sound output: the frame its sample starts on, and the time it was
    // computed for (its due time, or later if it could not be laid in time).
    struct LaidStep {
        int64_t frame = 0;
        double at = 0.0;
    };
    // Steps are at least 7.5 ms apart, so the horizon never holds more than these.
    static constexpr std::size_t MaxLaid = 128;

    void Amend();
    void Relay();
    void CommitUntil(int64_t frame);
    void LayAhead(int64_t now);
    int RunStep(Course& course, double at, bool raise);
    void UpdatePauseCycle(Course& course, double at) const;
    void SetTempo(Course& course, int32_t bpm, double at) const;
    void ApplyTempoFactor(Course& course, double at, bool raise);
    bool StepAccelerando(Course& course, double at) const;
    static double BeatSpan(CTrackList& track);
    static void ScheduleNextStep(Course& course, double at);
    void Wave_Progress(int32_t& percent);

    TickSource& ticks;
    SoundOutput& sound;
    CMetronomeEvents silent;
    CMetronomeEvents* events = &silent;

    bool enable = false;
    bool pause = false;
    int32_t soundSec = 20;
    int32_t pauseSec = 4;
    double acelValue = 0.0;
    bool accelerando = false;

    Course heard;
    Course laid;
    std::array<LaidStep, MaxLaid> laidSteps{};
    std::size_t laidFirst = 0;
    std::size_t laidCount = 0;
    int64_t showAhead = 0;
    // The heard cursor was handed out for a change: the laid course is laid again at the next
    // Pulse.
    bool relayDue = false;
    // Events of heard steps are being raised; a handler's command must not commit again.
    bool committing = false;

    // The renderer of the export in progress; empty outside an export.
    std::unique_ptr<CWave> Wave;
    std::filesystem::path sampleFolder;
    CWave::EventPump pendingEvents;
};
