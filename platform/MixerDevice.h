#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Result of every mixer and capture call: 0 on success, otherwise the device's own (negative)
// error code, which ErrorText turns into words.
using MixerResult = int32_t;

// The lines of a sound card that the program knows, looked up by kind rather than by name so that
// each card can call them what it likes.
enum class MixerLineType : uint8_t {
    Master,
    Microphone,
    LineIn,
    CompactDisc,
    Synthesizer,
    Wave,
    WaveIn, // the recording side, where the input level meter lives
};

enum class MixerControlType : uint8_t {
    None, // an empty description: the card has no such control
    Volume,
    Mute,
    Fader,
    Bass,
    Treble,
    Pan,
    PeakMeter,
};

// What the device tells about one control when it is found. A description the device never
// filled is all zero, and its identifier must not be taken for a real control.
struct MixerControl {
    uint32_t controlId = 0;
    MixerControlType controlType = MixerControlType::None;
    uint32_t items = 0; // 0 for a control with one value per channel
    int32_t minimum = 0;
    int32_t maximum = 0;

    bool Empty() const { return controlType == MixerControlType::None; }
    bool operator==(const MixerControl&) const = default;
};

// Linear PCM as the recorder is asked to deliver it.
struct CaptureFormat {
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint16_t bitsPerSample = 0;
    uint16_t blockAlign = 0;
    uint32_t bytesPerSecond = 0;
};

// A recording buffer that belongs to the caller and is lent to the device between
// AddCaptureBuffer and the moment the device marks it done (full, or returned by a reset). The
// caller must not move or free a buffer while it is lent.
struct CaptureBuffer {
    std::vector<uint8_t> data;
    std::size_t recorded = 0; // bytes the device has written into data
    bool prepared = false;
    bool queued = false;
    bool done = false;
};

// The sound card's mixer and its recorder, in the shape the mixer object needs: lines found by
// kind, controls found by type on a line, one 32-bit value per control, and a recorder that is
// fed buffers by hand (it has no callback; buffers come back only when the owner looks).
class MixerDevice {
public:
    virtual ~MixerDevice() = default;

    virtual MixerResult Open() = 0;
    virtual void Close() = 0;

    // The first line of that kind; lineId is then good for FindLineControl.
    virtual MixerResult FindLine(MixerLineType line, uint32_t& lineId) = 0;
    // Fills control only on success.
    virtual MixerResult FindLineControl(uint32_t lineId, MixerControlType type,
                                        MixerControl& control) = 0;

    // The value of the first channel; value is left alone on failure. A peak meter reads the
    // signed peak of the latest sound it took in.
    virtual MixerResult GetControlValue(const MixerControl& control, int32_t& value) = 0;
    // Every channel of the control receives the value, unchanged.
    virtual MixerResult SetControlValue(const MixerControl& control, int32_t value) = 0;

    virtual MixerResult OpenCapture(const CaptureFormat& format) = 0;
    virtual MixerResult PrepareCaptureBuffer(CaptureBuffer& buffer) = 0;
    virtual MixerResult AddCaptureBuffer(CaptureBuffer& buffer) = 0;
    virtual MixerResult StartCapture() = 0;
    // Ends recording and hands every lent buffer back, marked done.
    virtual MixerResult ResetCapture() = 0;
    virtual MixerResult StopCapture() = 0;
    virtual MixerResult UnprepareCaptureBuffer(CaptureBuffer& buffer) = 0;
    virtual MixerResult CloseCapture() = 0;

    virtual std::string ErrorText(MixerResult result) = 0;
};
