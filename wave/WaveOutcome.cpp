#include "WaveOutcome.h"

#include <utility>

WaveOutcome::WaveOutcome(WaveError error, std::string fileName, std::string reason)
    : error(error)
    , fileName(std::move(fileName))
    , reason(std::move(reason)) {}

WaveOutcome WaveOutcome::Success(std::string fileName) {
    return WaveOutcome(WaveError::None, std::move(fileName), std::string());
}

WaveOutcome WaveOutcome::Failure(WaveError error, std::string fileName, std::string reason) {
    return WaveOutcome(error, std::move(fileName), std::move(reason));
}

std::string WaveOutcome::Message() const {
    if (Ok()) {
        return {};
    }
    return "The wave file \"" + fileName + "\" could not be written: " + reason + ".";
}
