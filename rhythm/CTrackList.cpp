#include "CTrackList.h"

#include "RhythmFile.h"
#include "RhythmSounds.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsDigit(const std::string& c) {
    return c.size() == 1 && IsDigit(c[0]);
}

// The symbols that make a body worth playing: a rest alone does not.
bool IsSoundSymbol(const std::string& c) {
    return RhythmSounds::SampleIndex(c) >= 0;
}

// The symbols that end a step: the sound symbols and the rest.
bool IsStepSymbol(char c) {
    return c == 'x' || c == 'X' || c == '\'' || c == '.' || c == '#' || c == '^';
}

} // namespace

void CTrackList::Rhithm(std::string_view vData) {
    CheckRhithm(vData);
    if (lastCheck != 1) {
        return;
    }
    std::string text(vData);
    const auto end = static_cast<std::size_t>(bodyEnd);
    if (text[end - 2] != ' ' || text[end - 1] != ' ') {
        // The look-ahead of numbers relies on these two blanks: no duration number, repeat count
        // or tempo amount can run across the restart of the body.
        text.insert(end, "  ");
        bodyEnd += 2;
    }
    rhithm = std::move(text);
    OnStart();
}

void CTrackList::ReadFromFile(const std::string& FileName, RhythmFile::Error* error) {
    const std::optional<std::string> text = RhythmFile::Read(FileName, error);
    if (!text) {
        lastCheck = 0;
        return;
    }
    Rhithm(*text);
    if (lastCheck == 1) {
        fileRhithm = rhithm;
    }
}

void CTrackList::LastRhitmFromFile() {
    if (!fileRhithm.empty()) {
        Rhithm(fileRhithm);
    }
}

void CTrackList::OnStart() {
    curPos = bodyStart;
    curDuration = 4;
    curInfo.clear();
    groupDepth = 0;
}

void CTrackList::Push() {
    savedPos = curPos;
    savedDuration = curDuration;
    savedInfo = curInfo;
    savedDepth = groupDepth;
    savedPass = groupPass;
    savedStart = groupStart;
}

void CTrackList::Pop() {
    curPos = savedPos;
    curDuration = savedDuration;
    curInfo = savedInfo;
    groupDepth = std::clamp(savedDepth, 0, MaxGroupDepth);
    groupPass = savedPass;
    groupStart = savedStart;
}

// ---- validity check ----

void CTrackList::CheckRhithm(std::string_view text) {
    int32_t start = 1;
    int32_t end = 0;
    checkProblem.clear();
    if (text.size() > MaxTextLength) {
        checkProblem = "The text is longer than " + std::to_string(MaxTextLength) + " characters.";
    } else {
        checkText.assign(text);
        if (!FindBody(start, end)) {
            checkProblem = EmptyBodyProblem();
        } else if (!Balanced(start, end)) {
            checkProblem = UnbalancedProblem(start, end);
        } else if (!SoundBeforeLast(start, end)) {
            checkProblem = NoSoundProblem(start, end);
        } else {
            const auto first = static_cast<std::size_t>(start - 1);
            const auto length = static_cast<std::size_t>(end - start + 1);
            checkProblem = CursorCanPlay(std::string_view(checkText).substr(first, length), start);
        }
    }
    const bool valid = checkProblem.empty();
    lastCheck = valid ? 1 : 0;
    if (valid) {
        bodyStart = start;
        bodyEnd = end;
    }
}

std::string CTrackList::ReadCheckChar(int32_t n) {
    std::string taken;
    if (checkPos >= 1 && static_cast<std::size_t>(checkPos) <= checkText.size()) {
        taken =
            checkText.substr(static_cast<std::size_t>(checkPos - 1), static_cast<std::size_t>(n));
    }
    checkPos += n;
    return taken;
}

// The markers are found by a plain scan that knows nothing of information texts.
bool CTrackList::FindBody(int32_t& start, int32_t& end) {
    const auto length = static_cast<int32_t>(checkText.size());
    checkPos = 1;
    start = 1;
    do {
        checkChar = ReadCheckChar(1);
        if (checkChar == ">") {
            start = checkPos;
        }
    } while (checkChar != "<" && checkPos <= length);
    end = checkChar == "<" ? checkPos - 2 : checkPos - 1;
    return start <= end;
}

