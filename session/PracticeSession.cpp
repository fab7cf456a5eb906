#include "PracticeSession.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <utility>

namespace {

using C = KeyCommand;
using Handler = void (*)(PracticeSession& s, const KeyBinding& key, bool DoubleKey);
using Level = MixerClockCommands::Level;

// What a step changes on screen takes about this long to be seen (4 ms): the step is shown this
// much before its click is heard, so that both come together.
constexpr int64_t ShowAheadFrames = 176;
constexpr int32_t StartTempo = 120;

// A running accelerando turns gentler or steeper by this factor; a new one starts at one of the
// two rates, in beats per minute gained every 10 seconds.
constexpr double GentleAccelerando = 3.0;
constexpr double SteepAccelerando = 9.0;
constexpr double AccelerandoFactor = 1.2006;

// Every command of the key table and what it does. The engine clamps or refuses what lies out of
// range; the window's part is asked of the view and its dialogs.
// clang-format off
constexpr std::array<std::pair<KeyCommand, Handler>, 30> Handlers{{
    {C::StartStop, [](PracticeSession& s, const KeyBinding&, bool) { s.Metron->Switch(); }},
    {C::SetTempo, [](PracticeSession& s, const KeyBinding& k, bool) {
        s.Metron->BPM(k.Argument + PracticeSession::TempoPlus(s.KeyState.PressCount)); }},
    {C::StepTempo, [](PracticeSession& s, const KeyBinding& k, bool) {
        s.Metron->BPM(s.Metron->BPM() + k.Argument); }},
    {C::PauseSwitch, [](PracticeSession& s, const KeyBinding&, bool) { s.Metron->PauseSwitch(); }},
    {C::StepPause, [](PracticeSession& s, const KeyBinding& k, bool) {
        s.Metron->PauseSec(s.Metron->PauseSec() + k.Argument); }},
    {C::AccelerandoOff, [](PracticeSession& s, const KeyBinding&, bool) {
        s.Metron->DisableAccelerando(); }},
    {C::AccelerandoGentler, [](PracticeSession& s, const KeyBinding&, bool) {
        s.Metron->Accelerando() ? s.Metron->AcelValue(s.Metron->AcelValue() / AccelerandoFactor)
                                : s.Metron->AccelerandoBegin(GentleAccelerando); }},
    {C::AccelerandoSteeper, [](PracticeSession& s, const KeyBinding&, bool) {
        s.Metron->Accelerando() ? s.Metron->AcelValue(s.Metron->AcelValue() * AccelerandoFactor)
                                : s.Metron->AccelerandoBegin(SteepAccelerando); }},
    {C::StepVolume, [](PracticeSession& s, const KeyBinding& k, bool) {
        s.MixerClockKeys->StepLevel(Level::Master, k.Argument); }},
    {C::StepWave, [](PracticeSession& s, const KeyBinding& k, bool) {
        s.MixerClockKeys->StepLevel(Level::Wave, k.Argument); }},
    {C::StepMic, [](PracticeSession& s, const KeyBinding& k, bool) {
        s.MixerClockKeys->StepLevel(Level::Microphone, k.Argument); }},
    {C::MicMute, [](PracticeSession& s, const KeyBinding&, bool) { s.MixerClockKeys->ToggleMute(); }},
    {C::MixerPreset, [](PracticeSession& s, const KeyBinding& k, bool d) {
        s.SetMixer(d, std::string(1, static_cast<char>(k.Argument))); }},
    {C::TempoSlot, [](PracticeSession& s, const KeyBinding& k, bool) {
        s.TempoKeys->KeypadDigit(k.Argument, s.KeyState.PressCount); }},
    {C::NextTempoSlot, [](PracticeSession& s, const KeyBinding&, bool) { s.TempoKeys->KeypadPlus(); }},
    {C::TempoGrowth, [](PracticeSession& s, const KeyBinding&, bool) { s.TempoKeys->KeypadZero(); }},
    {C::WarmUpRamp, [](PracticeSession& s, const KeyBinding&, bool d) { s.TempoKeys->KeypadDecimal(d); }},
    {C::DefaultRhythm, [](PracticeSession& s, const KeyBinding&, bool d) { s.RhythmKeys->ShiftKey(d); }},
    {C::RhythmPreset, [](PracticeSession& s, const KeyBinding& k, bool d) {
        s.RhythmKeys->PresetKey(k.Argument, d); }},
    {C::RhythmSlot, [](PracticeSession& s, const KeyBinding& k, bool d) {
        s.RhythmKeys->SlotKey(k.Argument, d); }},
    {C::SaveRhythm, [](PracticeSession& s, const KeyBinding&, bool) { s.RhythmKeys->SaveRhythmFile(); }},
    {C::OpenRhythm, [](PracticeSession& s, const KeyBinding&, bool) { s.RhythmKeys->OpenRhythmFile(); }},
    {C::EditRhythm, [](PracticeSession& s, const KeyBinding&, bool) { s.RhythmKeys->EnterRhythm(); }},
    {C::ExportWave, [](PracticeSession& s, const KeyBinding&, bool) { s.WaveExport->Run(); }},
    {C::ResetClock, [](PracticeSession& s, const KeyBinding&, bool d) { s.MixerClockKeys->ResetClock(d); }},
    {C::FreezeClock, [](PracticeSession& s, const KeyBinding&, bool) { s.Clock->Freeze(!s.Clock->Freeze()); }},
    {C::Help, [](PracticeSession& s, const KeyBinding&, bool) { s.Windows().ShowHelp(); }},
    {C::NoteBook, [](PracticeSession& s, const KeyBinding&, bool) { s.Windows().ShowNoteBook(); }},
    {C::DisplayMode, [](PracticeSession& s, const KeyBinding&, bool) { s.View().ToggleDisplayMode(); }},
    {C::DisplayAndTempoList, [](PracticeSession& s, const KeyBinding&, bool) {
        s.View().ToggleDisplayMode();
        s.Windows().ShowListTmps(); }},
}};
// clang-format on

} // namespace

