#include "CMetronome.h"

#include "ProgramFolder.h"
#include "RhythmSounds.h"
#include "Rounding.h"
#include "StepLength.h"

#include <cmath>

namespace {

// The span of the 32-bit tick counter, and a lead beyond which the grid cannot be in the same range
// as the tick just read: no step is ever scheduled that far ahead or left that far behind.
constexpr double TickRange = 4294967296.0;
constexpr double WrapGuard = TickRange / 4.0;

} // namespace

CMetronome::CMetronome(TickSource& ticks, SoundOutput& sound)
    : ticks(ticks)
    , sound(sound)
    , track(std::make_unique<CTrackList>()) {}

void CMetronome::Enable(bool vData) {
    enable = vData;
    // Before the tick is read: a sleeping stream wakes first, so that the first step is timed on
    // the clock that will play it.
    sound.Playing(enable);
    if (enable) {
        track->OnStart();
        const int32_t now = ticks.GetTickCount();
        tempoSetTick = now;
        cycleStartTick = now;
        inSilence = false;
        nextBeatTime = now;
    }
    events->EnableChange();
}

void CMetronome::BPM(int32_t vData) {
    const int32_t clamped = vData < MinBpm ? MinBpm : (vData > MaxBpm ? MaxBpm : vData);
    tempo = clamped;
    tempoSetTick = ticks.GetTickCount();
    if (accelerando) {
        acelBaseBpm = RoundToInt32(tempo);
        acelStartTick = ticks.GetTickCount();
    }
    // A tempo write restarts the pause cycle, so new tempo is always heard at once.
    cycleStartTick = tempoSetTick;
    inSilence = false;
    events->BpmChange();
}

int32_t CMetronome::BPM() const {
    return static_cast<int32_t>(std::floor(tempo));
}

int32_t CMetronome::BpmTime() {
    return RoundToInt32(TicksBetween(tempoSetTick, ticks.GetTickCount()) / 1000.0);
}

void CMetronome::SoundSec(int32_t vData) {
    if (!pause || vData < 1) {
        return;
    }
    soundSec = vData;
    events->PauseChange();
}

void CMetronome::PauseSec(int32_t vData) {
    if (!pause || vData < 1 || vData > 99) {
        return;
    }
    pauseSec = vData;
    events->PauseChange();
}

void CMetronome::Pause(bool vData) {
    pause = vData;
    cycleStartTick = ticks.GetTickCount();
    inSilence = false;
    events->PauseChange();
}

void CMetronome::AcelValue(double vData) {
    acelValue = vData > MaxAcelValue ? MaxAcelValue : vData;
    if (acelValue < 0.01) {
        accelerando = false;
    }
    acelBaseBpm = RoundToInt32(tempo);
    acelStartTick = ticks.GetTickCount();
    events->AccelerandoChange();
}

void CMetronome::AccelerandoBegin(double acVal) {
    accelerando = true;
    AcelValue(acVal);
}

void CMetronome::DisableAccelerando() {
    accelerando = false;
    events->AccelerandoChange();
}

double CMetronome::msBetweenBeat() const {
    return StepLength::Milliseconds(tempo, track->CurDuration());
}

void CMetronome::Pulse() {
    // Without a tempo there is no step length; an engine whose tempo was never written waits
    // instead of dividing by zero.
    if (!enable || tempo <= 0.0) {
        return;
    }
    const int32_t now = ticks.GetTickCount();
    UpdatePauseCycle(now);
    double lead = nextBeatTime - now;
    if (lead > WrapGuard || lead < -WrapGuard) {
        // The tick counter wrapped since the grid was laid: carry the grid over into the new
        // range so that the beat goes on across the wrap.
        lead = std::remainder(lead, TickRange);
        nextBeatTime = now + lead;
    }
    if (lead > 0.0) {
        return;
    }
    PlayDueStep(now);
}

