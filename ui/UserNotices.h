#pragma once

#include "Dialogs.h"

#include <QObject>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Things the player must be told that arise where no window can be shown: at start-up, before the
// window is up (no sound output, sample files missing, notes kept from the last run), or on another
// thread (the settings file cannot be written). Each is printed on stderr at once; in the window
// they come in one message box when the user-interface thread next delivers its events, so that
// several told together are read together, until the program begins to end.
class UserNotices final : public QObject {
public:
    explicit UserNotices(Dialogs& dialogs);

    // Safe from any thread; an empty text says nothing.
    void Say(const std::string& text);

    // A message box holds the window's loop, and with it the beat: while ready() is false the
    // notices wait, and are looked at again every retryMs.
    void ShowWhen(std::function<bool()> ready, int retryMs = 1000);

    // The program is ending: nobody can act on a message any more, and a message box would hold
    // the process until someone answers it. From now on notices go to stderr alone, and those
    // still waiting (already on stderr) are dropped.
    void End();

    static constexpr const char* Title = "Pulsara";

private:
    void ShowWaiting();

    Dialogs& dialogs;
    std::function<bool()> ready;
    int retryMs = 1000;
    std::mutex mutex;
    std::vector<std::string> waiting;
    bool ended = false;
};
