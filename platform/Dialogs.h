#pragma once

#include <string>
#include <string_view>

enum class MessageIcon { Exclamation, Error };

// What a file dialog shows. The filter is a description and a pattern separated by a vertical bar
// ("Rhithm files|*.rtm"; more pairs may follow, each joined by a further bar, and one pattern may
// list several globs separated by ";"). The default extension ("rtm" or ".rtm") is added to a name
// chosen in a save dialog when that name has none. An empty title shows the standard one.
struct FileDialogOptions {
    std::string filter{};
    std::string defaultExt{};
    std::string title{};
    std::string initialName{};

    bool operator==(const FileDialogOptions&) const = default;
};

// The modal dialogs of the program. Each call returns only after the person has answered.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message with a single OK button.
    virtual void MessageBox(std::string_view text, std::string_view title, MessageIcon icon) = 0;
    // The chosen path, or the empty text when the dialog was cancelled.
    virtual std::string OpenFile(const FileDialogOptions& options) = 0;
    virtual std::string SaveFile(const FileDialogOptions& options) = 0;
};
