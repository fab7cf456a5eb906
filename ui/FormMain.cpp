#include "FormMain.h"

#include "FormT.h"
#include "MetronomePicture.h"
#include "ProgramFolder.h"
#include "Rounding.h"
#include "VirtualKey.h"
#include "frmRhithm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFont>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <string_view>
#include <system_error>
#include <utility>

const QColor FormMain::BackColour(255, 224, 192);
const QColor FormMain::DarkBlue(0, 0, 192);
const QColor FormMain::DarkRed(192, 0, 0);

namespace {

constexpr int ClientWidth = 268;
constexpr int ClientHeight = 172;
constexpr int ClockInterval = 10000;
constexpr const char* DefaultRhythm = "4 xxxx (xxxx xxxx xxxx xxxx)0";

// The faces the window was designed with. Where they are missing, their metric twins stand in:
// the rhythm strip and its marker line up only in a face of one fixed pitch.
constexpr const char* FixedFace = "Courier New";
constexpr const char* SansFace = "MS Sans Serif";

// The pendulum's rod ends, from the pivot.
constexpr QPoint LeftSwing(-10, -25);
constexpr QPoint RightSwing(15, -20);
constexpr int BobRadius = 4;

// The ball box.
constexpr double BallX = 15;
constexpr double BallRestY = 80;
constexpr double BallRadius = 5;
constexpr Colour DrawingColour{0, 0, 0};

// The rhythm strip: the symbol being played stands in its eighth column.
constexpr std::size_t StripLead = 8;
constexpr std::size_t StripTail = 26;
constexpr std::size_t StripWidth = 25;

// The tempo keys: the top letter row from Q to I and the digits row from the backquote key to
// Backspace read as a scale of tempos.
struct TempoKeyBase {
    int32_t KeyCode;
    int32_t Base;
};
constexpr std::array<TempoKeyBase, 23> TempoKeyTable{{
    {'Q', 20},
    {'W', 30},
    {'E', 40},
    {'R', 50},
    {'T', 60},
    {'Y', 70},
    {'U', 80},
    {'I', 90},
    {VirtualKey::Backquote, 100},
    {'1', 110},
    {'2', 120},
    {'3', 130},
    {'4', 140},
    {'5', 150},
    {'6', 160},
    {'7', 170},
    {'8', 180},
    {'9', 190},
    {'0', 200},
    {VirtualKey::Minus, 210},
    {VirtualKey::Equals, 220},
    {VirtualKey::Backslash, 230},
    {VirtualKey::Back, 240},
}};

// The accelerando keys: the rate with which each one starts, and the factor by which a further
// press makes a running one gentler or steeper.
constexpr double GentleAccelerando = 3.0;
constexpr double SteepAccelerando = 9.0;
constexpr double AccelerandoFactor = 1.2006;

// The six mixer presets on the bottom row, B to the slash key.
struct MixerPresetKey {
    int32_t KeyCode;
    const char* Name;
};
constexpr std::array<MixerPresetKey, 6> MixerPresetKeys{{
    {'B', "B"},
    {'N', "N"},
    {'M', "M"},
    {VirtualKey::Comma, "<"},
    {VirtualKey::Period, ">"},
    {VirtualKey::Slash, "/"},
}};

// A mixer level moved by a step. The levels are the mixer's own units and are not limited here;
// only a sum beyond what a level can hold stops at its end.
int32_t SteppedLevel(int32_t level, int32_t step) {
    const int64_t sum = int64_t{level} + step;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The desktop's viewer for a document; Qt hands the request on (xdg-open on Linux) without
// waiting for the viewer.
void OpenWithDesktop(const std::filesystem::path& document) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(document.string())));
}

