#include "CMetronome.h"

#include "ProgramFolder.h"
#include "RhythmSounds.h"
#include "Rounding.h"
#include "StepLength.h"

#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double FramesPerSecond = static_cast<double>(TickSource::FramesPerSecond);
// The accelerando's rate is the tempo gained in ten seconds.
constexpr double AccelerandoPeriod = 10.0 * FramesPerSecond;

} // namespace

CMetronome::CMetronome(TickSource& ticks, SoundOutput& sound)
    : ticks(ticks)
    , sound(sound) {}

CTrackList& CMetronome::Track() {
    Amend();
    if (!committing) {
        relayDue = true;
    }
    return heard.track;
}

void CMetronome::Enable(bool vData) {
    Amend();
    enable = vData;
    if (enable) {
        heard.track.OnStart();
        // The first step sounds at the earliest frame the output can still play.
        const auto start = static_cast<double>(sound.EarliestFrame(ticks.Frames()));
        heard.tempoSetFrame = start;
        heard.cycleStartFrame = start;
        heard.inSilence = false;
        heard.nextBeatFrame = start;
    }
    Relay();
    events->EnableChange();
}

void CMetronome::BPM(int32_t vData) {
    Amend();
    SetTempo(heard, vData, static_cast<double>(ticks.Frames()));
    Relay();
    events->BpmChange();
}

int32_t CMetronome::BPM() const {
    return static_cast<int32_t>(std::floor(heard.tempo));
}

int32_t CMetronome::BpmTime() {
    const double frames = static_cast<double>(ticks.Frames()) - heard.tempoSetFrame;
    return RoundToInt32(frames / FramesPerSecond);
}

void CMetronome::SoundSec(int32_t vData) {
    if (!pause || vData < 1) {
        return;
    }
    Amend();
    soundSec = vData;
    Relay();
    events->PauseChange();
}

void CMetronome::PauseSec(int32_t vData) {
    if (!pause || vData < 1 || vData > 99) {
        return;
    }
    Amend();
    pauseSec = vData;
    Relay();
    events->PauseChange();
}

void CMetronome::Pause(bool vData) {
    Amend();
    pause = vData;
    heard.cycleStartFrame = static_cast<double>(ticks.Frames());
    heard.inSilence = false;
    Relay();
    events->PauseChange();
}

void CMetronome::AcelValue(double vData) {
    Amend();
    acelValue = vData > MaxAcelValue ? MaxAcelValue : vData;
    if (acelValue < 0.01) {
        accelerando = false;
    }
    heard.acelBaseBpm = RoundToInt32(heard.tempo);
    heard.acelStartFrame = static_cast<double>(ticks.Frames());
    Relay();
    events->AccelerandoChange();
}

void CMetronome::AccelerandoBegin(double acVal) {
    accelerando = true;
    AcelValue(acVal);
}

void CMetronome::DisableAccelerando() {
    Amend();
    accelerando = false;
    Relay();
    events->AccelerandoChange();
}

double CMetronome::msBetweenBeat() const {
    return StepLength::Milliseconds(heard.tempo, heard.track.CurDuration());
}

void CMetronome::Pulse() {
    // Without a tempo there is no step length; an engine whose tempo was never written waits
    // instead of dividing by zero.
    if (!enable || heard.tempo <= 0.0) {
        return;
    }
    const int64_t now = ticks.Frames();
    CommitUntil(now + 1 + showAhead);
    if (relayDue) {
        Relay();
    }
    LayAhead(now);
}

int64_t CMetronome::NextWakeFrame() const {
    if (!enable || heard.tempo <= 0.0) {
        return std::numeric_limits<int64_t>::max();
    }
    // The first frame at which the next step lies within the horizon.
    const auto layFrom = static_cast<int64_t>(std::floor(laid.nextBeatFrame)) - Horizon + 1;
    if (laidCount == 0) {
        return layFrom;
    }
    return std::min(laidSteps[laidFirst].frame - showAhead, layFrom);
}

// Before a command changes the heard course, the steps that will be heard whatever it does are
// made heard: a command acts from the first step it can still change.
void CMetronome::Amend() {
    if (enable && !committing) {
        CommitUntil(sound.EarliestFrame(ticks.Frames()));
    }
}

// The steps laid on the old course are withdrawn and laid again from the heard one.
void CMetronome::Relay() {
    relayDue = false;
    const int64_t now = ticks.Frames();
    if (laidCount > 0) {
        sound.Withdraw(laidSteps[laidFirst].frame);
    }
    laidCount = 0;
    laid = heard;
    if (enable && heard.tempo > 0.0) {
        LayAhead(now);
    }
}

void CMetronome::CommitUntil(int64_t frame) {
    committing = true;
    while (laidCount > 0 && laidSteps[laidFirst].frame < frame) {
        const LaidStep step = laidSteps[laidFirst];
        laidFirst = (laidFirst + 1) % MaxLaid;
        --laidCount;
        RunStep(heard, step.at, true);
    }
    committing = false;
}

void CMetronome::LayAhead(int64_t now) {
    const auto earliest = static_cast<double>(sound.EarliestFrame(now));
    const auto until = static_cast<double>(now + Horizon);
    while (laidCount < MaxLaid && laid.nextBeatFrame < until) {
        // A step that can no longer be laid on its frame plays at once; the grid then skips the
        // steps missed meanwhile instead of playing them in a burst.
        const double at = std::max(laid.nextBeatFrame, earliest);
        const int sample = RunStep(laid, at, false);
        const int64_t frame = std::llround(at);
        if (sample >= 0) {
            sound.PlaySample(RhythmSounds::Files[static_cast<std::size_t>(sample)], frame);
        }
        laidSteps[(laidFirst + laidCount) % MaxLaid] = {frame, at};
        ++laidCount;
    }
}

