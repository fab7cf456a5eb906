#include "WindowCommands.h"

#include "frmTempo.h"

#include <utility>

WindowCommands::WindowCommands(QWidget& window, PracticeSession& session, SettingsStore& settings,
                               std::function<void()> showJournal, std::function<void()> rescale)
    : window(window)
    , session(session)
    , rescale(std::move(rescale))
    , zoom(window, settings) {
    menu = std::make_unique<CommandMenu>(
        CommandMenu::Commands{
            [this](int32_t code, int32_t presses) { this->session.PressKey(code, presses); },
            [this] { this->session.Tap(); }, [this] { EnterTempo(); },
            [this](int32_t percent) { SetZoom(percent); }, [this] { this->session.Undo(); },
            std::move(showJournal)},
        &window);
}

void WindowCommands::SetZoom(int32_t percent) {
    ApplyZoom(percent);
    zoom.Store();
}

void WindowCommands::ApplyZoom(int32_t percent) {
    menu->ShowZoom(percent);
    // The layout at 100 % stays untouched until another zoom is chosen.
    if (percent != zoom.Percent() && zoom.Apply(percent)) {
        rescale();
    }
}

void WindowCommands::PopUp(const QPoint& at) {
    if (session.TakesCommands()) {
        menu->Menu().popup(at);
    }
}

void WindowCommands::EnterTempo() {
    if (!session.TakesCommands()) {
        return;
    }
    // A close of the program dismisses the dialog, and the command then finds no engine.
    int32_t tempo = session.Metron->BPM();
    frmTempo dialog(tempo, CMetronome::MinBpm, CMetronome::MaxBpm, &window);
    if (dialog.exec() == QDialog::Accepted) {
        session.Command([&] { session.Metron->BPM(tempo); });
    }
}
