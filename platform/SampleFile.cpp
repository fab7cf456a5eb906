#include "SampleFile.h"

#include <array>
#include <cstring>
#include <fstream>
#include <string_view>

namespace SampleFile {
namespace {

constexpr uint16_t PcmFormat = 1;
constexpr uint16_t Channels = 1;
constexpr uint16_t BitsPerSample = 16;
constexpr uint16_t BytesPerFrame = Channels * BitsPerSample / 8;
// Anything longer than a minute is not one of our samples; refusing it bounds the allocation.
constexpr uint32_t MaxDataBytes = 60u * FramesPerSecond * BytesPerFrame;

uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}
void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& out, std::string_view tag) {
    out.insert(out.end(), tag.begin(), tag.end());
}

bool ReadExact(std::ifstream& in, void* to, std::size_t bytes) {
    in.read(static_cast<char*>(to), static_cast<std::streamsize>(bytes));
    return static_cast<std::size_t>(in.gcount()) == bytes;
}

bool FormatFits(const std::array<uint8_t, 16>& fmt) {
    return Le16(&fmt[0]) == PcmFormat && Le16(&fmt[2]) == Channels &&
           Le32(&fmt[4]) == static_cast<uint32_t>(FramesPerSecond) &&
           Le16(&fmt[12]) == BytesPerFrame && Le16(&fmt[14]) == BitsPerSample;
}

std::optional<std::vector<int16_t>> ReadData(std::ifstream& in, uint32_t bytes) {
    if (bytes > MaxDataBytes) {
        return std::nullopt;
    }
    std::vector<uint8_t> raw(bytes);
    if (!ReadExact(in, raw.data(), raw.size())) {
        return std::nullopt;
    }
    std::vector<int16_t> words(bytes / BytesPerFrame);
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<int16_t>(Le16(&raw[2 * i]));
    }
    return words;
}

} // namespace

std::optional<std::vector<int16_t>> Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<uint8_t, 12> riff{};
    if (!in || !ReadExact(in, riff.data(), riff.size()) || std::memcmp(&riff[0], "RIFF", 4) != 0 ||
        std::memcmp(&riff[8], "WAVE", 4) != 0) {
        return std::nullopt;
    }
    bool formatSeen = false;
    std::array<uint8_t, 8> chunk{};
    while (ReadExact(in, chunk.data(), chunk.size())) {
        const uint32_t size = Le32(&chunk[4]);
        if (std::memcmp(&chunk[0], "fmt ", 4) == 0) {
            std::array<uint8_t, 16> fmt{};
            if (size < fmt.size() || !ReadExact(in, fmt.data(), fmt.size()) || !FormatFits(fmt)) {
                return std::nullopt;
            }
            formatSeen = true;
            in.seekg(size - fmt.size() + (size & 1u), std::ios::cur);
        } else if (std::memcmp(&chunk[0], "data", 4) == 0) {
            return formatSeen ? ReadData(in, size) : std::nullopt;
        } else {
            in.seekg(size + (size & 1u), std::ios::cur);
        }
    }
    return std::nullopt;
}

bool Write(const std::filesystem::path& path, std::span<const int16_t> words) {
    const auto dataBytes = static_cast<uint32_t>(words.size() * BytesPerFrame);
    std::vector<uint8_t> out;
    out.reserve(HeaderBytes + dataBytes);
    PutTag(out, "RIFF");
    PutLe32(out, dataBytes + HeaderBytes - 8);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLe32(out, 16);
    PutLe16(out, PcmFormat);
    PutLe16(out, Channels);
    PutLe32(out, static_cast<uint32_t>(FramesPerSecond));
    PutLe32(out, static_cast<uint32_t>(FramesPerSecond) * BytesPerFrame);
    PutLe16(out, BytesPerFrame);
    PutLe16(out, BitsPerSample);
    PutTag(out, "data");
    PutLe32(out, dataBytes);
    for (const int16_t w : words) {
        PutLe16(out, static_cast<uint16_t>(w));
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    file.close();
    return static_cast<bool>(file);
}

} // namespace SampleFile
