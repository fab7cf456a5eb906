#include "AlsaMixerDevice.h"

#include <alsa/asoundlib.h>
#include <cerrno>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t WaveInLine = static_cast<std::size_t>(MixerLineType::WaveIn);
constexpr std::size_t WaveLine = static_cast<std::size_t>(MixerLineType::Wave);
constexpr std::size_t MasterLine = static_cast<std::size_t>(MixerLineType::Master);
constexpr std::size_t SynthLine = static_cast<std::size_t>(MixerLineType::Synthesizer);

// Element names per line, most specific first; the recording line has no element of its own.
const std::vector<std::vector<std::string>> ElementNames = {
    {"Master"}, {"Mic", "Capture"}, {"Line"}, {"CD"}, {"Synth"}, {"PCM"}, {},
};

// The meters speak in signed 16-bit sample units, whatever the recording format.
constexpr int32_t PeakMinimum = -32768;
constexpr int32_t PeakMaximum = 32767;

struct SelemIdDeleter {
    void operator()(snd_mixer_selem_id_t* id) const { snd_mixer_selem_id_free(id); }
};

} // namespace

void AlsaMixerDevice::MixerCloser::operator()(snd_mixer_t* handle) const {
    snd_mixer_close(handle);
}

AlsaMixerDevice::AlsaMixerDevice(std::string name, std::function<int32_t()> outputPeakSource)
    : deviceName(std::move(name))
    , outputPeak(std::move(outputPeakSource))
    , capture(deviceName) {}

MixerResult AlsaMixerDevice::Open() {
    if (mixer) {
        return -EBUSY;
    }
    snd_mixer_t* handle = nullptr;
    int result = snd_mixer_open(&handle, 0);
    if (result < 0) {
        return result;
    }
    std::unique_ptr<snd_mixer_t, MixerCloser> opened(handle);
    result = snd_mixer_attach(handle, deviceName.c_str());
    if (result >= 0) {
        result = snd_mixer_selem_register(handle, nullptr, nullptr);
    }
    if (result >= 0) {
        result = snd_mixer_load(handle);
    }
    if (result < 0) {
        return result;
    }
    mixer = std::move(opened);
    return 0;
}

void AlsaMixerDevice::Close() {
    mixer.reset();
    lineElements = {};
}

MixerResult AlsaMixerDevice::FindLine(MixerLineType line, uint32_t& lineId) {
    const auto index = static_cast<std::size_t>(line);
    if (!mixer) {
        return -EBADFD;
    }
    if (index >= LineCount) {
        return -EINVAL;
    }
    if (index == WaveInLine) {
        lineId = static_cast<uint32_t>(index + 1);
        return 0;
    }
    for (const std::string& name : ElementNames[index]) {
        if (Element(name) != nullptr) {
            lineElements[index] = name;
            lineId = static_cast<uint32_t>(index + 1);
            return 0;
        }
    }
    return -ENOENT;
}

MixerResult AlsaMixerDevice::FindLineControl(uint32_t lineId, MixerControlType type,
                                             MixerControl& control) {
    if (!mixer) {
        return -EBADFD;
    }
    if (lineId == 0 || lineId > LineCount) {
        return -EINVAL;
    }
    return Describe(lineId - 1, type, control);
}

MixerResult AlsaMixerDevice::GetControlValue(const MixerControl& control, int32_t& value) {
    Address address{};
    if (!mixer) {
        return -EBADFD;
    }
    if (!Decode(control.controlId, address)) {
        return -EINVAL;
    }
    if (address.aspect == Aspect::InputPeak) {
        value = capture.Collect();
        return 0;
    }
    if (address.aspect == Aspect::OutputPeak) {
        value = outputPeak ? outputPeak() : 0;
        return 0;
    }
    // Others (the sound server, other programs) change levels too: take in their news first.
    snd_mixer_handle_events(mixer.get());
    snd_mixer_elem_t* element = Element(ElementOf(address));
    return element != nullptr ? Read(element, address.aspect, value) : -ENOENT;
}

