#pragma once

#include "AlsaCapture.h"
#include "MixerDevice.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

// The sound card's mixer through ALSA's simple mixer on one device ("default" normally, which
// under PulseAudio is the default sink as "Master" and the default source as "Capture"), and its
// recorder on the PCM of the same name.
//
// Lines are simple elements: Master "Master", Microphone "Mic" (else "Capture"), Line in "Line",
// CD "CD", Synthesizer "Synth", Wave "PCM". Volume is the element's playback volume, or its
// capture volume when it has no playback side; Mute is the inverse of the matching switch; Bass
// and Treble are the tone-control elements ("Bass"/"Treble" for Master, "Synth Bass"/"Synth
// Treble" for Synthesizer). ALSA has no fader or pan controls. The recording line carries the
// input peak meter, computed from what the recorder collects; the Wave line carries an output
// peak meter when the program's player offers its peak through outputPeak.
class AlsaMixerDevice final : public MixerDevice {
public:
    explicit AlsaMixerDevice(std::string deviceName = "default",
                             std::function<int32_t()> outputPeak = {});

    MixerResult Open() override;
    void Close() override;

    MixerResult FindLine(MixerLineType line, uint32_t& lineId) override;
    MixerResult FindLineControl(uint32_t lineId, MixerControlType type,
                                MixerControl& control) override;
    MixerResult GetControlValue(const MixerControl& control, int32_t& value) override;
    MixerResult SetControlValue(const MixerControl& control, int32_t value) override;

    MixerResult OpenCapture(const CaptureFormat& format) override;
    MixerResult PrepareCaptureBuffer(CaptureBuffer& buffer) override;
    MixerResult AddCaptureBuffer(CaptureBuffer& buffer) override;
    MixerResult StartCapture() override;
    MixerResult ResetCapture() override;
    MixerResult StopCapture() override;
    MixerResult UnprepareCaptureBuffer(CaptureBuffer& buffer) override;
    MixerResult CloseCapture() override;

    std::string ErrorText(MixerResult result) override;

private:
    // What a control identifier stands for besides its line.
    enum class Aspect : uint8_t {
        None,
        PlaybackVolume,
        CaptureVolume,
        PlaybackMute,
        CaptureMute,
        BassVolume,
        TrebleVolume,
        InputPeak,
        OutputPeak,
    };
    struct Address {
        std::size_t line;
        Aspect aspect;
    };
    struct MixerCloser {
        void operator()(snd_mixer_t* mixer) const;
    };
    static constexpr std::size_t LineCount = 7;

    snd_mixer_elem_t* Element(const std::string& name) const;
    MixerResult Describe(std::size_t line, MixerControlType type, MixerControl& control) const;
    MixerResult DescribeElement(std::size_t line, MixerControlType type,
                                MixerControl& control) const;
    static Aspect Side(snd_mixer_elem_t* element, Aspect wanted);
    static bool Decode(uint32_t controlId, Address& address);
    const std::string& ElementOf(const Address& address) const;
    MixerResult Read(snd_mixer_elem_t* element, Aspect aspect, int32_t& value) const;
    MixerResult Write(snd_mixer_elem_t* element, Aspect aspect, int32_t value) const;

    std::string deviceName;
    std::function<int32_t()> outputPeak;
    std::unique_ptr<snd_mixer_t, MixerCloser> mixer;
    // The element chosen for each line when the line was found, empty until then.
    std::array<std::string, LineCount> lineElements;
    AlsaCapture capture;
};
