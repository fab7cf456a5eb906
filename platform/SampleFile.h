#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

// The program's sample files: a canonical 44-byte header followed by mono 16-bit
// little-endian words at 44100 Hz. The wave export copies their words without reading the header,
// so every file written here has exactly that layout.
namespace SampleFile {

inline constexpr int32_t FramesPerSecond = 44100;
inline constexpr std::size_t HeaderBytes = 44;

// The words of a mono 16-bit 44100 Hz PCM file, or nothing when the file is missing, damaged or of
// another format. Chunks before the data chunk are walked, so a file from another tool reads too.
std::optional<std::vector<int16_t>> Read(const std::filesystem::path& path);

// Writes the words with the canonical header; false when the file could not be written whole.
bool Write(const std::filesystem::path& path, std::span<const int16_t> words);

} // namespace SampleFile
