#pragma once

#include "fakes/TempFolder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <vector>

// Sample files whose every word tells which file and which word it is, so that a copy from the
// wrong file or the wrong offset shows: word i of sample k (boom 1, boomi 2, bassdrum 3, snare 4)
// holds k * 8192 + i, never 0 for the words that can be copied. Word 0, which must never be
// copied, holds Word0.
struct SampleWords {
    static constexpr int16_t Word0 = -12345;
    static int16_t Of(int kind, int32_t word) { return static_cast<int16_t>(kind * 8192 + word); }
};

enum SampleKind { Boom = 1, Boomi = 2, BassDrum = 3, Snare = 4 };

inline const char* SampleName(int kind) {
    static const char* const names[] = {"", "boom.wav", "boomi.wav", "bassdrum.wav", "snare.wav"};
    return names[kind];
}

inline int32_t SampleLimit(int kind) {
    static const int32_t limits[] = {0, 6161, 820, 26304, 27214};
    return limits[kind];
}

inline void PutWord(std::vector<unsigned char>& bytes, int16_t word) {
    const auto u = static_cast<uint16_t>(word);
    bytes.push_back(static_cast<unsigned char>(u & 0xFF));
    bytes.push_back(static_cast<unsigned char>(u >> 8));
}

// Writes sample `kind` with words 0 ... lastWord after a 44-byte header of 0xAA bytes, which a
// correct renderer never copies either.
inline void WriteSample(const std::filesystem::path& folder, int kind, int32_t lastWord) {
    std::vector<unsigned char> bytes(44, 0xAA);
    PutWord(bytes, SampleWords::Word0);
    for (int32_t i = 1; i <= lastWord; ++i) {
        PutWord(bytes, SampleWords::Of(kind, i));
    }
    std::ofstream(folder / SampleName(kind), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// All four samples, each holding exactly the one word more than its limit that it should.
inline void WriteAllSamples(const std::filesystem::path& folder) {
    for (int kind = Boom; kind <= Snare; ++kind) {
        WriteSample(folder, kind, SampleLimit(kind));
    }
}

inline std::vector<unsigned char> ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline uint32_t U32At(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// A rendered file: its header fields and its samples.
struct WaveFile {
    explicit WaveFile(const std::filesystem::path& file)
        : bytes(ReadBytes(file)) {}

    std::size_t Samples() const { return bytes.size() < 44 ? 0 : (bytes.size() - 44) / 2; }
    int16_t Sample(std::size_t i) const { // 0-based sample i of the data
        const std::size_t at = 44 + 2 * i;
        return static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
    }
    uint32_t ChunkSize() const { return U32At(bytes, 4); }
    uint32_t DataSize() const { return U32At(bytes, 40); }

    std::vector<unsigned char> bytes;
};

// The exact header the renderer must write for `dataBytes` of sound.
inline std::vector<unsigned char> ExpectedHeader(uint32_t dataBytes) {
    std::vector<unsigned char> h;
    h.reserve(44);
    const auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) {
            h.push_back(static_cast<unsigned char>(t[i]));
        }
    };
    const auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h.push_back(static_cast<unsigned char>(v >> (8 * i)));
        }
    };
    const auto u16 = [&](uint32_t v) {
        h.push_back(static_cast<unsigned char>(v));
        h.push_back(static_cast<unsigned char>(v >> 8));
    };
    tag("RIFF");
    u32(dataBytes + 36);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(44100);
    u32(88200);
    u16(2);
    u16(16);
    tag("data");
    u32(dataBytes);
    return h;
}

// Checks one sound at `start`: `copied` words of sample `kind` from word 1 on, then silence up to
// `length` samples. Returns the start of what follows.
inline std::size_t ExpectSound(const WaveFile& wave, std::size_t start, int kind, int32_t copied,
                               int32_t length) {
    if (start + static_cast<std::size_t>(length) > wave.Samples()) {
        ADD_FAILURE() << "the file ends at sample " << wave.Samples() << ", before the sound at "
                      << start << " of " << length << " samples";
        return start + static_cast<std::size_t>(length);
    }
    for (int32_t i = 0; i < length; ++i) {
        const int16_t expected = i < copied ? SampleWords::Of(kind, i + 1) : int16_t{0};
        if (wave.Sample(start + static_cast<std::size_t>(i)) != expected) {
            ADD_FAILURE() << "sample " << start + static_cast<std::size_t>(i) << " (word " << i + 1
                          << " of the sound) is "
                          << wave.Sample(start + static_cast<std::size_t>(i)) << ", expected "
                          << expected;
            break;
        }
    }
    return start + static_cast<std::size_t>(length);
}
