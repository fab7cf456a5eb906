#include "UserNotices.h"

#include <QMetaObject>
#include <QTimer>
#include <cstdio>
#include <utility>

UserNotices::UserNotices(Dialogs& dialogs)
    : dialogs(dialogs) {}

void UserNotices::Say(const std::string& text) {
    if (text.empty()) {
        return;
    }
    std::fprintf(stderr, "pulsara: %s\n", text.c_str());
    bool first = false;
    {
        const std::lock_guard lock(mutex);
        if (ended) {
            return;
        }
        first = waiting.empty();
        waiting.push_back(text);
    }
    // The object lives on the user-interface thread, so the call is delivered there.
    if (first) {
        QMetaObject::invokeMethod(
            this, [this] { ShowWaiting(); }, Qt::QueuedConnection);
    }
}

void UserNotices::ShowWhen(std::function<bool()> vData, int retry) {
    ready = std::move(vData);
    retryMs = retry;
}

void UserNotices::End() {
    const std::lock_guard lock(mutex);
    ended = true;
    waiting.clear();
}

void UserNotices::ShowWaiting() {
    {
        const std::lock_guard lock(mutex);
        if (ended) {
            return;
        }
    }
    if (ready && !ready()) {
        QTimer::singleShot(retryMs, this, [this] { ShowWaiting(); });
        return;
    }
    std::vector<std::string> texts;
    {
        const std::lock_guard lock(mutex);
        texts = std::exchange(waiting, {});
    }
    std::string joined;
    for (const std::string& text : texts) {
        joined += (joined.empty() ? "" : "\n\n") + text;
    }
    if (!joined.empty()) {
        dialogs.MessageBox(joined, Title, MessageIcon::Exclamation);
    }
}
