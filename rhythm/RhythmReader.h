#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reads a rhythm body one item of the notation at a time: a step's symbol, a group's bracket with
// the repeat count after a ")", a duration number, a tempo step, a caption. The cursor, the check
// and the count of a pass's steps all read the text through here, so that they cannot disagree
// about where an item ends. Nothing runs past the end of the body: the stored text's two closing
// blanks keep every number from reaching it, and a caption left open ends there.
class RhythmReader {
public:
    enum class Kind { Step, Open, Close, Duration, TempoStep, Caption, Other };

    struct Token {
        Kind kind = Kind::Other;
        // The symbol of a step, or the sign of a tempo step.
        char symbol = 0;
        // A group's repeat count, a duration number or a tempo step's amount; -1 for no digits.
        int32_t number = -1;
        // A caption's text, without its slashes.
        std::string_view text;
    };

    explicit RhythmReader(std::string_view body, std::size_t index = 0)
        : body(body)
        , index(index) {}

    bool AtEnd() const { return index >= body.size(); }
    // Where the next item begins, counted from 0 at the start of the body.
    std::size_t Index() const { return index; }
    void MoveTo(std::size_t position) { index = position; }

    // The item at Index(), which moves past it. At the end of the body it is Other.
    Token Next();

    // The symbols that end a step: the sound symbols and the rest.
    static bool IsStepSymbol(char c) {
        return c == 'x' || c == 'X' || c == '\'' || c == '.' || c == '#' || c == '^';
    }

private:
    int32_t ReadNumber(int most);
    std::string_view ReadCaption();

    std::string_view body;
    std::size_t index = 0;
};
