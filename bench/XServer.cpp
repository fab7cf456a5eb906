#include "XServer.h"

#include <array>
#include <chrono>
#include <poll.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

XServer::XServer(const std::string& screenFolder) {
    std::array<int, 2> ends{-1, -1};
    if (pipe(ends.data()) != 0) {
        return;
    }
    ChildProcess::Options options;
    options.passFd = ends[1];
    options.passFdAs = 3;
    // Without -noreset the server resets whenever its last client leaves, and hangs up on anyone
    // who connects meanwhile: a program starting while xdotool polls for its window lost its
    // display.
    std::vector<std::string> arguments{"Xvfb",        "-displayfd", "3",   "-screen", "0",
                                       "1024x768x24", "-nolisten",  "tcp", "-noreset"};
    if (!screenFolder.empty()) {
        arguments.insert(arguments.end(), {"-fbdir", screenFolder});
    }
    server = std::make_unique<ChildProcess>(arguments, options);
    close(ends[1]);
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline && number.find('\n') == std::string::npos) {
        pollfd ready{ends[0], POLLIN, 0};
        if (poll(&ready, 1, 100) > 0) {
            std::array<char, 32> block{};
            const ssize_t got = read(ends[0], block.data(), block.size());
            if (got <= 0) {
                break;
            }
            number.append(block.data(), static_cast<std::size_t>(got));
        }
    }
    close(ends[0]);
    if (const auto end = number.find('\n'); end != std::string::npos) {
        number.resize(end);
        number.insert(number.begin(), ':');
        display = std::move(number);
    }
}
