#pragma once

#include "fakes/TempFolder.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Sample files whose every word tells which file and which word it is, so that a copy from the
// wrong file or the wrong offset shows: word i of sample `kind` holds kind * 8192 + i.
enum SampleKind { Boom = 1, Boomi = 2, BassDrum = 3, Snare = 4 };

inline int16_t Word(int kind, int32_t i) {
    return static_cast<int16_t>(kind * 8192 + i);
}

constexpr const char* SampleName[] = {"", "boom.wav", "boomi.wav", "bassdrum.wav", "snare.wav"};
// The words of each sample that an export copies at most.
constexpr int32_t SampleLimit[] = {0, 6161, 820, 26304, 27214};

// Words 1 ... lastWord after a 44-byte header and a word 0, all of bytes 0xAA, which a correct
// renderer never copies.
inline void WriteSample(const TempFolder& folder, int kind, int32_t lastWord) {
    std::string bytes(46, '\xAA');
    for (int32_t i = 1; i <= lastWord; ++i) {
        const auto word = static_cast<uint16_t>(Word(kind, i));
        bytes += static_cast<char>(word & 0xFF);
        bytes += static_cast<char>(word >> 8);
    }
    folder.Put(SampleName[kind], bytes);
}

// All four samples, each holding one word more than is copied.
inline void WriteAllSamples(const TempFolder& folder) {
    for (int kind = Boom; kind <= Snare; ++kind) {
        WriteSample(folder, kind, SampleLimit[kind] + 1);
    }
}

// The sound of a wave file's bytes: the 16-bit samples after its 44-byte header.
inline std::vector<int16_t> SamplesOf(const std::string& bytes) {
    std::vector<int16_t> samples(bytes.size() < 44 ? 0 : (bytes.size() - 44) / 2);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    return samples;
}

// For each sound, `copied` words of its sample from word 1 on, then silence up to `length`.
struct Sound {
    int kind;
    int32_t copied;
    int32_t length;
};

inline std::vector<int16_t> SamplesOf(const std::vector<Sound>& sounds) {
    std::vector<int16_t> samples;
    for (const Sound& s : sounds) {
        for (int32_t i = 1; i <= s.length; ++i) {
            samples.push_back(i <= s.copied ? Word(s.kind, i) : int16_t{0});
        }
    }
    return samples;
}
