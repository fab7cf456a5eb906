#include "cVolume.h"

#include "Dialogs.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace {

constexpr std::string_view MixerErrorTitle = "Pulsara - Mixercontrol Error";
constexpr std::string_view CaptureErrorTitle = "Pulsara - Mixercontrol Fehler";

constexpr std::array<MixerLineType, 6> LineTypes = {
    MixerLineType::Master,      MixerLineType::Microphone,  MixerLineType::LineIn,
    MixerLineType::CompactDisc, MixerLineType::Synthesizer, MixerLineType::Wave,
};
constexpr std::array<MixerControlType, 6> ControlTypes = {
    MixerControlType::Volume, MixerControlType::Mute,   MixerControlType::Fader,
    MixerControlType::Bass,   MixerControlType::Treble, MixerControlType::Pan,
};

// The recorder only has to run for the input meter to move; what it records is never looked at,
// so the plainest format will do.
constexpr CaptureFormat MeterCaptureFormat{1, 8000, 8, 1, 8000};

} // namespace

cVolume::cVolume(MixerDevice& mixerDevice, Dialogs& messageDialogs)
    : device(mixerDevice)
    , dialogs(messageDialogs) {
    lastResult = device.Open();
    if (lastResult != 0) {
        dialogs.MessageBox("Mixer could not be open", MixerErrorTitle, MessageIcon::Error);
        return;
    }
    mixerOpen = true;
    for (std::size_t kind = 0; kind < KindCount; ++kind) {
        for (std::size_t line = 0; line < LineCount; ++line) {
            FindControl(LineTypes[line], ControlTypes[kind], controls[kind * LineCount + line]);
        }
    }
    if (!FindControl(MixerLineType::WaveIn, MixerControlType::PeakMeter, inputMeter)) {
        FindControl(MixerLineType::Microphone, MixerControlType::PeakMeter, inputMeter);
    }
    FindControl(MixerLineType::Wave, MixerControlType::PeakMeter, outputMeter);
}

cVolume::~cVolume() {
    if (mixerOpen) {
        device.Close();
    }
    if (capturing) {
        StopCapture();
    }
}

int32_t cVolume::VolumeMin() const {
    return Control(Volume, Master).minimum;
}
int32_t cVolume::MicMin() const {
    return Control(Volume, Microphone).minimum;
}
int32_t cVolume::LineMin() const {
    return Control(Volume, LineIn).minimum;
}
int32_t cVolume::CDMin() const {
    return Control(Volume, CD).minimum;
}
int32_t cVolume::SynMin() const {
    return Control(Volume, Synthesizer).minimum;
}
int32_t cVolume::WaveMin() const {
    return Control(Volume, Wave).minimum;
}
int32_t cVolume::VolBassMin() const {
    return Control(Bass, Master).minimum;
}
int32_t cVolume::MicBassMin() const {
    return Control(Bass, Microphone).minimum;
}
int32_t cVolume::LineBassMin() const {
    return Control(Bass, LineIn).minimum;
}
int32_t cVolume::CDBassMin() const {
    return Control(Bass, CD).minimum;
}
int32_t cVolume::SynBassMin() const {
    return Control(Bass, Synthesizer).minimum;
}
int32_t cVolume::WaveBassMin() const {
    return Control(Bass, Wave).minimum;
}
int32_t cVolume::VolTrebleMin() const {
    return Control(Treble, Master).minimum;
}
int32_t cVolume::MicTrebleMin() const {
    return Control(Treble, Microphone).minimum;
}
int32_t cVolume::LineTrebleMin() const {
    return Control(Treble, LineIn).minimum;
}
int32_t cVolume::CDTrebleMin() const {
    return Control(Treble, CD).minimum;
}
int32_t cVolume::SynTrebleMin() const {
    return Control(Treble, Synthesizer).minimum;
}
int32_t cVolume::WaveTrebleMin() const {
    return Control(Treble, Wave).minimum;
}
int32_t cVolume::VolPanMin() const {
    return Control(Pan, Master).minimum;
}
int32_t cVolume::MicPanMin() const {
    return Control(Pan, Microphone).minimum;
}
int32_t cVolume::LinePanMin() const {
    return Control(Pan, LineIn).minimum;
}
int32_t cVolume::CDPanMin() const {
    return Control(Pan, CD).minimum;
}
int32_t cVolume::SynPanMin() const {
    return Control(Pan, Synthesizer).minimum;
}
int32_t cVolume::WavePanMin() const {
    return Control(Pan, Wave).minimum;
}
int32_t cVolume::VolFadMin() const {
    return Control(Fader, Master).minimum;
}
int32_t cVolume::MicFaderMin() const {
    return Control(Fader, Microphone).minimum;
}
int32_t cVolume::LineFaderMin() const {
    return Control(Fader, LineIn).minimum;
}
int32_t cVolume::CDFaderMin() const {
    return Control(Fader, CD).minimum;
}
int32_t cVolume::SynFaderMin() const {
    return Control(Fader, Synthesizer).minimum;
}
int32_t cVolume::WaveFaderMin() const {
    return Control(Fader, Wave).minimum;
}

