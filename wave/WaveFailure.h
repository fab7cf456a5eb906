#pragma once

#include "WaveOutcome.h"

#include <stdexcept>
#include <string>

// Ends a render part way; the renderer turns it into a WaveOutcome for its caller.
class WaveFailure : public std::runtime_error {
public:
    WaveFailure(WaveError error, const std::string& reason)
        : std::runtime_error(reason)
        , error(error) {}

    WaveError Error() const noexcept { return error; }

private:
    WaveError error;
};
