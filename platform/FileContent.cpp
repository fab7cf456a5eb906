#include "FileContent.h"

#include <array>
#include <fstream>
#include <system_error>

std::optional<std::string> FileContent(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::string content;
    std::array<char, 65536> chunk{};
    // read() turns a failing read (a device error) into the stream's state rather than an
    // exception.
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        content.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (!in.is_open() || in.bad()) {
        return std::nullopt;
    }
    return content;
}