MixerResult AlsaMixerDevice::SetControlValue(const MixerControl& control, int32_t value) {
    Address address{};
    if (!mixer) {
        return -EBADFD;
    }
    if (!Decode(control.controlId, address)) {
        return -EINVAL;
    }
    if (address.aspect == Aspect::InputPeak || address.aspect == Aspect::OutputPeak) {
        return -EPERM;
    }
    snd_mixer_elem_t* element = Element(ElementOf(address));
    return element != nullptr ? Write(element, address.aspect, value) : -ENOENT;
}

MixerResult AlsaMixerDevice::OpenCapture(const CaptureFormat& format) {
    return capture.Open(format);
}

MixerResult AlsaMixerDevice::PrepareCaptureBuffer(CaptureBuffer& buffer) {
    return capture.Prepare(buffer);
}

MixerResult AlsaMixerDevice::AddCaptureBuffer(CaptureBuffer& buffer) {
    return capture.Add(buffer);
}

MixerResult AlsaMixerDevice::StartCapture() {
    return capture.Start();
}

MixerResult AlsaMixerDevice::ResetCapture() {
    return capture.Reset();
}

MixerResult AlsaMixerDevice::StopCapture() {
    return capture.Stop();
}

MixerResult AlsaMixerDevice::UnprepareCaptureBuffer(CaptureBuffer& buffer) {
    return capture.Unprepare(buffer);
}

MixerResult AlsaMixerDevice::CloseCapture() {
    return capture.Close();
}

std::string AlsaMixerDevice::ErrorText(MixerResult result) {
    return snd_strerror(result);
}

snd_mixer_elem_t* AlsaMixerDevice::Element(const std::string& name) const {
    if (name.empty()) {
        return nullptr;
    }
    snd_mixer_selem_id_t* raw = nullptr;
    if (snd_mixer_selem_id_malloc(&raw) < 0) {
        return nullptr;
    }
    const std::unique_ptr<snd_mixer_selem_id_t, SelemIdDeleter> id(raw);
    snd_mixer_selem_id_set_name(raw, name.c_str());
    snd_mixer_selem_id_set_index(raw, 0);
    return snd_mixer_find_selem(mixer.get(), raw);
}

MixerResult AlsaMixerDevice::Describe(std::size_t line, MixerControlType type,
                                      MixerControl& control) const {
    const bool peak = type == MixerControlType::PeakMeter;
    Aspect aspect = Aspect::None;
    if (peak && line == WaveInLine) {
        aspect = Aspect::InputPeak;
    } else if (peak && line == WaveLine && outputPeak) {
        aspect = Aspect::OutputPeak;
    } else if (peak || line == WaveInLine || lineElements[line].empty()) {
        return -ENOENT;
    } else {
        return DescribeElement(line, type, control);
    }
    control = {static_cast<uint32_t>((line + 1) << 8 | static_cast<uint32_t>(aspect)), type, 0,
               PeakMinimum, PeakMaximum};
    return 0;
}

MixerResult AlsaMixerDevice::DescribeElement(std::size_t line, MixerControlType type,
                                             MixerControl& control) const {
    Aspect wanted = Aspect::None;
    if (type == MixerControlType::Volume) {
        wanted = Aspect::PlaybackVolume;
    } else if (type == MixerControlType::Mute) {
        wanted = Aspect::PlaybackMute;
    } else if (type == MixerControlType::Bass) {
        wanted = Aspect::BassVolume;
    } else if (type == MixerControlType::Treble) {
        wanted = Aspect::TrebleVolume;
    } else {
        return -ENOENT;
    }
    snd_mixer_elem_t* element = Element(ElementOf({line, wanted}));
    const Aspect aspect = element != nullptr ? Side(element, wanted) : Aspect::None;
    if (aspect == Aspect::None) {
        return -ENOENT;
    }
    long minimum = 0;
    long maximum = 1;
    if (aspect == Aspect::CaptureVolume) {
        snd_mixer_selem_get_capture_volume_range(element, &minimum, &maximum);
    } else if (aspect != Aspect::PlaybackMute && aspect != Aspect::CaptureMute) {
        snd_mixer_selem_get_playback_volume_range(element, &minimum, &maximum);
    }
    control = {static_cast<uint32_t>((line + 1) << 8 | static_cast<uint32_t>(aspect)), type, 0,
               static_cast<int32_t>(minimum), static_cast<int32_t>(maximum)};
    return 0;
}

