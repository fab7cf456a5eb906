#pragma once

#include <string>

// Where the rhythm in effect came from, as the journal notes it: its kind ("default", "preset",
// "slot", "file", "typed") and what names it within the kind (the preset's key, the slot's letter,
// the file's name).
struct RhythmSource {
    std::string Kind = "default";
    std::string Name;

    static RhythmSource Default() { return {"default", ""}; }
    static RhythmSource Preset(std::string key) { return {"preset", std::move(key)}; }
    static RhythmSource Slot(std::string letter) { return {"slot", std::move(letter)}; }
    static RhythmSource File(std::string fileName) { return {"file", std::move(fileName)}; }
    static RhythmSource Typed() { return {"typed", ""}; }

    // "preset Z", "file scales.rtm", "typed".
    std::string Text() const { return Name.empty() ? Kind : Kind + " " + Name; }

    bool operator==(const RhythmSource&) const = default;
};
