#pragma once

#include <optional>

// The program's command line: --help, --version and --print-folders are answered on standard
// output before any window, sound or mixer device is opened, and need no display. The options of
// Qt itself (-platform, -session ...) are left for the application object; any other option is
// refused.
class CommandLine {
public:
    // The exit code when the command line has been answered and the program is to end; nothing
    // when it is to start as usual.
    static std::optional<int> Answer(int argc, const char* const* argv);
};