// A line's level is its playback side; an element that only records (a sound server's
// "Capture") is used by its capture side instead. Tone controls are playback only.
AlsaMixerDevice::Aspect AlsaMixerDevice::Side(snd_mixer_elem_t* element, Aspect wanted) {
    switch (wanted) {
    case Aspect::PlaybackVolume:
        if (snd_mixer_selem_has_playback_volume(element)) {
            return Aspect::PlaybackVolume;
        }
        return snd_mixer_selem_has_capture_volume(element) ? Aspect::CaptureVolume : Aspect::None;
    case Aspect::PlaybackMute:
        if (snd_mixer_selem_has_playback_switch(element)) {
            return Aspect::PlaybackMute;
        }
        return snd_mixer_selem_has_capture_switch(element) ? Aspect::CaptureMute : Aspect::None;
    default:
        return snd_mixer_selem_has_playback_volume(element) ? wanted : Aspect::None;
    }
}

bool AlsaMixerDevice::Decode(uint32_t controlId, Address& address) {
    const uint32_t line = controlId >> 8;
    const uint32_t aspect = controlId & 0xff;
    if (line == 0 || line > LineCount || aspect < static_cast<uint32_t>(Aspect::PlaybackVolume) ||
        aspect > static_cast<uint32_t>(Aspect::OutputPeak)) {
        return false;
    }
    address = {line - 1, static_cast<Aspect>(aspect)};
    return true;
}

// Tone controls are card-wide on ALSA; they belong to the master line, and the synthesizer has
// tone controls of its own on some cards.
const std::string& AlsaMixerDevice::ElementOf(const Address& address) const {
    static const std::string none;
    static const std::string bass[] = {"Bass", "Synth Bass"};
    static const std::string treble[] = {"Treble", "Synth Treble"};
    const bool tone =
        address.aspect == Aspect::BassVolume || address.aspect == Aspect::TrebleVolume;
    if (!tone) {
        return lineElements[address.line];
    }
    if (lineElements[address.line].empty() ||
        (address.line != MasterLine && address.line != SynthLine)) {
        return none;
    }
    const std::size_t which = address.line == MasterLine ? 0 : 1;
    return address.aspect == Aspect::BassVolume ? bass[which] : treble[which];
}

MixerResult AlsaMixerDevice::Read(snd_mixer_elem_t* element, Aspect aspect, int32_t& value) const {
    long level = 0;
    int on = 0;
    int result = 0;
    switch (aspect) {
    case Aspect::CaptureVolume:
        result = snd_mixer_selem_get_capture_volume(element, SND_MIXER_SCHN_MONO, &level);
        break;
    case Aspect::PlaybackMute:
        result = snd_mixer_selem_get_playback_switch(element, SND_MIXER_SCHN_MONO, &on);
        level = on ? 0 : 1;
        break;
    case Aspect::CaptureMute:
        result = snd_mixer_selem_get_capture_switch(element, SND_MIXER_SCHN_MONO, &on);
        level = on ? 0 : 1;
        break;
    default:
        result = snd_mixer_selem_get_playback_volume(element, SND_MIXER_SCHN_MONO, &level);
        break;
    }
    if (result >= 0) {
        value = static_cast<int32_t>(level);
    }
    return result;
}

// ALSA quietly ignores a level outside the element's range; saying so keeps the caller's record
// of the last result truthful.
MixerResult AlsaMixerDevice::Write(snd_mixer_elem_t* element, Aspect aspect, int32_t value) const {
    long minimum = 0;
    long maximum = 0;
    switch (aspect) {
    case Aspect::CaptureVolume:
        snd_mixer_selem_get_capture_volume_range(element, &minimum, &maximum);
        if (value < minimum || value > maximum) {
            return -ERANGE;
        }
        return snd_mixer_selem_set_capture_volume_all(element, value);
    case Aspect::PlaybackMute:
        return snd_mixer_selem_set_playback_switch_all(element, value == 0 ? 1 : 0);
    case Aspect::CaptureMute:
        return snd_mixer_selem_set_capture_switch_all(element, value == 0 ? 1 : 0);
    default:
        snd_mixer_selem_get_playback_volume_range(element, &minimum, &maximum);
        if (value < minimum || value > maximum) {
            return -ERANGE;
        }
        return snd_mixer_selem_set_playback_volume_all(element, value);
    }
}
