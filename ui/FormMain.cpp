#include "FormMain.h"

#include "FormT.h"
#include "KeyTable.h"
#include "MetronomePicture.h"
#include "ProgramFolder.h"
#include "Rounding.h"
#include "StepLength.h"
#include "VirtualKey.h"
#include "WindowFonts.h"
#include "frmRhithm.h"
#include "frmTempo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPalette>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string_view>
#include <utility>

const QColor FormMain::BackColour(255, 224, 192);
const QColor FormMain::DarkBlue(0, 0, 192);
const QColor FormMain::DarkRed(192, 0, 0);

namespace {

using WindowFonts::Align;
using WindowFonts::FixedPitch;
using WindowFonts::SansSerif;
using WindowFonts::SetForeColour;
using WindowFonts::SetUpLabel;

constexpr int ClientWidth = 268;
constexpr int ClientHeight = 172;
constexpr int ClockInterval = 10000;
// An export lets the window repaint and show its percentage this often.
constexpr std::chrono::milliseconds ExportDelivery{15};

} // namespace

FormMain::FormMain(PlatformServices& platform, TempoMemoryState& programValues, QWidget* parent)
    : QWidget(parent)
    , Display(platform.Ticks, BackColour, this)
    , picClock(BackColour, this)
    , timClock(this)
    , lbProgress(this)
    , lbWave(this)
    , lbPau2(this)
    , lbPau1(this)
    , lbAcel(this)
    , lbPause(this)
    , lbTime(this)
    , lbBPM(this)
    , lbNotice(this)
    , services(platform)
    , values(programValues)
    , beatTimer(platform.Ticks, [this] { BeatDue(); })
    , sideWindows(platform.MessageDialogs, *this) {
    HelpPage = DataFolder() / "Help.htm";
    helpViewer = std::make_unique<HelpViewer>(*this, platform.MessageDialogs);
    OpenDocument = helpViewer->DesktopOpener();
    BuildControls();
    Form_Load();
    CreateMenu();
}

FormMain::~FormMain() {
    // A window destroyed without being closed (the application quit around it) still leaves the
    // microphone's mute as it was found and the practice time stored.
    if (Session && !Session->Ended()) {
        int16_t Cancel = 0;
        Form_Unload(Cancel);
    }
}

int FormMain::PointsToPixels(double points) {
    return WindowFonts::PointsToPixels(points);
}

void FormMain::BuildControls() {
    WindowFonts::AddStandIns();

    setWindowTitle(QStringLiteral("Pulsara"));
    setFixedSize(ClientWidth, ClientHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, BackColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    Display.setGeometry(rect());
    picClock.move(0, 0);
    picClock.Resize(65, 65);

    timClock.setInterval(ClockInterval);
    QObject::connect(&timClock, &QTimer::timeout, this, [this] { timClock_Timer(); });
    timClock.start();

    SetUpLabel(lbProgress, {72, 128, 129, 25}, QString(), SansSerif(12, true), Align::Centre, true);
    lbProgress.hide();
    SetUpLabel(lbWave, {48, 88, 169, 41}, QStringLiteral("Export to Wave Please Wait"),
               SansSerif(12, true), Align::Centre, true);
    lbWave.hide();
    SetUpLabel(Display.lbInfo, {0, 120, 89, 17}, QString(), SansSerif(12, true), Align::Centre,
               true);
    SetUpLabel(Display.Label1, {8, 136, 89, 17}, QStringLiteral("       |"), FixedPitch(12, true),
               Align::Left, false);
    SetUpLabel(Display.lbRhithm, {8, 152, 257, 17}, QString(), FixedPitch(12, false), Align::Left,
               false);
    SetUpLabel(lbPau2, {240, 90, 25, 17}, QStringLiteral("sec."), SansSerif(8, false), Align::Left,
               true);
    SetUpLabel(lbPau1, {180, 90, 33, 17}, QStringLiteral("Pause"), SansSerif(8, false), Align::Left,
               true);
    // The accelerando's size follows its rate; a rate of 0 gives 8 points.
    SetUpLabel(lbAcel, {64, 8, 145, 25}, QStringLiteral("Accelerando"), FixedPitch(8, true),
               Align::Centre, false);
    SetForeColour(lbAcel, DarkRed);
    lbAcel.hide();
    SetUpLabel(lbPause, {216, 88, 17, 17}, QStringLiteral("4"), SansSerif(12, false), Align::Left,
               true);
    lbPause.hide();
    SetUpLabel(lbTime, {64, 104, 145, 41}, QString(), SansSerif(24, false), Align::Centre, true);
    SetUpLabel(lbBPM, {88, 40, 97, 41}, QString(), SansSerif(24, false), Align::Centre, true);
    SetForeColour(lbBPM, DarkBlue);
    // Between the tempo and the time since it was set, across the window.
    lbNotice.setGeometry(4, 84, 260, 18);
    lbNotice.setFont(SansSerif(9, true));
    setWindowIcon(ProgramIcon());
}

void FormMain::Form_Load() {
    Session = std::make_unique<PracticeSession>(services, values, static_cast<SessionView&>(*this),
                                                picClock);
    ListenToFeedback();
    Session->Start(*this);
    Journal = std::make_unique<PracticeJournal>(
        services.Ticks, *Session->Metron, [this] { return Session->RhythmKeys->Source(); },
        services.MessageDialogs, this);
    DisplayMode = 0;
}

void FormMain::ListenToFeedback() {
    Session->Feedback->Listen([this](const CommandFeedback::Notice& notice) {
        lbNotice.Show(QString::fromStdString(notice.Text), notice.Undoable);
        if (commandMenu) {
            commandMenu->ShowUndo(QString::fromStdString(Session->Feedback->UndoLabel()));
        }
    });
    lbNotice.OnUndo([this] { Undo(); });
}

bool FormMain::event(QEvent* e) {
    // Every key belongs to the key handler: Tab must not move the focus, and no shortcut may take
    // a key before it.
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();
        return true;
    }
    if (e->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(e));
        return true;
    }
    return QWidget::event(e);
}

