#pragma once

#include "SoundOutput.h"

#include <string>
#include <vector>

// Records every sample request with its due tick, in order.
class RecordingSoundOutput final : public SoundOutput {
public:
    struct Request {
        std::string fileName;
        double dueTick;
        bool operator==(const Request&) const = default;
    };

    void PlaySample(std::string_view fileName, double dueTick) override {
        requests.push_back({std::string(fileName), dueTick});
    }

    std::vector<Request> requests;
};
