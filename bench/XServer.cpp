#include "XServer.h"

#include <array>
#include <chrono>
#include <poll.h>
#include <sstream>
#include <unistd.h>
#include <utility>
#include <vector>
// Last: Xlib defines names such as Status and None as macros.
#include <X11/Xlib.h>

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

std::optional<std::string> XServer::Xdotool(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), "xdotool");
    return ChildProcess::Output(std::move(arguments), Environment({"DISPLAY=" + display}));
}

std::string XServer::FindWindow(const std::string& name, std::chrono::milliseconds wait) const {
    std::string window;
    for (auto deadline = std::chrono::steady_clock::now() + wait;
         window.empty() && std::chrono::steady_clock::now() < deadline;) {
        std::istringstream(Xdotool({"search", "--onlyvisible", "--name", name}).value_or("")) >>
            window;
    }
    return window;
}

bool XServer::ClickCloseBox(const std::string& window) const {
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(connection, event.xclient.window, False, NoEventMask, &event) != 0;
    XCloseDisplay(connection);
    return sent;
}

std::vector<std::pair<int, int>> XServer::IconSizes(const std::string& window) const {
    std::vector<std::pair<int, int>> sizes;
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return sizes;
    }
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const Atom icon = XInternAtom(connection, "_NET_WM_ICON", False);
    if (XGetWindowProperty(connection, std::stoul(window), icon, 0, 1L << 24, False,
                           AnyPropertyType, &type, &format, &count, &left, &data) == Success &&
        data != nullptr && format == 32) {
        // Width, height and then width × height pixels, for each icon in turn; Xlib hands 32-bit
        // items over as longs.
        const auto* items = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i + 2 <= count;) {
            const long width = items[i];
            const long height = items[i + 1];
            sizes.emplace_back(static_cast<int>(width), static_cast<int>(height));
            i += 2 + static_cast<unsigned long>(width * height);
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    XCloseDisplay(connection);
    return sizes;
}
