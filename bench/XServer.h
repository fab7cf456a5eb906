#pragma once

#include "ChildProcess.h"

#include <memory>
#include <string>

// An X server (Xvfb) of a test or benchmark, on a display number it picks itself among the free
// ones; `display` is empty when it did not start. Given a folder, the server keeps its screen there
// as a file ("Xvfb_screen0", in XWD format) that a benchmark can read while the screen changes.
class XServer {
public:
    explicit XServer(const std::string& screenFolder = {});

    std::string display;

private:
    std::unique_ptr<ChildProcess> server;
};