// Only the sum is tested, brackets inside information texts included; the order is the business
// of CursorCanPlay.
bool CTrackList::Balanced(int32_t start, int32_t end) const {
    const auto last = std::min<int32_t>(end, static_cast<int32_t>(checkText.size()));
    int32_t sum = 0;
    for (int32_t p = start; p <= last; ++p) {
        const char c = checkText[static_cast<std::size_t>(p - 1)];
        sum += c == '(' ? 1 : c == ')' ? -1 : 0;
    }
    return sum == 0;
}

// The test for the end of the body follows each read, so the symbol that makes a body valid must
// stand before its last character.
bool CTrackList::SoundBeforeLast(int32_t start, int32_t end) {
    checkPos = start;
    for (;;) {
        checkChar = ReadCheckChar(1);
        if (checkChar == "/") {
            do {
                checkChar = ReadCheckChar(1);
                if (checkPos > end) {
                    return false;
                }
            } while (checkChar != "/");
        }
        if (checkPos > end) {
            return false;
        }
        if (IsSoundSymbol(checkChar)) {
            return true;
        }
    }
}

std::string CTrackList::EmptyBodyProblem() const {
    if (checkText.find_first_not_of(' ') == std::string::npos) {
        return "Empty body: the text holds nothing to play.";
    }
    return "Empty body: nothing to play between \">\" and \"<\".";
}

std::string CTrackList::UnbalancedProblem(int32_t start, int32_t end) const {
    const auto last = std::min<int32_t>(end, static_cast<int32_t>(checkText.size()));
    int32_t opened = 0;
    int32_t closed = 0;
    for (int32_t p = start; p <= last; ++p) {
        const char c = checkText[static_cast<std::size_t>(p - 1)];
        opened += c == '(' ? 1 : 0;
        closed += c == ')' ? 1 : 0;
    }
    return "Unbalanced groups: " + std::to_string(opened) + " \"(\" but " + std::to_string(closed) +
           " \")\".";
}

// SoundBeforeLast failed: the body holds only blanks, or its only sound stands at its very end, or
// it has none.
std::string CTrackList::NoSoundProblem(int32_t start, int32_t end) {
    const auto first = static_cast<std::size_t>(start - 1);
    const std::string_view body = std::string_view(checkText).substr(
        std::min(first, checkText.size()), static_cast<std::size_t>(end - start + 1));
    if (body.find_first_not_of(' ') == std::string_view::npos) {
        return EmptyBodyProblem();
    }
    checkPos = start;
    while (checkPos <= end) {
        checkChar = ReadCheckChar(1);
        if (checkChar == "/") {
            do {
                checkChar = ReadCheckChar(1);
            } while (checkChar != "/" && checkPos <= end);
        } else if (IsSoundSymbol(checkChar)) {
            return "No sound before the last character: a blank after the last sound mends it.";
        }
    }
    return "No sound before the last character: the body holds no x, X, #, ' or ^ outside a "
           "caption.";
}