PracticeSession::PracticeSession(PlatformServices& platform, TempoMemoryState& programValues,
                                 SessionView& sessionView, SessionDialogs& sessionWindows,
                                 Surface& clockFace)
    : services(platform)
    , values(programValues)
    , view(sessionView)
    , windows(sessionWindows)
    , taps(platform.Ticks) {
    Metron = std::make_unique<CMetronome>(services.Ticks, services.Sound);
    Clock = std::make_unique<CClock>(services.Ticks, services.Settings);
    Clock->Container(clockFace);
    Volume = std::make_unique<cVolume>(services.Mixer, services.MessageDialogs);
    // The microphone is the system's recording source: it is put back as found at the end.
    micMutedAtStart = Volume->MikrofonMute();
    Volume->MikrofonMute(false);
    CreateKeyCommands();
    values = TempoMemoryState{};
}

PracticeSession::~PracticeSession() {
    End();
}

void PracticeSession::Start(CMetronomeEvents& events) {
    Metron->Events(&events);
    Metron->ShowAhead(ShowAheadFrames);
    Metron->Pause(false);
    Metron->BPM(StartTempo);
    Metron->Track().Rhithm(RhythmCommands::DefaultRhythm);
    Running = true;
}

void PracticeSession::CreateKeyCommands() {
    Feedback = std::make_unique<CommandFeedback>(services.Settings);
    Presets = std::make_unique<MixerPresets>(*Volume, services.Settings);
    MixerClockKeys = std::make_unique<MixerClockCommands>(*Volume, *Presets, *Clock, *Feedback);
    TempoKeys = std::make_unique<TempoMemoryCommands>(
        *Metron, values, KeyState.SavedTempo, [this] { windows.ShowTempoGrowth(); },
        Feedback.get());
    RhythmKeys = std::make_unique<RhythmCommands>(
        *Metron, services.Settings, services.MessageDialogs, KeyState.SavedRhythm,
        KeyState.RecalledRhythm, RhythmEntryText,
        [this] { return windows.ShowRhythmEntry(RhythmEntryText); }, Feedback.get());
    WaveExport = std::make_unique<WaveExportCommand>(
        *Metron, services.MessageDialogs, [this](bool on) { view.ShowExportNotice(on); });
    Metron->PendingEvents([this] { view.DeliverDuringExport(); });
}

void PracticeSession::KeyDown(int32_t KeyCode, int32_t Shift) {
    if (!TakesCommands()) {
        return;
    }
    // The wall clock, which never stands still while the sound device's frames wait for a report.
    const int64_t now = services.Ticks.SteadyMs();
    bool DoubleKey = false;
    const int64_t elapsed = now - KeyState.LastKeyTime;
    if (KeyCode == KeyState.LastKey && elapsed >= 0 && elapsed < RepeatInterval) {
        DoubleKey = true;
        ++KeyState.PressCount;
    } else {
        KeyState.PressCount = 1;
    }
    KeyState.LastKeyTime = now;
    if (const KeyBinding* key = KeyTable::Find(KeyCode, Shift, KeyState.PressCount)) {
        RunCommand([&] { Guarded([&] { Run(*key, DoubleKey); }); });
    }
    // Also a key without a command ends a chain of quick repeats.
    KeyState.LastKey = KeyCode;
}

