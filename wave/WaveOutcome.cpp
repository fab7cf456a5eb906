#include "WaveOutcome.h"

#include <utility>

WaveOutcome::WaveOutcome(WaveError error, std::string fileName, std::string reason,
                         std::string warning)
    : error(error)
    , fileName(std::move(fileName))
    , reason(std::move(reason))
    , warning(std::move(warning)) {}

WaveOutcome WaveOutcome::Success(std::string fileName, std::string warning) {
    return WaveOutcome(WaveError::None, std::move(fileName), std::string(), std::move(warning));
}

WaveOutcome WaveOutcome::Failure(WaveError error, std::string fileName, std::string reason) {
    return WaveOutcome(error, std::move(fileName), std::move(reason), std::string());
}

std::string WaveOutcome::Message() const {
    if (Ok()) {
        return warning.empty()
                   ? std::string()
                   : "The wave file \"" + fileName + "\" was written, but " + warning + ".";
    }
    return "The wave file \"" + fileName + "\" could not be written: " + reason + ".";
}
