#include "CWave.h"

#include "RhythmSounds.h"
#include "Rounding.h"
#include "StepLength.h"
#include "WaveFailure.h"
#include "WaveHeader.h"
#include "WaveOutputFile.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>
#include <string_view>

namespace {

// A step's length in samples, unrounded.
double StepSamples(int32_t tempo, int32_t duration) {
    return StepLength::Samples(tempo, duration, WaveHeader::SampleRate);
}

constexpr int64_t MaxSamples = WaveHeader::MaxDataBytes / WaveHeader::BytesPerSample;

// Checked before a byte is written, so that a pass too long for a WAV file leaves no file at all.
void CheckFits(double samples) {
    if (!(samples <= static_cast<double>(MaxSamples))) {
        throw WaveFailure(
            WaveError::TooLong,
            "at this tempo the rhythm is too long for a wave file, which holds at most " +
                std::to_string(MaxSamples) + " samples (about 6 hours and 45 minutes)");
    }
}

// Tells a full disk from every other failure to write, since the user's remedy differs.
WaveOutcome WriteFailure(const FileReplacement::Failure& failure, const std::string& file) {
    const int error = failure.Error();
    if (error == ENOSPC || error == EDQUOT || error == EFBIG) {
        return WaveOutcome::Failure(WaveError::NoRoom, file,
                                    "there is no room for it (" + std::string(failure.what()) +
                                        ")");
    }
    return WaveOutcome::Failure(WaveError::CannotWrite, file, failure.what());
}

void CheckTempo(int32_t tempo) {
    if (tempo == 0) {
        throw WaveFailure(WaveError::NoTempo, "the tempo is 0");
    }
    if (tempo < 0) {
        throw WaveFailure(WaveError::NoTempo, "the tempo is negative");
    }
}

} // namespace

CWave::CWave(std::filesystem::path sampleFolder, EventPump pendingEvents)
    : sampleFolder(std::move(sampleFolder))
    , pendingEvents(std::move(pendingEvents)) {}

WaveOutcome CWave::MakeFile(const std::string& WavFile, const int32_t& Tempo) {
    try {
        Render(WavFile, Tempo);
    } catch (const WaveFailure& failure) {
        return WaveOutcome::Failure(failure.Error(), WavFile, failure.what());
    } catch (const FileReplacement::Failure& failure) {
        return WriteFailure(failure, WavFile);
    } catch (const std::bad_alloc&) {
        return WaveOutcome::Failure(WaveError::NoRoom, WavFile, "there is not enough memory");
    }
    return WaveOutcome::Success(WavFile, SilentSamplesUsed());
}

void CWave::Render(const std::string& WavFile, int32_t tempo) {
    CheckTempo(tempo);
    if (track.Rhithm().empty()) {
        throw WaveFailure(WaveError::NoRhythm, "there is no rhythm to export");
    }
    // One pass of a rhythm that would repeat without end is its finite sequence.
    track.NoInfinite(true);
    // Counted from the text, so that a pass of billions of rests is refused at once instead of
    // being walked for hours.
    const int64_t passSteps = track.StepsPerPass();
    if (passSteps > MaxStepsPerPass) {
        throw WaveFailure(WaveError::TooLong,
                          "one pass of the rhythm has " +
                              (passSteps == CTrackList::MostSteps ? std::string("far too many")
                                                                  : std::to_string(passSteps)) +
                              " steps, and a wave export takes at most " +
                              std::to_string(MaxStepsPerPass));
    }
    // A pass that cannot pass the size limit even if every step were a whole note needs no
    // measuring walk.
    const bool surelyFits = static_cast<double>(passSteps) * (StepSamples(tempo, 1) + 0.5) <=
                            static_cast<double>(MaxSamples);
    const int32_t stepCount = surelyFits ? static_cast<int32_t>(passSteps) : CountSteps(tempo);
    const double progressFactor = 100.0 / stepCount;
    LoadSamples();
    WaveOutputFile out(WavFile);
    // The header's sizes are known only at the end; until then its place holds zeros.
    out.AppendZeros(WaveHeader::Size);
    track.OnStart();
    for (int32_t stepsDone = 0;;) {
        track.StepForward();
        if (track.EndReach()) {
            break; // this step already belongs to the next pass
        }
        RenderStep(out, tempo);
        RaiseProgress(++stepsDone, progressFactor);
    }
    const int64_t dataBytes = out.Size() - static_cast<int64_t>(WaveHeader::Size);
    CheckFits(static_cast<double>(dataBytes / WaveHeader::BytesPerSample));
    out.Commit(WaveHeader(static_cast<int32_t>(dataBytes)).Bytes());
}

