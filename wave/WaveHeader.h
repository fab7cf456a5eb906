#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The 44-byte canonical header of a mono, 16-bit, 44100 Hz PCM WAV file with nothing but its
// "fmt " and "data" chunks. All integers are little-endian.
class WaveHeader {
public:
    static constexpr std::size_t Size = 44;
    static constexpr int32_t SampleRate = 44100;
    static constexpr int32_t BytesPerSample = 2;
    // The chunk size (data byte count + 36) is a signed 32-bit value, and the data size is even.
    static constexpr int64_t MaxDataBytes = (int64_t{2147483647} - 36) / 2 * 2;

    explicit WaveHeader(int32_t dataByteCount)
        : dataByteCount(dataByteCount) {}

    std::array<unsigned char, Size> Bytes() const;

private:
    int32_t dataByteCount;
};
