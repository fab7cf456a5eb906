#pragma once

#include <string>

// Why an export produced no file.
enum class WaveError {
    None,
    NoTempo,     // a tempo below 1 beat per minute gives no step length
    NoRhythm,    // the renderer's cursor holds no accepted rhythm
    TooLong,     // the pass does not fit the 32-bit sizes of a WAV file
    NoRoom,      // the disk (or the file size the system allows) ran out
    CannotWrite, // the file or its folder cannot be created, written or replaced
    Busy,        // another export is still running
    Cancelled,   // the program was asked to end during the export
};

// What became of one export. On failure the chosen path holds what it held before, and the reason
// is a phrase that a message box can show after the file's name.
class WaveOutcome {
public:
    // warning: a phrase about a flaw of the written file (silent samples), or empty.
    static WaveOutcome Success(std::string fileName, std::string warning = {});
    static WaveOutcome Failure(WaveError error, std::string fileName, std::string reason);

    bool Ok() const { return error == WaveError::None; }
    WaveError Error() const { return error; }
    const std::string& FileName() const { return fileName; }
    const std::string& Reason() const { return reason; }

    // One sentence naming the file and the reason, for the user; on success the sentence about
    // the warning, or empty without one.
    std::string Message() const;

private:
    WaveOutcome(WaveError error, std::string fileName, std::string reason, std::string warning);

    WaveError error;
    std::string fileName;
    std::string reason;
    std::string warning;
};