// Counts a command for as long as it runs. The beat waits meanwhile, as it did while a command held
// the main loop (a message box, an export), and goes on from whatever the command wrote to the
// engine. A close asked for meanwhile follows from the event loop, as a close inside a close would
// be lost.
class FormMain::CommandScope {
public:
    explicit CommandScope(FormMain& form)
        : form(form) {
        ++form.commandDepth;
    }
    ~CommandScope() {
        if (--form.commandDepth > 0) {
            return;
        }
        // What the command changed is laid ahead at once.
        form.BeatDue();
        if (form.pendingClose) {
            QMetaObject::invokeMethod(
                &form, [&closing = form] { closing.ClosePending(); }, Qt::QueuedConnection);
        }
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    FormMain& form;
};

void FormMain::BeatDue() {
    if (!Session || !Session->Metron || commandDepth > 0) {
        return;
    }
    Guarded([this] { Session->Metron->Pulse(); });
    ArmBeatTimer();
}

void FormMain::ArmBeatTimer() {
    if (!Session || !Session->Metron || !Session->Metron->Enable()) {
        beatTimer.Disarm();
        return;
    }
    beatTimer.ArmAt(Session->Metron->NextWakeFrame());
}

void FormMain::AnimateBall() {
    Display.Animate(DisplayMode == 1 && Session && Session->Metron && Session->Metron->Enable());
}

void FormMain::DeliverDuringExport() {
    // Delivering costs an iteration of the event dispatcher; once in a while is enough for the
    // percentage to show and for keys and close requests to be turned away.
    const auto now = std::chrono::steady_clock::now();
    if (now < nextExportDelivery) {
        return;
    }
    nextExportDelivery = now + ExportDelivery;
    QCoreApplication::processEvents();
}

void FormMain::Guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        // Nothing can be trusted to go on after a fault in the middle of a step; the program ends
        // the way a close does, so the microphone's mute is put back and the practice time kept.
        std::fprintf(stderr, "pulsara: %s; closing\n", error.what());
        EndAfterFault();
    }
}

void FormMain::EndAfterFault() {
    Session->ExportBusy = false;
    pendingClose.reset();
    int16_t Cancel = 0;
    Form_Unload(Cancel);
    close();
}

void FormMain::RequestClose(UnloadMode mode) {
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this) {
        modal->close();
    }
    pendingClose = mode;
    // An end the user did not ask for does not wait for an export, however long it would take.
    if (Session && Session->Metron && (mode == BySystem || mode == BySessionEnd)) {
        Session->Metron->CancelExport();
    }
    if (commandDepth == 0) {
        ClosePending();
    }
}

void FormMain::ClosePending() {
    if (!pendingClose) {
        return;
    }
    nextUnloadMode = *pendingClose;
    pendingClose.reset();
    close();
    nextUnloadMode = ByCode;
}

void FormMain::paintEvent(QPaintEvent* e) {
    (void)e;
    Form_Paint();
}

void FormMain::Form_Paint() {
    if (Session && Session->Clock) {
        Session->Clock->Paint();
    }
}

