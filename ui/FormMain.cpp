#include "FormMain.h"

#include "MetronomePicture.h"
#include "Rounding.h"
#include "StepLength.h"
#include "VirtualKey.h"
#include "WindowFonts.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <utility>

const QColor FormMain::BackColour(255, 224, 192);

namespace {

constexpr int ClientWidth = 268;
constexpr int ClientHeight = 172;
constexpr int ClockInterval = 10000;

} // namespace

FormMain::FormMain(PlatformServices& platform, TempoMemoryState& programValues, QWidget* parent)
    : QWidget(parent)
    , Display(platform.Ticks, BackColour, this)
    , picClock(BackColour, this)
    , timClock(this)
    , Labels(*this)
    , lbNotice(this)
    , services(platform)
    , values(programValues)
    , loop(platform.Ticks, *this)
    , sideWindows(platform.MessageDialogs, *this, programValues) {
    BuildControls();
    Form_Load();
    CreateMenu();
}

FormMain::~FormMain() {
    // A window destroyed without being closed (the application quit around it) still leaves the
    // microphone's mute as it was found and the practice time stored.
    Session->End();
}

void FormMain::BuildControls() {
    setWindowTitle(QStringLiteral("Pulsara"));
    setFixedSize(ClientWidth, ClientHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, BackColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    picClock.move(0, 0);
    picClock.Resize(65, 65);
    timClock.setInterval(ClockInterval);
    QObject::connect(&timClock, &QTimer::timeout, this, [this] { timClock_Timer(); });
    timClock.start();
    // Between the tempo and the time since it was set, across the window.
    lbNotice.setGeometry(4, 84, 260, 18);
    lbNotice.setFont(WindowFonts::SansSerif(9, true));
    setWindowIcon(ProgramIcon());
}

void FormMain::Form_Load() {
    Session = std::make_unique<PracticeSession>(services, values, static_cast<SessionView&>(*this),
                                                sideWindows, picClock);
    Session->Feedback->Listen([this](const CommandFeedback::Notice& notice) {
        lbNotice.Show(QString::fromStdString(notice.Text), notice.Undoable);
        if (commands) {
            commands->ShowUndo(Session->Feedback->UndoLabel());
        }
    });
    lbNotice.OnUndo([this] { Session->Undo(); });
    loop.Follow(*Session);
    Session->Start(*this);
    Journal = std::make_unique<PracticeJournal>(
        services.Ticks, *Session->Metron, [this] { return Session->RhythmKeys->Source(); },
        services.MessageDialogs, this);
    DisplayMode = 0;
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

void FormMain::AnimateBall() {
    Display.Animate(DisplayMode == 1 && Session->BeatOn());
}

void FormMain::Close(UnloadMode mode) {
    nextUnloadMode = mode;
    close();
    nextUnloadMode = ByCode;
}

void FormMain::paintEvent(QPaintEvent* e) {
    (void)e;
    Form_Paint();
}

void FormMain::Form_Paint() {
    if (Session->Clock) {
        Session->Clock->Paint();
    }
}

void FormMain::timClock_Timer() {
    if (!Session->Clock) {
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
    int16_t Cancel = 0;
    Session->RunCommand([&] {
        Form_QueryUnload(Cancel, e->spontaneous() ? ByCloseBox : nextUnloadMode);
        if (Cancel == 0) {
            Form_Unload(Cancel);
        }
    });
    e->setAccepted(Cancel == 0);
}

void FormMain::Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) {
    Cancel = Session->QueryUnload(static_cast<::UnloadMode>(UnloadMode)) ? 0 : 1;
}

void FormMain::Form_Unload(int16_t& Cancel) {
    (void)Cancel;
    Session->End();
}

void FormMain::SessionEnding() {
    loop.Stop();
    Display.Animate(false);
    Journal.reset();
}

void FormMain::keyPressEvent(QKeyEvent* e) {
    const VirtualKey::KeyDown key = VirtualKey::FromEvent(*e);
    Form_KeyDown(key.KeyCode, key.Shift);
    e->accept();
}

void FormMain::ShowDisplayMode(int32_t mode) {
    DisplayMode = mode;
    Display.ShowPendulum(mode == 0);
    AnimateBall();
}

void FormMain::Metron_BpmChange() {
    if (Journal) {
        Journal->EngineChanged();
    }
    Labels.ShowTempo(Session->Metron->BPM());
}

void FormMain::Metron_Click(double& Dlit) {
    // The heard tempo, not the digits: during an accelerando the swing keeps to the real steps.
    Display.StartSwing(RoundToInt32(StepLength::Milliseconds(Session->Metron->Tempo(), 1) * Dlit));
    if (DisplayMode == 0) {
        ++Session->KeyState.SwingCount;
        Display.SwingPendulum(Session->KeyState.SwingCount % 2 != 0);
    }
    Labels.ShowTime(Session->Metron->BpmTime());
}

void FormMain::Metron_Step() {
    const CTrackList& track = std::as_const(*Session->Metron).Track();
    Display.ShowStrip(BeatDisplay::RhythmStrip(track.Rhithm(), track.CurPos()),
                      QString::fromStdString(track.CurInfo()));
}

void FormMain::Metron_PauseChange() {
    Labels.ShowPause(Session->Metron->Pause(), Session->Metron->PauseSec());
}

void FormMain::Metron_AccelerandoChange() {
    Labels.ShowAccelerando(Session->Metron->Accelerando(), Session->Metron->AcelValue(),
                           commands->Zoom());
}

void FormMain::Metron_EnableChange() {
    if (Journal) {
        Journal->EngineChanged();
    }
    if (!Session->Metron->Enable()) {
        Labels.ClearTime();
        Display.ClearStrip();
    }
    loop.Arm();
    AnimateBall();
}

void FormMain::CreateMenu() {
    setToolTip(QString::fromUtf8(ToolTip));
    commands = std::make_unique<WindowCommands>(
        *this, *Session, services.Settings, [this] { Journal->Show(); }, [this] { Rescale(); });
    commands->ApplyStoredZoom();
}

void FormMain::contextMenuEvent(QContextMenuEvent* e) {
    commands->PopUp(e->globalPos());
    e->accept();
}

void FormMain::mousePressEvent(QMouseEvent* e) {
    // The labels take no clicks of their own, so a click on the digits arrives here; a quick
    // second click arrives as a double click, which Qt hands on as a press.
    if (e->button() == Qt::LeftButton &&
        Labels.lbBPM.geometry().contains(e->position().toPoint())) {
        Session->Tap();
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

void FormMain::Rescale() {
    picClock.Scale(commands->Zoom().Factor());
    Display.Scale(commands->Zoom().Factor());
    Form_Paint();
    if (Session->Metron) {
        Metron_AccelerandoChange();
    }
}
