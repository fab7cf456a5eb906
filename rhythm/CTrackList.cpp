#include "CTrackList.h"

#include "RhythmFile.h"
#include "RhythmReader.h"
#include "RhythmSounds.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace {

using Kind = RhythmReader::Kind;

// Where the first symbol that makes a body worth playing stands (a rest alone does not), or npos.
std::size_t FirstSound(std::string_view body) {
    for (RhythmReader reader(body); !reader.AtEnd();) {
        const std::size_t here = reader.Index();
        const RhythmReader::Token token = reader.Next();
        if (token.kind == Kind::Step && RhythmSounds::SampleIndex({&token.symbol, 1}) >= 0) {
            return here;
        }
    }
    return std::string_view::npos;
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
        } else {
            const std::string_view body = std::string_view(checkText).substr(
                static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start + 1));
            // The end of the body is tested after each read, so the symbol that makes a body valid
            // must stand before its last character.
            const std::size_t sound = FirstSound(body);
            checkProblem = sound == std::string_view::npos || sound + 1 == body.size()
                               ? NoSoundProblem(body, sound)
                               : CursorCanPlay(body, start);
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

// The body holds only blanks, or its only sound, the first at sound, stands at its very end, or
// it has none.
std::string CTrackList::NoSoundProblem(std::string_view body, std::size_t sound) const {
    if (body.find_first_not_of(' ') == std::string_view::npos) {
        return EmptyBodyProblem();
    }
    if (sound != std::string_view::npos) {
        return "No sound before the last character: a blank after the last sound mends it.";
    }
    return "No sound before the last character: the body holds no x, X, #, ' or ^ outside a "
           "caption.";
}

// Reads the body as StepForward does and refuses what the cursor cannot play: a ")" with no open
// group, a ninth open group, a group still open where the body restarts (each pass would open one
// more), and a group without a sound symbol or rest, whose repeats would read for ever without
// reaching a step. Together with the sound symbol the check has found, this bounds every step to
// less than two runs over the body.
std::string CTrackList::CursorCanPlay(std::string_view body, int32_t start) {
    std::array<bool, MaxGroupDepth + 1> holdsStep{};
    std::array<std::size_t, MaxGroupDepth + 1> opensAt{};
    std::size_t depth = 0;
    // The character of the body at index, counted from 1 in the whole text.
    const auto at = [start](std::size_t index) {
        return " at character " + std::to_string(static_cast<std::size_t>(start) + index);
    };
    for (RhythmReader reader(body); !reader.AtEnd();) {
        const std::size_t here = reader.Index();
        const Kind kind = reader.Next().kind;
        if (kind == Kind::Open) {
            if (depth == MaxGroupDepth) {
                return "Groups nested too deep: the \"(\"" + at(here) + " opens a ninth one.";
            }
            holdsStep[++depth] = false;
            opensAt[depth] = here;
        } else if (kind == Kind::Close) {
            if (depth == 0) {
                return "Unbalanced groups: the \")\"" + at(here) + " closes no group.";
            }
            if (!holdsStep[depth]) {
                return "A group with no step: the group" + at(opensAt[depth]) +
                       " holds no x, X, #, ', ^ or \".\".";
            }
            holdsStep[--depth] = true;
        } else if (kind == Kind::Step) {
            holdsStep[depth] = true;
        }
    }
    if (depth != 0) {
        return "Unbalanced groups: the \"(\"" + at(opensAt[depth]) + " is not closed.";
    }
    return {};
}

// A group's steps count once per pass it is played.
int64_t CTrackList::StepsPerPass() const {
    if (!HasBody()) {
        return 0;
    }
    const auto add = [](int64_t a, int64_t b) { return std::min(MostSteps, a + b); };
    std::array<int64_t, MaxGroupDepth + 1> steps{};
    std::size_t depth = 0;
    for (RhythmReader reader(Body()); !reader.AtEnd();) {
        const RhythmReader::Token token = reader.Next();
        if (token.kind == Kind::Open && depth < MaxGroupDepth) {
            steps[++depth] = 0;
        } else if (token.kind == Kind::Close && depth > 0) {
            const int64_t group = steps[depth--];
            const int32_t count = token.number;
            const int64_t passes = count == -1                 ? 2
                                   : count == 0 && !noInfinite ? MostSteps
                                                               : std::max(count, 1);
            const int64_t played =
                group != 0 && passes > MostSteps / group ? MostSteps : group * passes;
            steps[depth] = add(steps[depth], played);
        } else if (token.kind == Kind::Step) {
            steps[depth] = add(steps[depth], 1);
        }
    }
    return steps[0];
}

// ---- cursor ----

bool CTrackList::HasBody() const {
    return bodyStart >= 1 && bodyStart <= bodyEnd &&
           static_cast<std::size_t>(bodyEnd) <= rhithm.size();
}

std::string_view CTrackList::Body() const {
    return std::string_view(rhithm).substr(static_cast<std::size_t>(bodyStart - 1),
                                           static_cast<std::size_t>(bodyEnd - bodyStart + 1));
}

void CTrackList::RestartBody() {
    curPos = bodyStart;
    curDuration = 4;
    curInfo.clear();
    wrapped = true;
    endReach = true;
}

void CTrackList::StepForward() {
    curSound.clear();
    tempoChange = 0.0;
    endReach = false;
    if (!HasBody()) {
        return;
    }
    if (curPos < bodyStart || curPos > bodyEnd) {
        // Only a bookmark from another text or a written CurPos puts the position outside the
        // body; nothing outside it is ever played, so reading resumes at the body start.
        RestartBody();
    }
    // An accepted text reaches a sound symbol or a rest within two runs over the body; the bound
    // on the items read only keeps a foreign bookmark or a written position from reading for ever.
    // A step cut off by it reports no symbol, which the engine treats like a rest.
    const int64_t maxReads = 4 * (int64_t{bodyEnd} - bodyStart + 1) + 16;
    RhythmReader reader(Body());
    for (int64_t reads = 0; reads < maxReads && curSound.empty(); ++reads) {
        reader.MoveTo(static_cast<std::size_t>(curPos - bodyStart));
        const RhythmReader::Token token = reader.Next();
        curPos = bodyStart + static_cast<int32_t>(reader.Index());
        wrapped = false;
        if (reader.AtEnd()) {
            RestartBody();
        }
        Interpret(token);
    }
}

void CTrackList::Interpret(const RhythmReader::Token& token) {
    switch (token.kind) {
    case Kind::Open:
        OpenGroup();
        break;
    case Kind::Close:
        CloseGroup(token.number == -1 ? 2 : token.number);
        break;
    case Kind::Duration:
        curDuration = token.number;
        break;
    case Kind::TempoStep:
        if (token.number != -1) {
            const int32_t amount = token.symbol == '-' ? -token.number : token.number;
            tempoChange = static_cast<double>(100 + amount) / 100.0;
        }
        break;
    case Kind::Caption:
        ReadInfo(token.text);
        break;
    case Kind::Step:
        curSound.assign(1, token.symbol);
        break;
    case Kind::Other:
        break;
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

void CTrackList::CloseGroup(int32_t count) {
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

// An information text that is never closed stops where the body restarts, so it cannot read for
// ever; it then stays the current information into the first step of the next pass. Its last
// character, read as the body restarted, is dropped as a closing "/" would be.
void CTrackList::ReadInfo(std::string_view text) {
    if (wrapped && !text.empty()) {
        text.remove_suffix(1);
    }
    curInfo.assign(text);
}