// One step of the rhythm on a course, computed for the frame `at`; the events are raised only
// when the step is heard. Returns the sample to play, or -1.
int CMetronome::RunStep(Course& course, double at, bool raise) {
    UpdatePauseCycle(course, at);
    course.track.StepForward();
    if (raise) {
        events->Step();
    }
    ApplyTempoFactor(course, at, raise);
    const std::string& symbol = course.track.CurSound();
    const int sample = RhythmSounds::SampleIndex(symbol);
    const bool sounding = sample >= 0 && !(pause && course.inSilence);
    if (RhythmSounds::IsMainBeat(symbol)) {
        double dlit = BeatSpan(course.track);
        // The tempo moves on before the click is told, so that a swing measured by it lasts as
        // long as the step laid after it.
        const bool accelerated = StepAccelerando(course, at);
        if (raise) {
            events->Click(dlit);
        }
        if (accelerated && raise) {
            events->BpmChange();
        }
    } else if (sample >= 0) {
        // The display catches up with the tempo on the next main beat.
        StepAccelerando(course, at);
    }
    ScheduleNextStep(course, at);
    return sounding ? sample : -1;
}

// The cycle turns at its boundaries, whether or not a step falls on them: a silence starts and
// ends where it would under a loop that looked at every moment.
void CMetronome::UpdatePauseCycle(Course& course, double at) const {
    const double cycle = (soundSec + pauseSec) * FramesPerSecond;
    if (at > course.cycleStartFrame + cycle) {
        course.cycleStartFrame += std::floor((at - course.cycleStartFrame) / cycle) * cycle;
        course.inSilence = false;
    }
    if (at > course.cycleStartFrame + soundSec * FramesPerSecond) {
        course.inSilence = true;
    }
}

void CMetronome::SetTempo(Course& course, int32_t bpm, double at) const {
    const int32_t clamped = bpm < MinBpm ? MinBpm : (bpm > MaxBpm ? MaxBpm : bpm);
    course.tempo = clamped;
    course.tempoSetFrame = at;
    if (accelerando) {
        course.acelBaseBpm = RoundToInt32(course.tempo);
        course.acelStartFrame = at;
    }
    // A tempo write restarts the pause cycle, so a new tempo is always heard at once.
    course.cycleStartFrame = at;
    course.inSilence = false;
}

void CMetronome::ApplyTempoFactor(Course& course, double at, bool raise) {
    const double factor = course.track.TempoChange();
    if (factor == 0.0 || factor == 1.0) {
        return;
    }
    // The factor scales the whole tempo as shown, not the fraction a running accelerando added.
    const auto shown = static_cast<int32_t>(std::floor(course.tempo));
    SetTempo(course, RoundToInt32(shown * factor), at);
    if (raise) {
        events->BpmChange();
    }
}

bool CMetronome::StepAccelerando(Course& course, double at) const {
    if (!accelerando || course.tempo >= static_cast<double>(MaxBpm)) {
        return false;
    }
    course.tempo =
        (at - course.acelStartFrame) * acelValue / AccelerandoPeriod + course.acelBaseBpm;
    return true;
}

double CMetronome::BeatSpan(CTrackList& track) {
    // Bounded so that a main beat with no further main beat after it (an endless group of
    // subdivisions) cannot hang the engine; the span is then what was gathered so far.
    track.Push();
    double sum = 0.0;
    for (int steps = 0; steps < LookAheadLimit; ++steps) {
        sum += 1.0 / track.CurDuration();
        track.StepForward();
        if (RhythmSounds::IsMainBeat(track.CurSound())) {
            break;
        }
    }
    track.Pop();
    return sum;
}

void CMetronome::ScheduleNextStep(Course& course, double at) {
    const double step = StepLength::Samples(course.tempo, course.track.CurDuration(),
                                            static_cast<int32_t>(TickSource::FramesPerSecond));
    course.nextBeatFrame += step;
    const double behind = at - course.nextBeatFrame;
    if (behind > step) {
        // After a long stall, jump most of the way at once instead of adding one step at a time;
        // the additions below still land on the same grid of whole steps.
        course.nextBeatFrame += std::floor(behind / step - 1.0) * step;
    }
    // A late step that happens to fall on the grid again must not be followed by a second click
    // on the same frame: the next step lies after it.
    while (course.nextBeatFrame <= at) {
        course.nextBeatFrame += step;
    }
}

WaveOutcome CMetronome::ExportWave(const std::string& FileName) {
    // The window's messages run during an export; a second export started from one of them would
    // release the renderer under the first.
    if (Wave) {
        return WaveOutcome::Failure(WaveError::Busy, FileName, "another export is still running");
    }
    Wave =
        std::make_unique<CWave>(sampleFolder.empty() ? DataFolder() : sampleFolder, pendingEvents);
    // Released however the render ends, so that a failure never blocks the next export.
    const struct Release {
        std::unique_ptr<CWave>& wave;
        ~Release() { wave.reset(); }
    } release{Wave};
    Wave->OnProgress([this](int32_t& percent) { Wave_Progress(percent); });
    // The renderer parses its own copy, so it starts at the rhythm's beginning and the beat's
    // cursor is never touched.
    Wave->Track().Rhithm(heard.track.Rhithm());
    const int32_t bpm = BPM();
    return Wave->MakeFile(FileName, bpm);
}

void CMetronome::Wave_Progress(int32_t& percent) {
    events->Progress(percent);
}