void FormMain::timClock_Timer() {
    if (!Session || !Session->Clock) {
        return;
    }
    Session->Clock->Paint();
    // A run that ends without the clock's release (killed, crashed, logged out) then loses only
    // the last few seconds of practice.
    Session->Clock->StoreProgress();
}

void FormMain::closeEvent(QCloseEvent* e) {
    if (Session->Ended()) {
        e->accept();
        return;
    }
    // A termination request while the notebook asks about its notes waits for the answer.
    const CommandScope closing(*this);
    int16_t Cancel = 0;
    const int16_t mode = e->spontaneous() ? int16_t{ByCloseBox} : int16_t{nextUnloadMode};
    Form_QueryUnload(Cancel, mode);
    if (Cancel != 0) {
        e->ignore();
        return;
    }
    Form_Unload(Cancel);
    e->accept();
}

void FormMain::Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) {
    // An export holds the engine and the open file; whatever asks, the window stays.
    if (!Session->MayClose()) {
        Cancel = 1;
        return;
    }
    // Notes that cannot be saved keep the program open when the player closes it, so that they can
    // be copied elsewhere. A close from the system or the session cannot wait for an answer; the
    // notebook then keeps what its file does not take in a recovery file.
    const bool canWait = UnloadMode == ByCloseBox || UnloadMode == ByCode;
    if (canWait && !sideWindows.CloseNoteBook()) {
        Cancel = 1;
        return;
    }
    if (!canWait) {
        sideWindows.CloseNoteBookForExit();
    }
    Session->Running = false;
}

void FormMain::Form_Unload(int16_t& Cancel) {
    (void)Cancel;
    beatTimer.Disarm();
    Display.Animate(false);
    Journal.reset();
    Session->End();
}

void FormMain::keyPressEvent(QKeyEvent* e) {
    const VirtualKey::KeyDown key = VirtualKey::FromEvent(*e);
    Guarded([&] { Form_KeyDown(key.KeyCode, key.Shift); });
    e->accept();
}

void FormMain::Form_KeyDown(int32_t KeyCode, int32_t Shift) {
    Session->KeyDown(KeyCode, Shift);
}

void FormMain::RunCommand(const std::function<void()>& command) {
    const CommandScope scope(*this);
    command();
}

void FormMain::ShowTempoGrowth() {
    FormT dialog(values, this);
    dialog.exec();
}

bool FormMain::ShowRhythmEntry(std::string& text) {
    frmRhithm dialog(text, this);
    return dialog.exec() == QDialog::Accepted;
}

void FormMain::ToggleDisplayMode() {
    ShowDisplayMode(DisplayMode == 1 ? 0 : 1);
}

void FormMain::ShowHelp() {
    helpViewer->Show(HelpPage, OpenDocument);
}

void FormMain::ShowNoteBook() {
    sideWindows.ShowNoteBook();
}

void FormMain::ShowListTmps() {
    sideWindows.ShowListTmps();
}

void FormMain::ShowExportNotice(bool visible) {
    if (visible) {
        lbProgress.clear();
    }
    lbWave.setVisible(visible);
    lbProgress.setVisible(visible);
}

void FormMain::ShowDisplayMode(int32_t mode) {
    DisplayMode = mode;
    Display.ShowPendulum(mode == 0);
    AnimateBall();
}

// The engine raises a step's events when the step is heard, so each shows at once.
void FormMain::Metron_BpmChange() {
    if (Journal) {
        Journal->EngineChanged();
    }
    lbBPM.setText(QString::number(Session->Metron->BPM()));
}

void FormMain::Metron_Click(double& Dlit) {
    // The heard tempo, not the digits: during an accelerando the swing keeps to the real steps.
    Display.StartSwing(RoundToInt32(StepLength::Milliseconds(Session->Metron->Tempo(), 1) * Dlit));
    if (DisplayMode == 0) {
        ++Session->KeyState.SwingCount;
        Display.SwingPendulum(Session->KeyState.SwingCount % 2 != 0);
    }
    const int32_t t = Session->Metron->BpmTime();
    lbTime.setText(QStringLiteral("%1 : %2").arg(t / 60).arg(t % 60, 2, 10, QLatin1Char('0')));
}

void FormMain::Metron_Step() {
    const CTrackList& track = std::as_const(*Session->Metron).Track();
    Display.ShowStrip(BeatDisplay::RhythmStrip(track.Rhithm(), track.CurPos()),
                      QString::fromStdString(track.CurInfo()));
}

void FormMain::Metron_PauseChange() {
    const bool pause = Session->Metron->Pause();
    lbPause.setVisible(pause);
    lbPau1.setVisible(pause);
    lbPau2.setVisible(pause);
    lbPause.setText(QString::number(Session->Metron->PauseSec()));
}