// Reads the body the way StepForward tokenises it and refuses what the cursor cannot play: a ")"
// with no open group, a ninth open group, a group still open where the body restarts (each pass
// would open one more), and a group without a sound symbol or rest, whose repeats would read for
// ever without reaching a step. Together with the sound symbol the check has found, this bounds
// every step to less than two runs over the body.
std::string CTrackList::CursorCanPlay(std::string_view body, int32_t start) {
    std::array<bool, MaxGroupDepth + 1> holdsStep{};
    std::array<std::size_t, MaxGroupDepth + 1> opensAt{};
    int depth = 0;
    std::size_t i = 0;
    const auto skipDigits = [&](int most) {
        for (; most > 0 && i < body.size() && IsDigit(body[i]); --most) {
            ++i;
        }
    };
    // The character of the body at index, counted from 1 in the whole text.
    const auto at = [start](std::size_t index) {
        return " at character " + std::to_string(static_cast<std::size_t>(start) + index);
    };
    while (i < body.size()) {
        const char c = body[i++];
        if (c == '(') {
            if (depth == MaxGroupDepth) {
                return "Groups nested too deep: the \"(\"" + at(i - 1) + " opens a ninth one.";
            }
            holdsStep[static_cast<std::size_t>(++depth)] = false;
            opensAt[static_cast<std::size_t>(depth)] = i - 1;
        } else if (c == ')') {
            if (depth == 0) {
                return "Unbalanced groups: the \")\"" + at(i - 1) + " closes no group.";
            }
            if (!holdsStep[static_cast<std::size_t>(depth)]) {
                return "A group with no step: the group" +
                       at(opensAt[static_cast<std::size_t>(depth)]) +
                       " holds no x, X, #, ', ^ or \".\".";
            }
            skipDigits(3);
            holdsStep[static_cast<std::size_t>(--depth)] = true;
        } else if (c >= '1' && c <= '9') {
            skipDigits(1);
        } else if (c == '+' || c == '-') {
            skipDigits(3);
        } else if (c == '/') {
            while (i < body.size() && body[i++] != '/') {
            }
        } else if (IsStepSymbol(c)) {
            holdsStep[static_cast<std::size_t>(depth)] = true;
        }
    }
    if (depth != 0) {
        return "Unbalanced groups: the \"(\"" + at(opensAt[static_cast<std::size_t>(depth)]) +
               " is not closed.";
    }
    return {};
}

// Tokenises the body as CursorCanPlay does; a group's steps count once per pass it is played.
int64_t CTrackList::StepsPerPass() const {
    if (!HasBody()) {
        return 0;
    }
    const std::string_view body = std::string_view(rhithm).substr(
        static_cast<std::size_t>(bodyStart - 1), static_cast<std::size_t>(bodyEnd - bodyStart + 1));
    const auto add = [](int64_t a, int64_t b) { return std::min(MostSteps, a + b); };
    std::array<int64_t, MaxGroupDepth + 1> steps{};
    int depth = 0;
    std::size_t i = 0;
    const auto readNumber = [&](int most) {
        int32_t value = -1;
        for (; most > 0 && i < body.size() && IsDigit(body[i]); --most) {
            value = std::max(value, 0) * 10 + (body[i++] - '0');
        }
        return value;
    };
    while (i < body.size()) {
        const char c = body[i++];
        if (c == '(' && depth < MaxGroupDepth) {
            steps[static_cast<std::size_t>(++depth)] = 0;
        } else if (c == ')') {
            const int32_t count = readNumber(3);
            if (depth == 0) {
                continue;
            }
            const int64_t group = steps[static_cast<std::size_t>(depth--)];
            const int64_t passes = count == -1                 ? 2
                                   : count == 0 && !noInfinite ? MostSteps
                                                               : std::max(count, 1);
            const int64_t played =
                group != 0 && passes > MostSteps / group ? MostSteps : group * passes;
            steps[static_cast<std::size_t>(depth)] =
                add(steps[static_cast<std::size_t>(depth)], played);
        } else if (c >= '1' && c <= '9') {
            readNumber(1);
        } else if (c == '+' || c == '-') {
            readNumber(3);
        } else if (c == '/') {
            while (i < body.size() && body[i++] != '/') {
            }
        } else if (IsStepSymbol(c)) {
            steps[static_cast<std::size_t>(depth)] = add(steps[static_cast<std::size_t>(depth)], 1);
        }
    }
    return steps[0];
}

// ---- cursor ----

bool CTrackList::HasBody() const {
    return bodyStart >= 1 && bodyStart <= bodyEnd &&
           static_cast<std::size_t>(bodyEnd) <= rhithm.size();
}

void CTrackList::RestartBody() {
    curPos = bodyStart;
    curDuration = 4;
    curInfo.clear();
    wrapped = true;
    endReach = true;
}

