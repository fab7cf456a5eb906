#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The environment of this process with some variables replaced or added.
std::vector<std::string> Environment(const std::vector<std::string>& overrides);

// A child process of a test or benchmark, ended (SIGTERM, then SIGKILL) when the object goes
// unless it ended before. Its standard output can be caught through a pipe, its standard error
// goes to a file, and one more pipe end can be handed to it as a given descriptor.
class ChildProcess {
public:
    struct Options {
        std::vector<std::string> environment = Environment({});
        bool catchOutput = false;
        std::optional<std::filesystem::path> errorFile;
        int passFd = -1;   // this end of a pipe ...
        int passFdAs = -1; // ... becomes this descriptor in the child
    };

    explicit ChildProcess(std::vector<std::string> arguments);
    ChildProcess(std::vector<std::string> arguments, Options options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid > 0; }
    pid_t Pid() const { return pid; }

    // True once the child has ended within the time given; its status is then kept.
    bool Ended(std::chrono::milliseconds wait);
    bool EndedCleanly() const;

    // Everything the child writes to its standard output until it closes it, within the time.
    std::string ReadOutput(std::chrono::milliseconds wait);

    // Runs a command to its end, within the time given: what it printed, or nothing when it failed
    // or did not end in time.
    static std::optional<std::string>
    Output(std::vector<std::string> arguments,
           std::vector<std::string> environment = Environment({}),
           std::chrono::milliseconds wait = std::chrono::seconds(10));

    std::optional<int> status;

private:
    pid_t pid = -1;
    int output = -1;
};
