#pragma once

#include <cstdlib>
#include <string>

// A PulseAudio server on a null sink in a runtime folder of its own, started with the tests'
// fixture script for as long as the object lives. The process's environment points at it, so that
// the program's sound output, parec and pactl all reach this server and no other.
class PrivateAudioServer {
public:
    PrivateAudioServer(std::string fixtureScript, std::string runtimeFolder)
        : fixtureScript(std::move(fixtureScript))
        , runtimeFolder(std::move(runtimeFolder)) {
        setenv("XDG_RUNTIME_DIR", this->runtimeFolder.c_str(), 1);
        setenv("HOME", this->runtimeFolder.c_str(), 1);
        setenv("PULSE_RUNTIME_PATH", (this->runtimeFolder + "/pulse").c_str(), 1);
        unsetenv("PULSE_SERVER");
        ok = std::system(Command("start").c_str()) == 0;
    }
    ~PrivateAudioServer() {
        // Nothing is left to do if stopping fails: the next start ends a stale server itself.
        (void)std::system(Command("stop").c_str());
    }
    PrivateAudioServer(const PrivateAudioServer&) = delete;
    PrivateAudioServer& operator=(const PrivateAudioServer&) = delete;

    bool ok = false;

private:
    std::string Command(const char* action) const {
        return "'" + fixtureScript + "' " + action + " '" + runtimeFolder + "'";
    }

    std::string fixtureScript;
    std::string runtimeFolder;
};