int32_t cVolume::VolumeMax() const {
    return Control(Volume, Master).maximum;
}
int32_t cVolume::MicMax() const {
    return Control(Volume, Microphone).maximum;
}
int32_t cVolume::LineMax() const {
    return Control(Volume, LineIn).maximum;
}
int32_t cVolume::CDMax() const {
    return Control(Volume, CD).maximum;
}
int32_t cVolume::SynMax() const {
    return Control(Volume, Synthesizer).maximum;
}
int32_t cVolume::WaveMax() const {
    return Control(Volume, Wave).maximum;
}
int32_t cVolume::VolBassMax() const {
    return Control(Bass, Master).maximum;
}
int32_t cVolume::MicBassMax() const {
    return Control(Bass, Microphone).maximum;
}
int32_t cVolume::LineBassMax() const {
    return Control(Bass, LineIn).maximum;
}
int32_t cVolume::CDBassMax() const {
    return Control(Bass, CD).maximum;
}
int32_t cVolume::SynBassMax() const {
    return Control(Bass, Synthesizer).maximum;
}
int32_t cVolume::WaveBassMax() const {
    return Control(Bass, Wave).maximum;
}
int32_t cVolume::VolTrebleMax() const {
    return Control(Treble, Master).maximum;
}
int32_t cVolume::MicTrebleMax() const {
    return Control(Treble, Microphone).maximum;
}
int32_t cVolume::LineTrebleMax() const {
    return Control(Treble, LineIn).maximum;
}
int32_t cVolume::CDTrebleMax() const {
    return Control(Treble, CD).maximum;
}
int32_t cVolume::SynTrebleMax() const {
    return Control(Treble, Synthesizer).maximum;
}
int32_t cVolume::WaveTrebleMax() const {
    return Control(Treble, Wave).maximum;
}
int32_t cVolume::VolPanMax() const {
    return Control(Pan, Master).maximum;
}
int32_t cVolume::MicPanMax() const {
    return Control(Pan, Microphone).maximum;
}
int32_t cVolume::LinePanMax() const {
    return Control(Pan, LineIn).maximum;
}
int32_t cVolume::CDPanMax() const {
    return Control(Pan, CD).maximum;
}
int32_t cVolume::SynPanMax() const {
    return Control(Pan, Synthesizer).maximum;
}
int32_t cVolume::WavePanMax() const {
    return Control(Pan, Wave).maximum;
}
int32_t cVolume::VolFaderMax() const {
    return Control(Fader, Master).maximum;
}
int32_t cVolume::MicFaderMax() const {
    return Control(Fader, Microphone).maximum;
}
int32_t cVolume::LineFaderMax() const {
    return Control(Fader, LineIn).maximum;
}
int32_t cVolume::CDFaderMax() const {
    return Control(Fader, CD).maximum;
}
int32_t cVolume::SynFaderMax() const {
    return Control(Fader, Synthesizer).maximum;
}
int32_t cVolume::WaveFaderMax() const {
    return Control(Fader, Wave).maximum;
}