void PracticeSession::Run(const KeyBinding& key, bool DoubleKey) {
    const auto row = std::find_if(Handlers.begin(), Handlers.end(),
                                  [&](const auto& entry) { return entry.first == key.Command; });
    if (row != Handlers.end()) {
        row->second(*this, key, DoubleKey);
    }
}

void PracticeSession::PressKey(int32_t KeyCode, int32_t Presses) {
    if (!TakesCommands()) {
        return;
    }
    // The entry's gesture starts afresh, whatever key came before it.
    KeyState.LastKey = 0;
    for (int32_t press = 0; press < Presses; ++press) {
        KeyDown(KeyCode, 0);
    }
}

void PracticeSession::Tap() {
    if (!TakesCommands()) {
        return;
    }
    if (const std::optional<int32_t> tempo = taps.Tap()) {
        Command([&] { Metron->BPM(*tempo); });
    }
}

void PracticeSession::Undo() {
    Command([this] { Feedback->Undo(); });
}

void PracticeSession::Command(const std::function<void()>& command) {
    if (TakesCommands()) {
        RunCommand([&] { Guarded(command); });
    }
}

class PracticeSession::CommandScope {
public:
    explicit CommandScope(PracticeSession& session)
        : session(session) {
        ++session.commandDepth;
    }
    ~CommandScope() {
        if (--session.commandDepth > 0) {
            return;
        }
        session.view.BeatChanged();
        // A close inside a close would be lost, so it follows from the event loop.
        if (session.pendingClose) {
            session.view.Later([&closing = session] { closing.ClosePending(); });
        }
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    PracticeSession& session;
};

void PracticeSession::RunCommand(const std::function<void()>& command) {
    const CommandScope scope(*this);
    command();
}

void PracticeSession::Guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        // The run ends the way a close does, so the microphone's mute is put back and the practice
        // time kept.
        std::fprintf(stderr, "pulsara: %s; closing\n", error.what());
        pendingClose.reset();
        End();
        view.Close(ByCode);
    }
}

bool PracticeSession::Pulse() {
    if (!Metron || commandDepth > 0) {
        return false;
    }
    Guarded([this] { Metron->Pulse(); });
    return true;
}

std::optional<int64_t> PracticeSession::NextWakeFrame() const {
    if (!BeatOn()) {
        return std::nullopt;
    }
    return Metron->NextWakeFrame();
}

void PracticeSession::RequestClose(UnloadMode mode) {
    windows.DismissDialogs();
    pendingClose = mode;
    if (Metron && (mode == BySystem || mode == BySessionEnd)) {
        Metron->CancelExport();
    }
    if (commandDepth == 0) {
        ClosePending();
    }
}

void PracticeSession::ClosePending() {
    if (!pendingClose) {
        return;
    }
    const UnloadMode mode = *pendingClose;
    pendingClose.reset();
    view.Close(mode);
}

bool PracticeSession::QueryUnload(UnloadMode mode) {
    if (ExportBusy()) {
        return false;
    }
    // A close from the system or the session cannot wait for an answer.
    if (!windows.CloseNoteBook(mode == ByCloseBox || mode == ByCode)) {
        return false;
    }
    Running = false;
    return true;
}

int32_t PracticeSession::TempoPlus(int32_t prT) {
    switch (prT) {
    case 2:
        return 5;
    case 3:
        return 3;
    case 4:
        return 7;
    default:
        return 0;
    }
}

void PracticeSession::SetMixer(bool DoubleKey, std::string_view Name) {
    if (MixerClockKeys) {
        MixerClockKeys->Preset(DoubleKey, Name);
    }
}

void PracticeSession::SoundLost(bool lost) {
    const char* text = lost ? "Sound lost: playing on silently" : "The sound is back";
    std::fprintf(stderr, "pulsara: %s\n", text);
    if (Feedback) {
        Feedback->Tell(text);
    }
}

void PracticeSession::End() {
    if (Ended()) {
        return;
    }
    view.SessionEnding();
    Running = false;
    if (Volume) {
        Volume->MikrofonMute(micMutedAtStart);
    }
    WaveExport.reset();
    RhythmKeys.reset();
    TempoKeys.reset();
    MixerClockKeys.reset();
    Feedback.reset();
    Presets.reset();
    Metron.reset();
    Clock.reset();
    Volume.reset();
}