double CMetronome::NextDueTick() const {
    // The pause cycle turns at its own boundaries, between steps too: the owner wakes for those as
    // well, so that a silence starts and ends exactly where it would under a loop that never
    // sleeps. Without the cycle its state is never heard, and only the steps matter.
    if (!pause) {
        return nextBeatTime;
    }
    const int32_t sinceCycle = (inSilence ? soundSec + pauseSec : soundSec) * 1000 + 1;
    const double base = std::floor(nextBeatTime);
    const auto turnTick = static_cast<int32_t>(static_cast<uint32_t>(cycleStartTick) +
                                               static_cast<uint32_t>(sinceCycle));
    const double turn = base + TicksBetween(static_cast<int32_t>(base), turnTick);
    return turn < nextBeatTime ? turn : nextBeatTime;
}

void CMetronome::UpdatePauseCycle(int32_t now) {
    const int32_t inCycle = TicksBetween(cycleStartTick, now);
    if (inCycle > (soundSec + pauseSec) * 1000) {
        cycleStartTick = now;
        inSilence = false;
    } else if (inCycle > soundSec * 1000) {
        inSilence = true;
    }
}

void CMetronome::PlayDueStep(int32_t now) {
    // The sample is placed at the step's own due time, not at the moment this call got round to it.
    const double dueTick = nextBeatTime;
    track->StepForward();
    events->Step();
    ApplyTempoFactor();
    const std::string& symbol = track->CurSound();
    const int sample = RhythmSounds::SampleIndex(symbol);
    if (sample >= 0) {
        const std::string_view file = RhythmSounds::Files[static_cast<std::size_t>(sample)];
        if (RhythmSounds::IsMainBeat(symbol)) {
            PlayMainBeat(file, dueTick);
        } else {
            PlaySubdivision(file, dueTick);
        }
    }
    ScheduleNextStep(now);
}

void CMetronome::ApplyTempoFactor() {
    const double factor = track->TempoChange();
    if (factor != 0.0 && factor != 1.0) {
        // The factor scales the whole tempo as shown, not the fraction a running accelerando added.
        BPM(RoundToInt32(BPM() * factor));
    }
}

void CMetronome::PlayMainBeat(std::string_view sample, double dueTick) {
    if (CycleSounding()) {
        sound.PlaySample(sample, dueTick);
    }
    double dlit = BeatSpan();
    events->Click(dlit);
    if (StepAccelerando()) {
        events->BpmChange();
    }
}

void CMetronome::PlaySubdivision(std::string_view sample, double dueTick) {
    if (CycleSounding()) {
        sound.PlaySample(sample, dueTick);
    }
    // The display catches up with the tempo on the next main beat.
    StepAccelerando();
}

bool CMetronome::StepAccelerando() {
    if (!accelerando || tempo >= static_cast<double>(MaxBpm)) {
        return false;
    }
    const int32_t elapsed = TicksBetween(acelStartTick, ticks.GetTickCount());
    tempo = elapsed * acelValue / 10000.0 + acelBaseBpm;
    return true;
}

double CMetronome::BeatSpan() {
    // Bounded so that a main beat with no further main beat after it (an endless group of
    // subdivisions) cannot hang the engine; the span is then what was gathered so far.
    track->Push();
    double sum = 0.0;
    for (int steps = 0; steps < LookAheadLimit; ++steps) {
        sum += 1.0 / track->CurDuration();
        track->StepForward();
        if (RhythmSounds::IsMainBeat(track->CurSound())) {
            break;
        }
    }
    track->Pop();
    return sum;
}

void CMetronome::ScheduleNextStep(int32_t now) {
    const double step = msBetweenBeat();
    nextBeatTime += step;
    const double behind = now - nextBeatTime;
    if (behind > step) {
        // After a long stall, jump most of the way at once instead of adding one step at a time;
        // the additions below still land on the same grid of whole steps.
        nextBeatTime += std::floor(behind / step - 1.0) * step;
    }
    while (nextBeatTime < now) {
        nextBeatTime += step;
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
    Wave->Track().Rhithm(track->Rhithm());
    const int32_t bpm = BPM();
    return Wave->MakeFile(FileName, bpm);
}

void CMetronome::Wave_Progress(int32_t& percent) {
    events->Progress(percent);
}