int32_t cVolume::VolumeLevel() {
    return Level(Volume, Master);
}
int32_t cVolume::MicLevel() {
    return Level(Volume, Microphone);
}
int32_t cVolume::LineLevel() {
    return Level(Volume, LineIn);
}
int32_t cVolume::CDLevel() {
    return Level(Volume, CD);
}
int32_t cVolume::SynLevel() {
    return Level(Volume, Synthesizer);
}
int32_t cVolume::WaveLevel() {
    return Level(Volume, Wave);
}
int32_t cVolume::VolumeLevelBass() {
    return Level(Bass, Master);
}
int32_t cVolume::MicLevelBass() {
    return Level(Bass, Microphone);
}
int32_t cVolume::LineLevelBass() {
    return Level(Bass, LineIn);
}
int32_t cVolume::CDLevelBass() {
    return Level(Bass, CD);
}
int32_t cVolume::SynLevelBass() {
    return Level(Bass, Synthesizer);
}
int32_t cVolume::WaveLevelBass() {
    return Level(Bass, Wave);
}
int32_t cVolume::VolumeLevelTreble() {
    return Level(Treble, Master);
}
int32_t cVolume::MicLevelTreble() {
    return Level(Treble, Microphone);
}
int32_t cVolume::LineLevelTreble() {
    return Level(Treble, LineIn);
}
int32_t cVolume::CDLevelTreble() {
    return Level(Treble, CD);
}
int32_t cVolume::SynLevelTreble() {
    return Level(Treble, Synthesizer);
}
int32_t cVolume::WaveLevelTreble() {
    return Level(Treble, Wave);
}
int32_t cVolume::VolumeLevelPan() {
    return Level(Pan, Master);
}
int32_t cVolume::MicLevelPan() {
    return Level(Pan, Microphone);
}
int32_t cVolume::LineLevelPan() {
    return Level(Pan, LineIn);
}
int32_t cVolume::CDLevelPan() {
    return Level(Pan, CD);
}
int32_t cVolume::SynLevelPan() {
    return Level(Pan, Synthesizer);
}
int32_t cVolume::WaveLevelPan() {
    return Level(Pan, Wave);
}
int32_t cVolume::VolumeLevelFader() {
    return Level(Fader, Master);
}
int32_t cVolume::MicLevelFader() {
    return Level(Fader, Microphone);
}
int32_t cVolume::LineLevelFader() {
    return Level(Fader, LineIn);
}
int32_t cVolume::CDLevelFader() {
    return Level(Fader, CD);
}
int32_t cVolume::SynLevelFader() {
    return Level(Fader, Synthesizer);
}
int32_t cVolume::WaveLevelFader() {
    return Level(Fader, Wave);
}

