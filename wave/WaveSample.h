#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

// The part of one sample file that an export copies: words 1 to the limit, kept as the file's own
// little-endian bytes so that they go to the output unchanged. The file's header is not read: its
// word i lies at byte offset 44 + 2i, and word 0 is never used. A missing or short file yields
// silence for every word it lacks; the file is never created or changed.
class WaveSample {
public:
    WaveSample() = default;
    WaveSample(const std::filesystem::path& file, int32_t limit);

    int32_t Limit() const { return static_cast<int32_t>(bytes.size() / 2); }
    // The file could be opened and holds at least word 1; otherwise every word is silence.
    bool Found() const { return found; }

    // Words 1 to `count` (at most the limit), as bytes.
    std::span<const unsigned char> Words(int32_t count) const;

    static constexpr std::streamoff FirstWordOffset = 46;

private:
    std::vector<unsigned char> bytes;
    bool found = false;
};
