#pragma once

#include "RhythmFile.h"
#include "RhythmReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The rhythm cursor: holds one rhythm text and walks it one step at a time, interpreting the
// notation item by item on every step. Positions are 1-based character positions in
// Rhithm(). A property has a read and a write operation of one name.
class CTrackList {
public:
    int32_t CurPos() const { return curPos; }
    void CurPos(int32_t vData) { curPos = vData; }
    int32_t CurDuration() const { return curDuration; }
    const std::string& CurSound() const { return curSound; }
    const std::string& CurInfo() const { return curInfo; }
    double TempoChange() const { return tempoChange; }

    // Checks the text; an accepted text is stored with two blanks closing its loop body and the
    // cursor restarts at the body start. A rejected text changes nothing but LastCheck.
    void Rhithm(std::string_view vData);
    const std::string& Rhithm() const { return rhithm; }
    int32_t LastCheck() const { return lastCheck; }
    // What the last check found wrong with its text, in one line for the player (unbalanced groups,
    // no sound before the last character, an empty body, a group with no step), with the place
    // where it lies; empty when the text was accepted.
    const std::string& CheckProblem() const { return checkProblem; }

    bool EndReach() const { return endReach; }
    void NoInfinite(bool vData) { noInfinite = vData; }
    bool NoInfinite() const { return noInfinite; }

    // Loads the first field of a rhythm file. A file that cannot be read, or holds no field,
    // leaves the rhythm unchanged and LastCheck 0; error, if given, then receives the reason. A
    // text that fails the check is no read error: error is left alone.
    void ReadFromFile(const std::string& FileName, RhythmFile::Error* error = nullptr);
    void StepForward();
    void OnStart();
    void LastRhitmFromFile();
    void Push();
    void Pop();

    // The number of steps in one pass of the body, as StepForward would report them before
    // EndReach, counted from the text's groups and repeat counts without walking them (a few
    // nested groups can hold more steps than any walk could get through). Groups closed with
    // ")0" count once when NoInfinite is set and as MostSteps otherwise; a larger count is
    // MostSteps as well.
    int64_t StepsPerPass() const;
    static constexpr int64_t MostSteps = int64_t{1} << 62;

    // The stored text of the last rhythm file that was accepted; empty until then.
    const std::string& FileRhithm() const { return fileRhithm; }

    static constexpr int MaxGroupDepth = 8;

    // Longer texts are refused so that every position fits a 32-bit integer with room to spare.
    static constexpr std::size_t MaxTextLength = std::size_t{1} << 24;

private:
    using Levels = std::array<int32_t, MaxGroupDepth + 1>;

    void CheckRhithm(std::string_view text);
    std::string ReadCheckChar(int32_t n);
    bool FindBody(int32_t& start, int32_t& end);
    bool Balanced(int32_t start, int32_t end) const;
    // Empty when the cursor can play the body, which begins at character start; else the problem.
    static std::string CursorCanPlay(std::string_view body, int32_t start);
    std::string EmptyBodyProblem() const;
    std::string UnbalancedProblem(int32_t start, int32_t end) const;
    std::string NoSoundProblem(std::string_view body, std::size_t sound) const;

    bool HasBody() const;
    std::string_view Body() const;
    void RestartBody();
    void Interpret(const RhythmReader::Token& token);
    void OpenGroup();
    void CloseGroup(int32_t count);
    void ReadInfo(std::string_view text);

    std::string checkChar;
    int32_t checkPos = 0;
    std::string rhithm;
    std::string checkText;
    std::string fileRhithm;
    Levels groupStart{};
    Levels groupPass{};
    int32_t groupDepth = 0;
    int32_t bodyStart = 0;
    int32_t bodyEnd = 0;
    // The last item read ran to the end of the body, which restarted it.
    bool wrapped = false;
    int32_t lastCheck = 0;
    std::string checkProblem;
    int32_t savedPos = 0;
    int32_t savedDuration = 0;
    std::string savedInfo;
    Levels savedPass{};
    int32_t savedDepth = 0;
    // GroupStart belongs to the bookmark too: a look-ahead that leaves a group and enters a
    // sibling at the same level overwrites its entry, and the real step would then repeat the
    // wrong group.
    Levels savedStart{};
    int32_t curDuration = 0;
    std::string curSound;
    int32_t curPos = 0;
    std::string curInfo;
    double tempoChange = 0.0;
    bool endReach = false;
    bool noInfinite = false;
};