void cVolume::VolumeLevel(int32_t New_Volume) {
    Level(Volume, Master, New_Volume);
}
void cVolume::MicLevel(int32_t New_Volume) {
    Level(Volume, Microphone, New_Volume);
}
void cVolume::LineLevel(int32_t New_Volume) {
    Level(Volume, LineIn, New_Volume);
}
void cVolume::CDLevel(int32_t New_Volume) {
    Level(Volume, CD, New_Volume);
}
void cVolume::SynLevel(int32_t New_Volume) {
    Level(Volume, Synthesizer, New_Volume);
}
void cVolume::WaveLevel(int32_t New_Volume) {
    Level(Volume, Wave, New_Volume);
}
void cVolume::VolumeLevelBass(int32_t New_Bass) {
    Level(Bass, Master, New_Bass);
}
void cVolume::MicLevelBass(int32_t New_Bass) {
    Level(Bass, Microphone, New_Bass);
}
void cVolume::LineLevelBass(int32_t New_Bass) {
    Level(Bass, LineIn, New_Bass);
}
void cVolume::CDLevelBass(int32_t New_Bass) {
    Level(Bass, CD, New_Bass);
}
void cVolume::SynLevelBass(int32_t New_Bass) {
    Level(Bass, Synthesizer, New_Bass);
}
void cVolume::WaveLevelBass(int32_t New_Bass) {
    Level(Bass, Wave, New_Bass);
}
void cVolume::VolumeLevelTreble(int32_t New_Treble) {
    Level(Treble, Master, New_Treble);
}
void cVolume::MicLevelTreble(int32_t New_Treble) {
    Level(Treble, Microphone, New_Treble);
}
void cVolume::LineLevelTreble(int32_t New_Treble) {
    Level(Treble, LineIn, New_Treble);
}
void cVolume::CDLevelTreble(int32_t New_Treble) {
    Level(Treble, CD, New_Treble);
}
void cVolume::SynLevelTreble(int32_t New_Treble) {
    Level(Treble, Synthesizer, New_Treble);
}
void cVolume::WaveLevelTreble(int32_t New_Treble) {
    Level(Treble, Wave, New_Treble);
}
void cVolume::VolumeLevelPan(int32_t New_Pan) {
    Level(Pan, Master, New_Pan);
}
void cVolume::MicLevelPan(int32_t New_Pan) {
    Level(Pan, Microphone, New_Pan);
}
void cVolume::LineLevelPan(int32_t New_Pan) {
    Level(Pan, LineIn, New_Pan);
}
void cVolume::CDLevelPan(int32_t New_Pan) {
    Level(Pan, CD, New_Pan);
}
void cVolume::SynLevelPan(int32_t New_Pan) {
    Level(Pan, Synthesizer, New_Pan);
}
void cVolume::WaveLevelPan(int32_t New_Pan) {
    Level(Pan, Wave, New_Pan);
}
void cVolume::VolumeLevelFader(int32_t New_Fader) {
    Level(Fader, Master, New_Fader);
}
void cVolume::MicLevelFader(int32_t New_Fader) {
    Level(Fader, Microphone, New_Fader);
}
void cVolume::LineLevelFader(int32_t New_Fader) {
    Level(Fader, LineIn, New_Fader);
}
void cVolume::CDLevelFader(int32_t New_Fader) {
    Level(Fader, CD, New_Fader);
}
void cVolume::SynLevelFader(int32_t New_Fader) {
    Level(Fader, Synthesizer, New_Fader);
}
void cVolume::WaveLevelFader(int32_t New_Fader) {
    Level(Fader, Wave, New_Fader);
}

bool cVolume::VolumeMute() {
    return Muted(Master);
}
bool cVolume::MikrofonMute() {
    return Muted(Microphone);
}
bool cVolume::LineMute() {
    return Muted(LineIn);
}
bool cVolume::CompactDiscMute() {
    return Muted(CD);
}
bool cVolume::SynthesizerMute() {
    return Muted(Synthesizer);
}
bool cVolume::WaveMute() {
    return Muted(Wave);
}

void cVolume::VolumeMute(bool New_Mute) {
    Muted(Master, New_Mute);
}
void cVolume::MikrofonMute(bool New_Mute) {
    Muted(Microphone, New_Mute);
}
void cVolume::LineMute(bool New_Mute) {
    Muted(LineIn, New_Mute);
}
void cVolume::CompactDiscMute(bool New_Mute) {
    Muted(CD, New_Mute);
}
void cVolume::SynthesizerMute(bool New_Mute) {
    Muted(Synthesizer, New_Mute);
}
void cVolume::WaveMute(bool New_Mute) {
    Muted(Wave, New_Mute);
}

int32_t cVolume::MinVolumeMeterInput() const {
    return inputMeter.minimum;
}
int32_t cVolume::MaxVolumeMeterInput() const {
    return inputMeter.maximum;
}
int32_t cVolume::MinVolumeMeterOutput() const {
    return outputMeter.minimum;
}
int32_t cVolume::MaxVolumeMeterOutput() const {
    return outputMeter.maximum;
}

