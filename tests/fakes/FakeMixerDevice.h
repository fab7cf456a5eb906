#pragma once

#include "MixerDevice.h"

#include <algorithm>
#include <string>
#include <vector>

// A sound card's mixer held in memory. Controls are numbered from 0 in the order they are added,
// as real cards number them, so a description left empty would name the first control. Calls are
// logged ("Set <id> <value>", "Get <id>", capture calls by name) so that tests can check what was
// asked of the card and in which order.
class FakeMixerDevice final : public MixerDevice {
public:
    struct Control {
        MixerLineType line;
        MixerControl description;
        int32_t value;
    };

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

    MixerResult Open() override { return Log("Open", openResult); }
    void Close() override { calls.push_back("Close"); }

    // A line is there when the card has any control on it; its identifier is its type.
    MixerResult FindLine(MixerLineType line, uint32_t& lineId) override {
        lineId = static_cast<uint32_t>(line);
        const auto onLine = [&](const Control& c) { return c.line == line; };
        return std::any_of(controls.begin(), controls.end(), onLine) ? 0 : NotFound;
    }
    MixerResult FindLineControl(uint32_t lineId, MixerControlType type,
                                MixerControl& control) override {
        const Control* found = Find(static_cast<MixerLineType>(lineId), type);
        control = found ? found->description : control;
        return found ? 0 : NotFound;
    }
    MixerResult GetControlValue(const MixerControl& control, int32_t& value) override {
        value = Known(control) ? controls[control.controlId].value : value;
        return Log("Get " + std::to_string(control.controlId), Known(control) ? 0 : Refused);
    }
    MixerResult SetControlValue(const MixerControl& control, int32_t value) override {
        if (Known(control)) {
            controls[control.controlId].value = value;
        }
        const std::string id = std::to_string(control.controlId);
        return Log("Set " + id + " " + std::to_string(value), Known(control) ? 0 : Refused);
    }

    MixerResult OpenCapture(const CaptureFormat&) override {
        return Log("OpenCapture", openCaptureResult);
    }
    MixerResult PrepareCaptureBuffer(CaptureBuffer&) override { return Log("Prepare", 0); }
    // The recorder fills a lent buffer at once; it is handed back at the owner's next look.
    MixerResult AddCaptureBuffer(CaptureBuffer& buffer) override {
        buffer.done = true;
        return Log("Add " + std::to_string(buffer.data.size()), 0);
    }
    MixerResult StartCapture() override { return Log("StartCapture", 0); }
    MixerResult ResetCapture() override { return Log("ResetCapture", 0); }
    MixerResult StopCapture() override { return Log("StopCapture", 0); }
    MixerResult UnprepareCaptureBuffer(CaptureBuffer&) override { return Log("Unprepare", 0); }
    MixerResult CloseCapture() override { return Log("CloseCapture", 0); }
    std::string ErrorText(MixerResult result) override {
        return "recorder error " + std::to_string(result);
    }

    static constexpr MixerResult NotFound = -2;
    static constexpr MixerResult Refused = -22;

    std::vector<Control> controls;
    std::vector<std::string> calls;
    MixerResult openResult = 0;
    MixerResult openCaptureResult = 0;
    uint32_t refusedId = UINT32_MAX;

private:
    bool Known(const MixerControl& control) const {
        return control.controlId < controls.size() && control.controlId != refusedId;
    }
    MixerResult Log(std::string call, MixerResult result) {
        calls.push_back(std::move(call));
        return result;
    }
};
