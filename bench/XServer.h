#pragma once

#include "ChildProcess.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// An X server (Xvfb) of a test or benchmark, on a display number it picks itself among the free
// ones; `display` is empty when it did not start. Given a folder, the server keeps its screen there
// as a file ("Xvfb_screen0", in XWD format) that a benchmark can read while the screen changes.
class XServer {
public:
    explicit XServer(const std::string& screenFolder = {});

    // xdotool with these arguments on this display, run to its end: what it printed, or nothing
    // when it failed.
    std::optional<std::string> Xdotool(std::vector<std::string> arguments) const;
    // The first visible window whose name matches, within the time given; empty when none came.
    std::string FindWindow(const std::string& name, std::chrono::milliseconds wait) const;
    // What a window manager does when a window's close box is clicked: it asks the window to close
    // through the WM_DELETE_WINDOW protocol. False when the request could not be sent.
    bool ClickCloseBox(const std::string& window) const;
    // The sizes of the icons a window offers the window manager (_NET_WM_ICON), as width and
    // height; none when it offers none.
    std::vector<std::pair<int, int>> IconSizes(const std::string& window) const;
    // Ends the server, as a crash of the display would: its clients lose their connection.
    void Stop() { server.reset(); }

    std::string display;

private:
    std::unique_ptr<ChildProcess> server;
};