int32_t cVolume::CurrentVolumeMeterInput() {
    if (!mixerOpen) {
        return 0;
    }
    if (!StartCapture()) {
        StartCapture();
    }
    return Meter(inputMeter);
}

int32_t cVolume::CurrentVolumeMeterOutput() {
    return Meter(outputMeter);
}

bool cVolume::FindControl(MixerLineType line, MixerControlType type, MixerControl& control) {
    uint32_t lineId = 0;
    lastResult = device.FindLine(line, lineId);
    if (lastResult != 0) {
        return false;
    }
    MixerControl found;
    lastResult = device.FindLineControl(lineId, type, found);
    if (lastResult != 0) {
        return false;
    }
    control = found;
    return true;
}

const MixerControl& cVolume::Control(Kind kind, Line line) const {
    return controls[static_cast<std::size_t>(kind) * LineCount + line];
}

// A control the card lacks has an empty description; its identifier could name some other control
// of the card, so it is never handed to the device.
int32_t cVolume::Read(const MixerControl& control) {
    if (!mixerOpen || control.Empty()) {
        return 0;
    }
    int32_t value = 0;
    lastResult = device.GetControlValue(control, value);
    return lastResult == 0 ? value : 0;
}

void cVolume::Write(const MixerControl& control, int32_t value) {
    if (!mixerOpen || control.Empty()) {
        return;
    }
    lastResult = device.SetControlValue(control, value);
}

int32_t cVolume::Level(Kind kind, Line line) {
    return Read(Control(kind, line));
}

void cVolume::Level(Kind kind, Line line, int32_t value) {
    Write(Control(kind, line), value);
}

bool cVolume::Muted(Line line) {
    return Read(Control(Mute, line)) == 1;
}

void cVolume::Muted(Line line, bool value) {
    Write(Control(Mute, line), value ? 1 : 0);
}

// The most negative reading has no positive twin in 32 bits; it shows as the largest one.
int32_t cVolume::Meter(const MixerControl& meter) {
    if (!mixerOpen) {
        return 0;
    }
    RequeueDoneBuffers();
    const int64_t magnitude = std::llabs(static_cast<int64_t>(Read(meter)));
    return static_cast<int32_t>(std::min<int64_t>(magnitude, std::numeric_limits<int32_t>::max()));
}

// Without a callback the recorder gets its buffers back only here; in between it may fill both
// and pause, and resumes with the next reading.
void cVolume::RequeueDoneBuffers() {
    if (!capturing) {
        return;
    }
    for (CaptureBuffer& buffer : captureBuffers) {
        if (buffer.done) {
            lastResult = device.AddCaptureBuffer(buffer);
        }
    }
}

bool cVolume::StartCapture() {
    if (capturing) {
        return true;
    }
    for (CaptureBuffer& buffer : captureBuffers) {
        buffer = CaptureBuffer{};
        buffer.data.assign(CaptureBufferBytes, 0);
    }
    lastResult = device.OpenCapture(MeterCaptureFormat);
    if (lastResult != 0) {
        ShowCaptureError();
        return false;
    }
    for (CaptureBuffer& buffer : captureBuffers) {
        lastResult = device.PrepareCaptureBuffer(buffer);
        if (lastResult != 0) {
            ShowCaptureError();
        }
    }
    for (CaptureBuffer& buffer : captureBuffers) {
        lastResult = device.AddCaptureBuffer(buffer);
        if (lastResult != 0) {
            ShowCaptureError();
        }
    }
    capturing = true;
    lastResult = device.StartCapture();
    return true;
}

void cVolume::StopCapture() {
    capturing = false;
    lastResult = device.ResetCapture();
    lastResult = device.StopCapture();
    for (CaptureBuffer& buffer : captureBuffers) {
        lastResult = device.UnprepareCaptureBuffer(buffer);
        buffer = CaptureBuffer{};
    }
    lastResult = device.CloseCapture();
}

void cVolume::ShowCaptureError() {
    dialogs.MessageBox(device.ErrorText(lastResult), CaptureErrorTitle, MessageIcon::Error);
}
