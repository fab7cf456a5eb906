#include "WaveSample.h"

#include <algorithm>
#include <fstream>

WaveSample::WaveSample(const std::filesystem::path& file, int32_t limit)
    : bytes(static_cast<std::size_t>(std::max(limit, 0)) * 2, 0) {
    std::ifstream in(file, std::ios::binary);
    if (!in || !in.seekg(FirstWordOffset)) {
        return;
    }
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // A file that ends inside a word lacks that word: its lone byte would not be a sample.
    const auto whole = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)) / 2 * 2;
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(whole), bytes.end(), 0);
    found = whole > 0;
}

std::span<const unsigned char> WaveSample::Words(int32_t count) const {
    const auto words = static_cast<std::size_t>(std::clamp(count, 0, Limit()));
    return std::span<const unsigned char>(bytes.data(), words * 2);
}
