#pragma once

#include "Dialogs.h"

#include <QObject>
#include <mutex>
#include <string>
#include <vector>

// Things the player must be told that arise where no window can be shown: at start-up, before the
// window is up (no sound output, sample files missing, notes kept from the last run), or on another
// thread (the settings file cannot be written). Each is printed on stderr at once; in the window
// they come in one message box when the user-interface thread next delivers its events, so that
// several told together are read together.
class UserNotices final : public QObject {
public:
    explicit UserNotices(Dialogs& dialogs);

    // Safe from any thread; an empty text says nothing.
    void Say(const std::string& text);

    static constexpr const char* Title = "Pulsara";

private:
    void ShowWaiting();

    Dialogs& dialogs;
    std::mutex mutex;
    std::vector<std::string> waiting;
};