// Counts the steps of one pass for the percentage, and proves on the way that the pass fits a wave
// file, so that an oversized render fails before it has written anything.
int32_t CWave::CountSteps(int32_t tempo) {
    track.OnStart();
    int32_t steps = 0;
    int64_t samples = 0;
    for (;;) {
        track.StepForward();
        if (track.EndReach()) {
            return steps;
        }
        if (steps == std::numeric_limits<int32_t>::max()) {
            throw WaveFailure(WaveError::TooLong, "the rhythm has too many steps");
        }
        ++steps;
        if (steps % MeasuringStride == 0) {
            DeliverPendingEvents();
        }
        if (RhythmSounds::SampleIndex(track.CurSound()) >= 0) {
            samples += SoundLength(tempo);
            CheckFits(static_cast<double>(samples));
        }
    }
}

void CWave::LoadSamples() {
    for (std::size_t i = 0; i < RhythmSounds::Files.size(); ++i) {
        samples[i] =
            WaveSample(sampleFolder / RhythmSounds::Files[i], RhythmSounds::ExportSamples[i]);
    }
}

// A rest writes nothing at all: its time was written with the sound before it, and a rest before
// the first sound takes no time.
void CWave::RenderStep(WaveOutputFile& out, int32_t tempo) {
    // The look-ahead leaves its own symbol in CurSound, so the step's sample is chosen first.
    const WaveSample* sample = SampleFor(track.CurSound());
    if (sample == nullptr) {
        return;
    }
    const int64_t length = SoundLength(tempo);
    const auto copied = static_cast<int32_t>(std::min<int64_t>(length, sample->Limit()));
    out.Append(sample->Words(copied));
    out.AppendZeros(static_cast<std::size_t>(length - copied) * WaveHeader::BytesPerSample);
}

// The sounding step's length, rounded, and each rest it rings through added at its exact length
// and the sum rounded again; the cursor is back on the sounding step afterwards.
int64_t CWave::SoundLength(int32_t tempo) {
    double length = RoundHalfEven(StepSamples(tempo, track.CurDuration()));
    CheckFits(length);
    track.Push();
    track.StepForward();
    while (track.CurSound() == "." && !track.EndReach()) {
        length = RoundHalfEven(length + StepSamples(tempo, track.CurDuration()));
        CheckFits(length);
        track.StepForward();
    }
    track.Pop();
    return static_cast<int64_t>(length);
}

// The window's events run whenever the percentage moves, and between those every few thousand
// steps: asking for them costs more than a step of rests.
void CWave::RaiseProgress(int32_t stepsDone, double progressFactor) {
    int32_t percent = RoundToInt32(stepsDone * progressFactor);
    if (progress) {
        progress(percent);
    }
    if (percent != lastPercent || stepsDone % RenderingStride == 0) {
        lastPercent = percent;
        DeliverPendingEvents();
    }
}

// The pending events may ask the program to end; the render then stops at once.
void CWave::DeliverPendingEvents() {
    if (pendingEvents) {
        pendingEvents();
    }
    if (cancelled) {
        throw WaveFailure(WaveError::Cancelled, "the export was stopped");
    }
}

const WaveSample* CWave::SampleFor(const std::string& symbol) {
    const int index = RhythmSounds::SampleIndex(symbol);
    if (index < 0) {
        return nullptr;
    }
    sampleUsed[static_cast<std::size_t>(index)] = true;
    return &samples[static_cast<std::size_t>(index)];
}

std::string CWave::SilentSamplesUsed() const {
    std::string list;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (sampleUsed[i] && !samples[i].Found()) {
            list += (list.empty() ? "" : ", ") + std::string(RhythmSounds::Files[i]);
        }
    }
    if (list.empty()) {
        return {};
    }
    return "sample files are missing or unreadable, so their sounds are silent in it: " + list;
}