void FormMain::Metron_AccelerandoChange() {
    // A negative rate would have no square root; it means no accelerando, and the smallest size.
    const double rate = std::max(Session->Metron->AcelValue(), 0.0);
    const int32_t s = RoundToInt32(std::sqrt(rate * 2) + 8);
    lbAcel.setVisible(Session->Metron->Accelerando());
    QFont font = lbAcel.font();
    font.setPixelSize(zoom->Scaled(PointsToPixels(s)));
    lbAcel.setFont(font);
}

void FormMain::Metron_EnableChange() {
    if (Journal) {
        Journal->EngineChanged();
    }
    if (!Session->Metron->Enable()) {
        lbTime.clear();
        Display.ClearStrip();
    }
    ArmBeatTimer();
    AnimateBall();
}

void FormMain::Metron_Progress(int32_t& percent) {
    lbProgress.setText(QString::number(percent) + QLatin1Char('%'));
}

void FormMain::CreateMenu() {
    setToolTip(QString::fromUtf8(ToolTip));
    // The layout as loading left it is the layout at 100 %.
    zoom = std::make_unique<WindowZoom>(*this, services.Settings);
    taps = std::make_unique<TapTempo>(services.Ticks);
    commandMenu = std::make_unique<CommandMenu>(
        CommandMenu::Commands{[this](int32_t code, int32_t presses) { PressKey(code, presses); },
                              [this] { lbBPM_Click(); }, [this] { EnterTempo(); },
                              [this](int32_t percent) { SetZoom(percent); }, [this] { Undo(); },
                              [this] { Journal->Show(); }},
        this);
    ApplyZoom(zoom->Stored());
}

void FormMain::contextMenuEvent(QContextMenuEvent* e) {
    // An export turns everything away, as it does keys.
    if (!Session->TakesCommands()) {
        return;
    }
    commandMenu->Menu().popup(e->globalPos());
    e->accept();
}

void FormMain::mousePressEvent(QMouseEvent* e) {
    // The labels take no clicks of their own, so a click on the digits arrives here; a quick
    // second click arrives as a double click, which Qt hands on as a press.
    if (e->button() == Qt::LeftButton && lbBPM.geometry().contains(e->position().toPoint())) {
        lbBPM_Click();
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

void FormMain::PressKey(int32_t KeyCode, int32_t Presses) {
    if (!Session->TakesCommands()) {
        return;
    }
    // The entry's gesture starts afresh, whatever key came before it.
    Session->KeyState.LastKey = 0;
    for (int32_t press = 0; press < Presses; ++press) {
        Guarded([&] { Form_KeyDown(KeyCode, 0); });
    }
}

void FormMain::lbBPM_Click() {
    if (!Session->TakesCommands()) {
        return;
    }
    if (const std::optional<int32_t> tempo = taps->Tap()) {
        const CommandScope command(*this);
        Guarded([&] { Session->Metron->BPM(*tempo); });
    }
}

void FormMain::EnterTempo() {
    if (!Session->TakesCommands()) {
        return;
    }
    // No command runs while the dialog is open, so the beat goes on behind it at the old tempo.
    int32_t tempo = Session->Metron->BPM();
    frmTempo dialog(tempo, CMetronome::MinBpm, CMetronome::MaxBpm, this);
    // A close of the program dismisses the dialog; the engine may be gone by then.
    if (dialog.exec() != QDialog::Accepted || !Session->TakesCommands()) {
        return;
    }
    const CommandScope command(*this);
    Guarded([&] { Session->Metron->BPM(tempo); });
}

void FormMain::Undo() {
    if (!Session->TakesCommands()) {
        return;
    }
    const CommandScope command(*this);
    Guarded([this] { Session->Feedback->Undo(); });
}

void FormMain::SoundLost(bool lost) {
    const char* text = lost ? "Sound lost: playing on silently" : "The sound is back";
    std::fprintf(stderr, "pulsara: %s\n", text);
    lbNotice.Show(QString::fromUtf8(text), false);
}

void FormMain::SetZoom(int32_t percent) {
    ApplyZoom(percent);
    zoom->Store();
}

void FormMain::ApplyZoom(int32_t percent) {
    commandMenu->ShowZoom(percent);
    // The layout at 100 % stays untouched until another zoom is chosen.
    if (percent == zoom->Percent() || !zoom->Apply(percent)) {
        return;
    }
    picClock.Scale(zoom->Factor());
    Display.Scale(zoom->Factor());
    if (Session && Session->Clock) {
        Session->Clock->Paint();
    }
    if (Session && Session->Metron) {
        Metron_AccelerandoChange();
    }
}
