#pragma once

#include "Dialogs.h"

#include <deque>
#include <string>
#include <vector>

// Answers file dialogs from a queue of paths (an empty entry, or an empty queue, is a cancel) and
// records every message box and file dialog that was asked for.
class ScriptedDialogs final : public Dialogs {
public:
    struct Message {
        std::string text;
        std::string title;
        MessageIcon icon;
        bool operator==(const Message&) const = default;
    };
    struct FileRequest {
        bool save;
        FileDialogOptions options;
        bool operator==(const FileRequest&) const = default;
    };

    void MessageBox(std::string_view text, std::string_view title, MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(title), icon});
    }
    std::string OpenFile(const FileDialogOptions& options) override {
        return Answer({false, options});
    }
    std::string SaveFile(const FileDialogOptions& options) override {
        return Answer({true, options});
    }

    std::deque<std::string> answers;
    std::vector<Message> messages;
    std::vector<FileRequest> fileRequests;

private:
    std::string Answer(const FileRequest& request) {
        fileRequests.push_back(request);
        const std::string answer = answers.empty() ? "" : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
};
