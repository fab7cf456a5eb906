#pragma once

#include "MixerDevice.h"

#include <algorithm>
#include <string>
#include <vector>

// A sound card's mixer held in memory. Controls are numbered from 0 in the order they are added,
// as real cards number them, so a description left empty would name the first control. Every call
// is logged by name so that tests can check what was asked of the card and in which order.
class FakeMixerDevice final : public MixerDevice {
public:
    struct Control {
        MixerLineType line;
        MixerControl description;
        int32_t value;
    };

    static constexpr MixerResult NotFound = -2;
    static constexpr MixerResult Refused = -22;

    void AddControl(MixerLineType line, MixerControlType type, int32_t minimum, int32_t maximum,
                    int32_t value = 0) {
        const auto id = static_cast<uint32_t>(controls.size());
        controls.push_back({line, {id, type, 0, minimum, maximum}, value});
    }
    Control* Find(MixerLineType line, MixerControlType type) {
        auto it = std::find_if(controls.begin(), controls.end(), [&](const Control& c) {
            return c.line == line && c.description.controlType == type;
        });
        return it == controls.end() ? nullptr : &*it;
    }
    int32_t& Value(MixerLineType line, MixerControlType type) { return Find(line, type)->value; }
    // The buffers that the recorder has filled come back marked done.
    void FillLentBuffers() {
        for (CaptureBuffer* buffer : lent) {
            buffer->recorded = buffer->data.size();
            buffer->queued = false;
            buffer->done = true;
        }
        lent.clear();
    }

    MixerResult Open() override {
        calls.push_back("Open");
        open = openResult == 0;
        return openResult;
    }
    void Close() override {
        calls.push_back("Close");
        open = false;
    }

    MixerResult FindLine(MixerLineType line, uint32_t& lineId) override {
        calls.push_back("FindLine " + Name(line));
        const bool present = std::any_of(controls.begin(), controls.end(),
                                         [&](const Control& c) { return c.line == line; });
        if (!present) {
            return NotFound;
        }
        lineId = 100 + static_cast<uint32_t>(line);
        return 0;
    }
    MixerResult FindLineControl(uint32_t lineId, MixerControlType type,
                                MixerControl& control) override {
        const auto line = static_cast<MixerLineType>(lineId - 100);
        calls.push_back("FindLineControl " + Name(line) + " " + Name(type));
        const Control* found = Find(line, type);
        if (found == nullptr) {
            return NotFound;
        }
        control = found->description;
        return 0;
    }
    MixerResult GetControlValue(const MixerControl& control, int32_t& value) override {
        calls.push_back("Get " + std::to_string(control.controlId));
        if (control.controlId >= controls.size() || control.controlId == refusedControlId) {
            return Refused;
        }
        value = controls[control.controlId].value;
        return 0;
    }
    MixerResult SetControlValue(const MixerControl& control, int32_t value) override {
        calls.push_back("Set " + std::to_string(control.controlId) + " " + std::to_string(value));
        if (control.controlId >= controls.size() || control.controlId == refusedControlId) {
            return Refused;
        }
        controls[control.controlId].value = value;
        return 0;
    }

    MixerResult OpenCapture(const CaptureFormat& format) override {
        calls.push_back("OpenCapture");
        captureFormat = format;
        return openCaptureResult;
    }
    MixerResult PrepareCaptureBuffer(CaptureBuffer& buffer) override {
        calls.push_back("Prepare " + std::to_string(buffer.data.size()));
        buffer.prepared = prepareResult == 0;
        return prepareResult;
    }
    MixerResult AddCaptureBuffer(CaptureBuffer& buffer) override {
        calls.push_back("Add " + std::to_string(buffer.data.size()));
        if (addResult != 0) {
            return addResult;
        }
        buffer.done = false;
        buffer.queued = true;
        lent.push_back(&buffer);
        return 0;
    }
    MixerResult StartCapture() override {
        calls.push_back("StartCapture");
        return 0;
    }
    MixerResult ResetCapture() override {
        calls.push_back("ResetCapture");
        FillLentBuffers();
        return 0;
    }
    MixerResult StopCapture() override {
        calls.push_back("StopCapture");
        return 0;
    }
    MixerResult UnprepareCaptureBuffer(CaptureBuffer& buffer) override {
        calls.push_back("Unprepare " + std::to_string(buffer.data.size()));
        buffer.prepared = false;
        return 0;
    }
    MixerResult CloseCapture() override {
        calls.push_back("CloseCapture");
        return 0;
    }

    std::string ErrorText(MixerResult result) override {
        return "recorder error " + std::to_string(result);
    }

    static std::string Name(MixerLineType line) {
        static const char* const names[] = {"Master",      "Microphone", "LineIn", "CompactDisc",
                                            "Synthesizer", "Wave",       "WaveIn"};
        return names[static_cast<std::size_t>(line)];
    }
    static std::string Name(MixerControlType type) {
        static const char* const names[] = {"None", "Volume", "Mute", "Fader",
                                            "Bass", "Treble", "Pan",  "PeakMeter"};
        return names[static_cast<std::size_t>(type)];
    }

    std::vector<Control> controls;
    std::vector<std::string> calls;
    std::vector<CaptureBuffer*> lent;
    CaptureFormat captureFormat;
    MixerResult openResult = 0;
    MixerResult openCaptureResult = 0;
    MixerResult prepareResult = 0;
    MixerResult addResult = 0;
    uint32_t refusedControlId = UINT32_MAX;
    bool open = false;
};
