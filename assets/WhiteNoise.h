#pragma once

#include <cstdint>

// White noise from a xorshift generator with a fixed seed: the same on every machine and every
// build, so that the synthesized samples come out byte for byte the same.
class WhiteNoise {
public:
    // A value in [-1, 1).
    double Next();

private:
    uint64_t state = 0x9E3779B97F4A7C15ull;
};
