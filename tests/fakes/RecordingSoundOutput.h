#pragma once

#include "SoundOutput.h"

#include <algorithm>
#include <string>
#include <vector>

// Records every sample laid, in order, and forgets those withdrawn: what is left is what a real
// output would play.
class RecordingSoundOutput final : public SoundOutput {
public:
    struct Request {
        std::string fileName;
        int64_t frame;
        bool operator==(const Request&) const = default;
    };

    void PlaySample(std::string_view fileName, int64_t frame) override {
        requests.push_back({std::string(fileName), frame});
    }
    void Withdraw(int64_t frame) override {
        std::erase_if(requests, [frame](const Request& r) { return r.frame >= frame; });
    }
    int64_t EarliestFrame(int64_t now) const override { return now + lead; }

    std::vector<Request> requests;
    int64_t lead = 0;
};
