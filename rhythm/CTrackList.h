#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The rhythm cursor: holds one rhythm text and walks it one step at a time, interpreting the
// notation character by character on every step. Positions are 1-based character positions in
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

    bool EndReach() const { return endReach; }
    void NoInfinite(bool vData) { noInfinite = vData; }
    bool NoInfinite() const { return noInfinite; }

    // Loads the first field of a rhythm file. A file that cannot be read, or holds no field,
    // leaves the rhythm unchanged and LastCheck 0.
    void ReadFromFile(const std::string& FileName);
    void StepForward();
    void OnStart();
    void LastRhitmFromFile();
    void Push();
    void Pop();

    static constexpr int MaxGroupDepth = 8;

private:
    // (private members: see the implementation)
};
