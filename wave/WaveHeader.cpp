#include "WaveHeader.h"

#include <string_view>

namespace {

class HeaderWriter {
public:
    explicit HeaderWriter(std::array<unsigned char, WaveHeader::Size>& bytes)
        : bytes(bytes) {}

    HeaderWriter& Tag(std::string_view fourLetters) {
        for (const char c : fourLetters) {
            bytes[at++] = static_cast<unsigned char>(c);
        }
        return *this;
    }
    HeaderWriter& U16(uint32_t value) { return Little(value, 2); }
    HeaderWriter& U32(uint32_t value) { return Little(value, 4); }

private:
    HeaderWriter& Little(uint32_t value, int byteCount) {
        for (int i = 0; i < byteCount; ++i) {
            bytes[at++] = static_cast<unsigned char>((value >> (8 * i)) & 0xFFu);
        }
        return *this;
    }

    std::array<unsigned char, WaveHeader::Size>& bytes;
    std::size_t at = 0;
};

} // namespace

std::array<unsigned char, WaveHeader::Size> WaveHeader::Bytes() const {
    std::array<unsigned char, Size> bytes{};
    const auto data = static_cast<uint32_t>(dataByteCount);
    HeaderWriter(bytes)
        .Tag("RIFF")
        .U32(data + 36)
        .Tag("WAVE")
        .Tag("fmt ")
        .U32(16)
        .U16(1) // PCM
        .U16(1) // mono
        .U32(SampleRate)
        .U32(SampleRate * BytesPerSample)
        .U16(BytesPerSample)
        .U16(8 * BytesPerSample)
        .Tag("data")
        .U32(data);
    return bytes;
}