QFont SansSerif(double points, bool bold) {
    QFont font(QString::fromLatin1(SansFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(FormMain::PointsToPixels(points));
    font.setBold(bold);
    return font;
}

QFont FixedPitch(double points, bool bold) {
    QFont font(QString::fromLatin1(FixedFace));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(FormMain::PointsToPixels(points));
    font.setBold(bold);
    return font;
}

enum class Align { Left, Centre };

// Labels draw only their text, top-aligned as on the original window, over the window's own
// background, so that overlapping labels never hide each other's text.
void SetUpLabel(QLabel& label, QRect geometry, const QString& text, const QFont& font, Align align,
                bool wrap) {
    label.setGeometry(geometry);
    label.setTextFormat(Qt::PlainText);
    label.setText(text);
    label.setFont(font);
    label.setAlignment(Qt::AlignTop | (align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft));
    label.setWordWrap(wrap);
    label.setMargin(0);
    label.setIndent(0);
}

void SetForeColour(QLabel& label, const QColor& colour) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The strip of the rhythm text with the step's symbol in its eighth column: the 25 characters of
// the padded text from the cursor's position, which is the position of the next byte to read. The
// program keeps text as UTF-8, so a caption may hold characters of several bytes; the window is
// counted in characters on both sides of the symbol (a single byte itself), so that the symbol
// stays under the marker and no character is cut in two.
QString RhythmStrip(const std::string& rhythm, int32_t curPos) {
    const std::string padded = std::string(StripLead, ' ') + rhythm + std::string(StripTail, ' ');
    const auto start = static_cast<std::size_t>(std::max<int32_t>(curPos, 1) - 1);
    if (start >= padded.size()) {
        return {};
    }
    constexpr std::size_t MaxCharBytes = 4;
    const std::size_t symbol = std::min(start + StripLead - 1, padded.size());
    const std::size_t leftFrom = symbol - std::min(symbol, (StripLead - 1) * MaxCharBytes + 3);
    const std::string_view all(padded);
    const QString left =
        Utf8(all.substr(leftFrom, symbol - leftFrom)).right(static_cast<qsizetype>(symbol - start));
    const std::size_t rightChars = StripWidth - (StripLead - 1);
    const QString right = Utf8(all.substr(symbol, rightChars * MaxCharBytes))
                              .left(static_cast<qsizetype>(rightChars));
    return left + right;
}

} // namespace

FormMain::FormMain(PlatformServices& platform, TempoMemoryState& programValues, QWidget* parent)
    : QWidget(parent)
    , picBall(BackColour, this)
    , picClock(BackColour, this)
    , timClock(this)
    , lbProgress(this)
    , lbWave(this)
    , lbInfo(this)
    , Label1(this)
    , lbRhithm(this)
    , lbPau2(this)
    , lbPau1(this)
    , lbAcel(this)
    , lbPause(this)
    , lbTime(this)
    , lbBPM(this)
    , services(platform)
    , values(programValues) {
    HelpPage = ProgramFolder() / "Help.htm";
    OpenDocument = OpenWithDesktop;
    BuildControls();
    Form_Load();
}

FormMain::~FormMain() {
    // A window destroyed without being closed (the application quit around it) still leaves the
    // microphone muted and the practice time stored.
    if (Metron || Clock || Volume) {
        Running = false;
        int16_t Cancel = 0;
        Form_Unload(Cancel);
    }
}

int FormMain::PointsToPixels(double points) {
    return RoundToInt32(points * 96.0 / 72.0);
}

void FormMain::BuildControls() {
    QFont::insertSubstitution(QString::fromLatin1(FixedFace), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QString::fromLatin1(SansFace), QStringLiteral("Liberation Sans"));

    setWindowTitle(QStringLiteral("Pulsara"));
    setFixedSize(ClientWidth, ClientHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, BackColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    picBall.move(208, 0);
    picBall.Resize(41, 89);
    picBall.hide();
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
    SetUpLabel(lbInfo, {0, 120, 89, 17}, QString(), SansSerif(12, true), Align::Centre, true);
    shMetr.Size = 2 * BobRadius + 1;
    LineMetr.BorderWidth = 2;
    SetUpLabel(Label1, {8, 136, 89, 17}, QStringLiteral("       |"), FixedPitch(12, true),
               Align::Left, false);
    SetUpLabel(lbRhithm, {8, 152, 257, 17}, QString(), FixedPitch(12, false), Align::Left, false);
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
    imMetronome.Geometry = QRect(192, 24, MetronomePictureSize, MetronomePictureSize);
    imMetronome.Picture = MetronomePicture();
    SetUpLabel(lbTime, {64, 104, 145, 41}, QString(), SansSerif(24, false), Align::Centre, true);
    SetUpLabel(lbBPM, {88, 40, 97, 41}, QString(), SansSerif(24, false), Align::Centre, true);
    SetForeColour(lbBPM, DarkBlue);
}

void FormMain::Form_Load() {
    Metron = std::make_unique<CMetronome>(services.Ticks, services.Sound);
    Metron->Events(this);
    Metron->Pause(false);
    Metron->BPM(120);
    Metron->Track().Rhithm(DefaultRhythm);
    Clock = std::make_unique<CClock>(services.Ticks, services.Settings);
    Clock->Container(picClock);
    Volume = std::make_unique<cVolume>(services.Mixer, services.MessageDialogs);
    Volume->MikrofonMute(false);
    CreateKeyCommands();
    Running = true;
    LineMetr.P1 = imMetronome.Geometry.topLeft() + MetronomePivot;
    PlacePendulum(LineMetr.P1 + LeftSwing);
    for (std::size_t i = 0; i < values.TempoMemory.size(); ++i) {
        values.TempoMemory[i] = 30 + 5 * static_cast<int32_t>(i);
    }
    values.CurSlot = 8;
    values.LastSlot = 8;
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
    if (e->type() == QEvent::WindowActivate) {
        // The loop starts once the activation has been handled in full (focus included), not
        // inside its delivery.
        QMetaObject::invokeMethod(
            this, [this] { Form_Activate(); }, Qt::QueuedConnection);
    }
    return QWidget::event(e);
}

void FormMain::Form_Activate() {
    if (loopRunning || !Running) {
        return;
    }
    loopRunning = true;
    passes = 0;
    try {
        do {
            RunLoopPass();
        } while (Running);
    } catch (const std::exception& error) {
        // Nothing can be trusted to go on after a fault in the middle of a step; the program ends
        // the way a close does, so the microphone is muted and the practice time kept.
        std::fprintf(stderr, "pulsara: %s; closing\n", error.what());
        EndAfterFault();
    }
    loopRunning = false;
}

void FormMain::EndAfterFault() {
    Running = false;
    ExportBusy = false;
    pendingClose.reset();
    int16_t Cancel = 0;
    Form_Unload(Cancel);
    close();
}

void FormMain::RunLoopPass() {
    if (!Metron) {
        return;
    }
    Metron->Pulse();
    passes = (passes + 1) % 5;
    if (passes == 0 && DisplayMode == 1 && Metron->Enable()) {
        DrawBall();
    }
    pendingEvents.DeliverIfAny();
    ClosePending();
    services.Ticks.Sleep(1);
}

void FormMain::RequestClose(UnloadMode mode) {
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this) {
        modal->close();
    }
    pendingClose = mode;
    // An end the user did not ask for does not wait for an export, however long it would take.
    if (Metron && (mode == BySystem || mode == BySessionEnd)) {
        Metron->CancelExport();
    }
    if (!loopRunning) {
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
    QPainter painter(this);
    if (imMetronome.Visible) {
        if (imMetronome.Picture.devicePixelRatio() != devicePixelRatioF()) {
            imMetronome.Picture = MetronomePicture(devicePixelRatioF());
        }
        painter.drawImage(imMetronome.Geometry, imMetronome.Picture);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    if (LineMetr.Visible) {
        painter.setPen(QPen(Qt::black, LineMetr.BorderWidth, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(LineMetr.P1) + QPointF(0.5, 0.5),
                         QPointF(LineMetr.P2) + QPointF(0.5, 0.5));
    }
    if (shMetr.Visible) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        painter.drawEllipse(
            QRectF(shMetr.Left + 0.5, shMetr.Top + 0.5, shMetr.Size - 1, shMetr.Size - 1));
    }
    painter.end();
    Form_Paint();
}

void FormMain::Form_Paint() {
    if (Clock) {
        Clock->Paint();
    }
}

void FormMain::timClock_Timer() {
    if (!Clock) {
        return;
    }
    Clock->Paint();
    // A run that ends without the clock's release (killed, crashed, logged out) then loses only
    // the last few seconds of practice.
    Clock->StoreProgress();
}

void FormMain::closeEvent(QCloseEvent* e) {
    if (!Metron && !Clock && !Volume) {
        e->accept();
        return;
    }
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
    if (ExportBusy) {
        Cancel = 1;
        return;
    }
    // Notes that cannot be saved keep the program open when the player closes it, so that they can
    // be copied elsewhere. A close from the system or the session cannot wait for an answer; the
    // notebook then keeps what its file does not take in a recovery file.
    const bool canWait = UnloadMode == ByCloseBox || UnloadMode == ByCode;
    if (canWait && !CloseNoteBook()) {
        Cancel = 1;
        return;
    }
    if (!canWait && noteBook) {
        noteBook->CloseForExit();
    }
    Running = false;
}

void FormMain::Form_Unload(int16_t& Cancel) {
    (void)Cancel;
    if (Volume) {
        Volume->MikrofonMute(true);
    }
    WaveExport.reset();
    RhythmKeys.reset();
    TempoKeys.reset();
    Presets.reset();
    Metron.reset();
    Clock.reset();
    Volume.reset();
}

void FormMain::keyPressEvent(QKeyEvent* e) {
    const VirtualKey::KeyDown key = VirtualKey::FromEvent(*e);
    Form_KeyDown(key.KeyCode, key.Shift);
    e->accept();
}

void FormMain::CreateKeyCommands() {
    Presets = std::make_unique<MixerPresets>(*Volume, services.Settings);
    TempoKeys = std::make_unique<TempoMemoryCommands>(*Metron, values, KeyState.SavedTempo, [this] {
        FormT dialog(values, this);
        dialog.exec();
    });
    RhythmKeys = std::make_unique<RhythmCommands>(*Metron, services.Settings,
                                                  services.MessageDialogs, KeyState.SavedRhythm,
                                                  KeyState.RecalledRhythm, RhythmEntryText, [this] {
                                                      frmRhithm dialog(RhythmEntryText, this);
                                                      dialog.exec();
                                                  });
    WaveExport = std::make_unique<WaveExportCommand>(*Metron, services.MessageDialogs, ExportBusy,
                                                     [this](bool on) { ShowExportNotice(on); });
    // The window repaints, shows the percentage and turns keys away while an export renders.
    Metron->PendingEvents([this] { pendingEvents.DeliverIfAny(); });
}

void FormMain::Form_KeyDown(int32_t KeyCode, int32_t Shift) {
    if (ExportBusy || !Metron) {
        return;
    }
    const int32_t now = services.Ticks.GetTickCount();
    bool DoubleKey = false;
    // The interval counts forward on the wrapping tick counter, so a wrap between two presses is
    // just another interval.
    const auto elapsed = static_cast<uint32_t>(TicksBetween(KeyState.LastKeyTime, now));
    if (KeyCode == KeyState.LastKey && elapsed < RepeatInterval) {
        DoubleKey = true;
        ++KeyState.PressCount;
    } else {
        KeyState.PressCount = 1;
    }
    KeyState.LastKeyTime = services.Ticks.GetTickCount();
    RunKeyCommand(KeyCode, Shift, DoubleKey);
    // Also a key without a command ends a chain of quick repeats.
    KeyState.LastKey = KeyCode;
}

bool FormMain::RunKeyCommand(int32_t KeyCode, int32_t Shift, bool DoubleKey) {
    return TempoKey(KeyCode) || EngineKey(KeyCode) || MixerKey(KeyCode, DoubleKey) ||
           MemoryKey(KeyCode, Shift, DoubleKey) || WindowKey(KeyCode, DoubleKey);
}

bool FormMain::TempoKey(int32_t KeyCode) {
    const auto key =
        std::find_if(TempoKeyTable.begin(), TempoKeyTable.end(),
                     [KeyCode](const TempoKeyBase& k) { return k.KeyCode == KeyCode; });
    if (key == TempoKeyTable.end()) {
        return false;
    }
    Metron->BPM(key->Base + TempoPlus(KeyState.PressCount));
    return true;
}

// The beat, the tempo steps, the pause cycle and the accelerando; the engine clamps or refuses
// what lies out of range.
bool FormMain::EngineKey(int32_t KeyCode) {
    switch (KeyCode) {
    case VirtualKey::Space:
        Metron->Switch();
        return true;
    case VirtualKey::Up:
        Metron->BPM(Metron->BPM() + 5);
        return true;
    case VirtualKey::Down:
        Metron->BPM(Metron->BPM() - 5);
        return true;
    case VirtualKey::Left:
        Metron->BPM(Metron->BPM() - 1);
        return true;
    case VirtualKey::Right:
        Metron->BPM(Metron->BPM() + 1);
        return true;
    case VirtualKey::F7:
        Metron->PauseSwitch();
        return true;
    case 'O':
        Metron->PauseSec(Metron->PauseSec() - 1);
        return true;
    case 'P':
        Metron->PauseSec(Metron->PauseSec() + 1);
        return true;
    case VirtualKey::F8:
        Metron->DisableAccelerando();
        return true;
    case VirtualKey::LeftBracket:
        if (Metron->Accelerando()) {
            Metron->AcelValue(Metron->AcelValue() / AccelerandoFactor);
        } else {
            Metron->AccelerandoBegin(GentleAccelerando);
        }
        return true;
    case VirtualKey::RightBracket:
        if (Metron->Accelerando()) {
            Metron->AcelValue(Metron->AcelValue() * AccelerandoFactor);
        } else {
            Metron->AccelerandoBegin(SteepAccelerando);
        }
        return true;
    default:
        return false;
    }
}

bool FormMain::MixerKey(int32_t KeyCode, bool DoubleKey) {
    switch (KeyCode) {
    case VirtualKey::Insert:
    case VirtualKey::Delete:
    case VirtualKey::Home:
    case VirtualKey::End:
    case VirtualKey::Prior:
    case VirtualKey::Next:
        StepMixerLevel(KeyCode);
        return true;
    case VirtualKey::F12:
        Volume->MikrofonMute(!Volume->MikrofonMute());
        return true;
    default:
        break;
    }
    const auto preset =
        std::find_if(MixerPresetKeys.begin(), MixerPresetKeys.end(),
                     [KeyCode](const MixerPresetKey& k) { return k.KeyCode == KeyCode; });
    if (preset == MixerPresetKeys.end()) {
        return false;
    }
    SetMixer(DoubleKey, preset->Name);
    return true;
}

void FormMain::StepMixerLevel(int32_t KeyCode) {
    switch (KeyCode) {
    case VirtualKey::Insert:
        Volume->VolumeLevel(SteppedLevel(Volume->VolumeLevel(), MixerStep));
        break;
    case VirtualKey::Delete:
        Volume->VolumeLevel(SteppedLevel(Volume->VolumeLevel(), -MixerStep));
        break;
    case VirtualKey::Home:
        Volume->WaveLevel(SteppedLevel(Volume->WaveLevel(), MixerStep));
        break;
    case VirtualKey::End:
        Volume->WaveLevel(SteppedLevel(Volume->WaveLevel(), -MixerStep));
        break;
    case VirtualKey::Prior:
        Volume->MicLevel(SteppedLevel(Volume->MicLevel(), MixerStep));
        break;
    case VirtualKey::Next:
        Volume->MicLevel(SteppedLevel(Volume->MicLevel(), -MixerStep));
        break;
    default:
        break;
    }
}

void FormMain::SetMixer(bool DoubleKey, std::string_view Name) {
    if (Presets) {
        Presets->SetMixer(DoubleKey, Name);
    }
}

// The keypad's tempo memory, the rhythm keys and the wave export.
bool FormMain::MemoryKey(int32_t KeyCode, int32_t Shift, bool DoubleKey) {
    if (KeyCode >= VirtualKey::Numpad1 && KeyCode <= VirtualKey::Numpad9) {
        TempoKeys->KeypadDigit(KeyCode - VirtualKey::Numpad1, KeyState.PressCount);
        return true;
    }
    switch (KeyCode) {
    case VirtualKey::Add:
        TempoKeys->KeypadPlus();
        return true;
    case VirtualKey::Numpad0:
        TempoKeys->KeypadZero();
        return true;
    case VirtualKey::Decimal:
        TempoKeys->KeypadDecimal(DoubleKey);
        return true;
    case VirtualKey::ShiftKey:
        RhythmKeys->ShiftKey(DoubleKey);
        return true;
    case 'Z':
    case 'X':
    case 'C':
    case 'V':
        RhythmKeys->PresetKey(KeyCode, DoubleKey);
        return true;
    case 'A':
    case 'S':
    case 'D':
    case 'F':
    case 'G':
    case 'H':
    case 'J':
    case 'K':
    case 'L':
        RhythmKeys->SlotKey(KeyCode, DoubleKey);
        return true;
    case VirtualKey::F2:
        RhythmKeys->SaveRhythmFile();
        return true;
    case VirtualKey::F3:
        RhythmKeys->OpenRhythmFile();
        return true;
    case VirtualKey::F4:
        // Alt+F4 belongs to the window system.
        if (Shift != VirtualKey::AltMask) {
            RhythmKeys->EnterRhythm();
        }
        return true;
    case VirtualKey::F11:
        WaveExport->Run();
        return true;
    default:
        return false;
    }
}

// The clock, the help page, the side windows and the display mode.
bool FormMain::WindowKey(int32_t KeyCode, bool DoubleKey) {
    switch (KeyCode) {
    case VirtualKey::F5:
        if (DoubleKey) {
            Clock->ResetTime();
        }
        return true;
    case VirtualKey::F6:
        Clock->Freeze(!Clock->Freeze());
        return true;
    case VirtualKey::F1:
        ShowHelp();
        return true;
    case VirtualKey::F9:
        ShowNoteBook();
        return true;
    case VirtualKey::Subtract:
        ToggleDisplayMode();
        if (KeyState.PressCount == 4) {
            ShowListTmps();
        }
        return true;
    default:
        return false;
    }
}

void FormMain::ToggleDisplayMode() {
    ShowDisplayMode(DisplayMode == 1 ? 0 : 1);
}

void FormMain::ShowHelp() {
    // Nothing is said when the page is missing; a viewer would only show an error of its own.
    std::error_code error;
    if (!std::filesystem::is_regular_file(HelpPage, error) || !OpenDocument) {
        return;
    }
    OpenDocument(HelpPage);
}

// Showing an open side window again brings it to the front: a second notebook would read the notes
// as they were before the first one's changes and overwrite them when it closes.
void FormMain::ShowNoteBook() {
    if (noteBook && !noteBook->isHidden()) {
        BringToFront(*noteBook);
        return;
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    noteBook = std::make_unique<frmNoteBook>(services.MessageDialogs, folder, this);
    noteBook->show();
}

void FormMain::ShowListTmps() {
    if (listTmps && !listTmps->isHidden()) {
        BringToFront(*listTmps);
        return;
    }
    listTmps = std::make_unique<frmListTmps>(this);
    listTmps->show();
}

void FormMain::BringToFront(QWidget& window) {
    window.raise();
    window.activateWindow();
}

bool FormMain::CloseNoteBook() {
    if (!noteBook || noteBook->isHidden()) {
        return true;
    }
    return noteBook->close();
}

void FormMain::ShowExportNotice(bool visible) {
    if (visible) {
        lbProgress.clear();
    }
    lbWave.setVisible(visible);
    lbProgress.setVisible(visible);
}

int32_t FormMain::TempoPlus(int32_t prT) const {
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

void FormMain::ShowDisplayMode(int32_t mode) {
    DisplayMode = mode;
    const bool pendulum = mode == 0;
    imMetronome.Visible = pendulum;
    LineMetr.Visible = pendulum;
    shMetr.Visible = pendulum;
    picBall.setVisible(!pendulum);
    update(imMetronome.Geometry.united(PendulumBounds()));
}

void FormMain::DrawBall() {
    double h = 0;
    // Before the first main beat there is no swing to follow: the ball rests on the floor.
    if (SwingLength > 0) {
        const int32_t t = TicksBetween(SwingStartTick, services.Ticks.GetTickCount());
        const double p = 2.0 / SwingLength * t;
        h = (1 - (p - 1) * (p - 1)) * SwingLength * 0.025;
    }
    picBall.Clear();
    picBall.Circle(BallX, BallRestY - h, BallRadius, DrawingColour, Fill::Solid);
    picBall.Rectangle(0, 84, 30, 88, DrawingColour, Fill::Solid);
}

void FormMain::PlacePendulum(QPoint rodEnd) {
    const QRect before = PendulumBounds();
    LineMetr.P2 = rodEnd;
    shMetr.Left = rodEnd.x() - BobRadius;
    shMetr.Top = rodEnd.y() - BobRadius;
    update(before.united(PendulumBounds()));
}

void FormMain::SwingPendulum() {
    const QPoint pivot = LineMetr.P1;
    PlacePendulum(pivot + (KeyState.SwingCount % 2 == 0 ? LeftSwing : RightSwing));
}

QRect FormMain::PendulumBounds() const {
    const QRect rod = QRect(LineMetr.P1, LineMetr.P2).normalized();
    const QRect bob(shMetr.Left, shMetr.Top, shMetr.Size, shMetr.Size);
    return rod.united(bob).adjusted(-2, -2, 2, 2);
}

void FormMain::Metron_BpmChange() {
    lbBPM.setText(QString::number(Metron->BPM()));
}

void FormMain::Metron_Click(double& Dlit) {
    SwingStartTick = services.Ticks.GetTickCount();
    SwingLength = RoundToInt32(60000.0 / Metron->BPM() * 4 * Dlit);
    if (DisplayMode == 0) {
        ++KeyState.SwingCount;
        SwingPendulum();
    }
    const int32_t t = Metron->BpmTime();
    lbTime.setText(QStringLiteral("%1 : %2").arg(t / 60).arg(t % 60, 2, 10, QLatin1Char('0')));
}

void FormMain::Metron_Step() {
    const CTrackList& track = Metron->Track();
    lbRhithm.setText(RhythmStrip(track.Rhithm(), track.CurPos()));
    lbInfo.setText(Utf8(track.CurInfo()));
}

void FormMain::Metron_PauseChange() {
    const bool pause = Metron->Pause();
    lbPause.setVisible(pause);
    lbPau1.setVisible(pause);
    lbPau2.setVisible(pause);
    lbPause.setText(QString::number(Metron->PauseSec()));
}

void FormMain::Metron_AccelerandoChange() {
    // A negative rate would have no square root; it means no accelerando, and the smallest size.
    const double rate = std::max(Metron->AcelValue(), 0.0);
    const int32_t s = RoundToInt32(std::sqrt(rate * 2) + 8);
    lbAcel.setVisible(Metron->Accelerando());
    QFont font = lbAcel.font();
    font.setPixelSize(PointsToPixels(s));
    lbAcel.setFont(font);
}

void FormMain::Metron_EnableChange() {
    if (!Metron->Enable()) {
        lbTime.clear();
        lbRhithm.clear();
        lbInfo.clear();
    }
}

void FormMain::Metron_Progress(int32_t& percent) {
    lbProgress.setText(QString::number(percent) + QLatin1Char('%'));
}
