#include "RhythmReader.h"

#include <algorithm>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

RhythmReader::Token RhythmReader::Next() {
    Token token;
    if (AtEnd()) {
        return token;
    }
    const char c = body[index++];
    if (c == '(') {
        token.kind = Kind::Open;
    } else if (c == ')') {
        token.kind = Kind::Close;
        token.number = ReadNumber(3);
    } else if (c >= '1' && c <= '9') {
        // A duration has at most two digits: "128" is 12 and then 8.
        token.kind = Kind::Duration;
        index -= 1;
        token.number = ReadNumber(2);
    } else if (c == '+' || c == '-') {
        token.kind = Kind::TempoStep;
        token.symbol = c;
        token.number = ReadNumber(3);
    } else if (c == '/') {
        token.kind = Kind::Caption;
        token.text = ReadCaption();
    } else if (IsStepSymbol(c)) {
        token.kind = Kind::Step;
        token.symbol = c;
    }
    return token;
}

int32_t RhythmReader::ReadNumber(int most) {
    int32_t value = -1;
    for (; most > 0 && !AtEnd() && IsDigit(body[index]); --most) {
        value = std::max(value, 0) * 10 + (body[index++] - '0');
    }
    return value;
}

std::string_view RhythmReader::ReadCaption() {
    const std::size_t close = body.find('/', index);
    const std::size_t end = close == std::string_view::npos ? body.size() : close;
    const std::string_view text = body.substr(index, end - index);
    index = std::min(body.size(), end + 1);
    return text;
}
