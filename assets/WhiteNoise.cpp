#include "WhiteNoise.h"

double WhiteNoise::Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<double>(state >> 11) / static_cast<double>(uint64_t{1} << 53) * 2.0 - 1.0;
}
