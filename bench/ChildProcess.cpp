#include "ChildProcess.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::vector<std::string> Environment(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](const auto& o) {
            return o.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (!replaced) {
            result.push_back(variable);
        }
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

ChildProcess::ChildProcess(std::vector<std::string> arguments)
    : ChildProcess(std::move(arguments), Options{}) {}

ChildProcess::ChildProcess(std::vector<std::string> arguments, Options options) {
    std::array<int, 2> out{-1, -1};
    if (options.catchOutput && pipe(out.data()) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.catchOutput) {
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, out[1]);
    }
    if (options.errorFile) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.errorFile->c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    if (options.passFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, options.passFd, options.passFdAs);
    }
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(options.environment);
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (options.catchOutput) {
        close(out[1]);
        output = out[0];
    }
}

ChildProcess::~ChildProcess() {
    if (pid > 0 && !Ended(0ms)) {
        kill(pid, SIGTERM);
        if (!Ended(5s)) {
            kill(pid, SIGKILL);
            Ended(5s);
        }
    }
    if (output >= 0) {
        close(output);
    }
}

bool ChildProcess::Ended(std::chrono::milliseconds wait) {
    if (status || pid <= 0) {
        return true;
    }
    const auto deadline = Clock::now() + wait;
    do {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid) {
            status = raw;
            return true;
        }
        std::this_thread::sleep_for(5ms);
    } while (Clock::now() < deadline);
    return false;
}

bool ChildProcess::EndedCleanly() const {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

std::string ChildProcess::ReadOutput(std::chrono::milliseconds wait) {
    std::string text;
    const auto deadline = Clock::now() + wait;
    while (output >= 0 && Clock::now() < deadline) {
        pollfd ready{output, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (poll(&ready, 1, static_cast<int>(std::max<int64_t>(left.count(), 0))) <= 0) {
            break;
        }
        std::array<char, 512> block{};
        const ssize_t got = read(output, block.data(), block.size());
        if (got <= 0) {
            break;
        }
        text.append(block.data(), static_cast<std::size_t>(got));
    }
    return text;
}

std::optional<std::string> ChildProcess::Output(std::vector<std::string> arguments,
                                                std::vector<std::string> environment,
                                                std::chrono::milliseconds wait) {
    ChildProcess command(
        std::move(arguments),
        {.environment = std::move(environment), .catchOutput = true, .errorFile = {}});
    std::string output = command.ReadOutput(wait);
    return command.Ended(wait) && command.EndedCleanly() ? std::optional(std::move(output))
                                                         : std::nullopt;
}
