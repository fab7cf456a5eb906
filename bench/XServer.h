#pragma once

#include "ChildProcess.h"

#include <memory>
#include <string>

// An X server (Xvfb) of a test or benchmark, on a display number it picks itself among the free
// ones; `display` is empty when it did not start.
class XServer {
public:
    XServer();

    std::string display;

private:
    std::unique_ptr<ChildProcess> server;
};