std::string CTrackList::ReadChar(int32_t n) {
    if (!HasBody() || n < 1) {
        return {};
    }
    if (curPos < bodyStart || curPos > bodyEnd) {
        // Only a bookmark from another text or a written CurPos puts the position outside the
        // body; nothing outside it is ever played, so reading resumes at the body start.
        RestartBody();
    }
    std::string taken =
        rhithm.substr(static_cast<std::size_t>(curPos - 1), static_cast<std::size_t>(n));
    if (curPos > bodyEnd - n) {
        RestartBody();
    } else {
        curPos += n;
        wrapped = false;
    }
    return taken;
}

void CTrackList::StepBack(int32_t n) {
    curPos -= n;
}

int32_t CTrackList::ReadNumber() {
    int32_t value = -1;
    for (int digits = 0; digits < 3; ++digits) {
        if (wrapped) {
            return value;
        }
        const std::string c = ReadChar(1);
        if (!IsDigit(c)) {
            StepBack(1);
            return value;
        }
        value = std::max(value, 0) * 10 + (c[0] - '0');
    }
    return value;
}

void CTrackList::StepForward() {
    curSound.clear();
    tempoChange = 0.0;
    endReach = false;
    if (!HasBody()) {
        return;
    }
    // An accepted text reaches a sound symbol or a rest within two runs over the body; the bound
    // only keeps a foreign bookmark or a written position from reading for ever. A step cut off
    // by it reports no symbol, which the engine treats like a rest.
    const int64_t maxReads = 4 * (int64_t{bodyEnd} - bodyStart + 1) + 16;
    for (int64_t reads = 0; reads < maxReads && curSound.empty(); ++reads) {
        const std::string c = ReadChar(1);
        if (!c.empty()) {
            Interpret(c[0]);
        }
    }
}

void CTrackList::Interpret(char c) {
    if (c == '(') {
        OpenGroup();
    } else if (c == ')') {
        CloseGroup();
    } else if (c >= '1' && c <= '9') {
        ReadDuration(c);
    } else if (c == '+' || c == '-') {
        ReadTempoStep(c);
    } else if (c == '/') {
        ReadInfo();
    } else if (IsStepSymbol(c)) {
        curSound.assign(1, c);
    }
}

void CTrackList::OpenGroup() {
    if (groupDepth >= MaxGroupDepth) {
        return; // the check refuses a ninth level; state from elsewhere must not index past it
    }
    ++groupDepth;
    const auto level = static_cast<std::size_t>(groupDepth);
    groupStart[level] = curPos;
    groupPass[level] = 1;
}

void CTrackList::CloseGroup() {
    int32_t count = ReadNumber();
    if (count == -1) {
        count = 2;
    }
    if (groupDepth < 1 || groupDepth > MaxGroupDepth) {
        return; // the check refuses a ")" that closes nothing
    }
    const auto level = static_cast<std::size_t>(groupDepth);
    int32_t& pass = groupPass[level];
    const bool repeat = pass < count || (count == 0 && !noInfinite);
    if (!repeat) {
        --groupDepth;
        return;
    }
    curPos = groupStart[level];
    if (pass < std::numeric_limits<int32_t>::max()) {
        ++pass; // an endless group only ever counts up
    }
}

void CTrackList::ReadDuration(char first) {
    if (wrapped) {
        return;
    }
    const std::string second = ReadChar(1);
    if (wrapped) {
        return;
    }
    if (IsDigit(second)) {
        curDuration = (first - '0') * 10 + (second[0] - '0');
    } else {
        curDuration = first - '0';
        StepBack(1);
    }
}

void CTrackList::ReadTempoStep(char sign) {
    int32_t amount = ReadNumber();
    if (amount == -1) {
        return;
    }
    if (sign == '-') {
        amount = -amount;
    }
    tempoChange = static_cast<double>(100 + amount) / 100.0;
}

// An information text that is never closed stops where the body restarts, so it cannot read for
// ever; it then stays the current information into the first step of the next pass.
void CTrackList::ReadInfo() {
    std::string text = "/";
    std::string c;
    do {
        c = ReadChar(1);
        text += c;
    } while (c != "/" && curPos != bodyStart);
    curInfo = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
}
