#include "CClock.h"

#include "Rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace {

// The face has always been drawn with this value of pi; the hands' rounded end points depend on it.
constexpr double Pi = 3.1416;
constexpr double Centre = 30;
constexpr int32_t FaceSize = 60;
constexpr int32_t MinuteTicks = 60000;

constexpr Colour Black{0, 0, 0};
constexpr Colour Red{255, 0, 0};
constexpr Colour Blue{0, 0, 255};

int32_t RoundedSeconds(int32_t milliseconds) {
    return RoundToInt32(milliseconds / 1000.0);
}

int32_t ShiftTick(int32_t tick, int32_t milliseconds) {
    return static_cast<int32_t>(static_cast<uint32_t>(tick) + static_cast<uint32_t>(milliseconds));
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// A total beyond 68 years of practice stays at the largest storable value instead of wrapping.
std::string FormatTotal(int64_t sum) {
    const int64_t limited = std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max());
    return std::to_string(limited);
}

} // namespace

// The stored total is normally a decimal integer; a value edited by hand or damaged that is no
// number at all, a negative one (the hand would turn backwards) or one beyond 32 bits is none.
std::optional<int32_t> CClock::ParseTotal(std::string_view text) {
    text = TrimBlanks(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = RoundHalfEven(value);
    if (rounded < 0 || rounded > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(rounded);
}

// A total that cannot be read counts as no practice time rather than stopping the clock; the
// first checkpoint then writes this clock's own total over it.
CClock::CClock(TickSource& ticks, SettingsStore& settings)
    : ticks(ticks)
    , settings(settings)
    , beginTick(ticks.GetTickCount()) {
    const std::optional<int32_t> stored = ParseTotal(settings.Read(Section, Key, "0"));
    totalTime = stored.value_or(0);
    replaceStored = !stored;
}

CClock::~CClock() {
    // Release must never throw out of a destructor; a store that cannot write has already lost.
    try {
        StoreProgress();
    } catch (...) {
    }
}

void CClock::Container(Surface& vData) {
    container = &vData;
    container->Resize(FaceSize, FaceSize);
}

int32_t CClock::TotalTime() const {
    return totalTime;
}

int32_t CClock::TimeFromBegin() const {
    return RoundedSeconds(TicksBetween(beginTick, ticks.GetTickCount()));
}

bool CClock::Freeze() const {
    return frozen;
}

void CClock::Freeze(bool vData) {
    // Freezing twice would move the freeze moment and count the first frozen stretch; resuming a
    // running clock would shift the run by a stale freeze moment. Either is a no-op.
    if (vData != frozen) {
        const int32_t now = ticks.GetTickCount();
        if (vData) {
            freezeTick = now;
        } else {
            beginTick = ShiftTick(beginTick, TicksBetween(freezeTick, now));
        }
        frozen = vData;
    }
    Paint();
}

void CClock::Paint() {
    if (container == nullptr) {
        return;
    }
    Surface& face = *container;
    face.Clear();
    const int32_t run = RunSeconds();
    const double runAngle = run / 3600.0 * Pi * 2;
    const double totalAngle = (static_cast<double>(totalTime) + run) / 3600 / 6 * Pi;
    DrawHand(face, runAngle, 20, 2, Black);
    DrawHand(face, totalAngle, 25, 1, Red);
    // Twelve hour marks over the hands; the bound 6.2 stops the loop before a thirteenth on top of
    // the first.
    for (double c = 0; c <= 6.2; c += Pi / 6) {
        face.Line(Centre + 23 * std::sin(c), Centre + 23 * std::cos(c), Centre + 30 * std::sin(c),
                  Centre + 30 * std::cos(c), 1, Black);
    }
    if (frozen) {
        face.Line(0, 0, FaceSize, FaceSize, 3, Blue);
    }
}

CClock::Cleared CClock::ResetTime() {
    const Cleared cleared{totalTime, frozen ? TicksBetween(beginTick, freezeTick)
                                            : TicksBetween(beginTick, ticks.GetTickCount())};
    totalTime = 0;
    beginTick = ticks.GetTickCount();
    storedRun = 0;
    replaceStored = true;
    // A clock reset while frozen starts its new run frozen at zero; keeping the old freeze moment
    // would count the time since it as a negative run.
    freezeTick = beginTick;
    Paint();
    return cleared;
}

void CClock::UndoReset(const Cleared& cleared) {
    totalTime = cleared.TotalTime;
    beginTick = ShiftTick(beginTick, -cleared.RunMilliseconds);
    // As after the reset itself, the next checkpoint stores the whole total, not an increment.
    replaceStored = true;
    Paint();
}

void CClock::TimePlus() {
    beginTick = ShiftTick(beginTick, -MinuteTicks);
    Paint();
}

void CClock::TimeMinus() {
    beginTick = ShiftTick(beginTick, MinuteTicks);
    Paint();
}

void CClock::StoreProgress() {
    const int32_t run = RunSeconds();
    const int64_t own = static_cast<int64_t>(totalTime) + run;
    if (replaceStored) {
        settings.Write(Section, Key, FormatTotal(own));
        replaceStored = false;
    } else {
        // Another run of the program may have added its own practice since: what this one counted
        // since its last checkpoint goes on top of the total as it is stored now.
        const int64_t counted = static_cast<int64_t>(run) - storedRun;
        settings.Update(Section, Key, "0", [counted, own](std::string_view stored) {
            const std::optional<int32_t> total = ParseTotal(stored);
            return FormatTotal(total ? *total + counted : own);
        });
    }
    storedRun = run;
}

int32_t CClock::RunSeconds() const {
    if (frozen) {
        return RoundedSeconds(TicksBetween(beginTick, freezeTick));
    }
    return TimeFromBegin();
}

void CClock::DrawHand(Surface& face, double angle, double length, int32_t penWidth,
                      Colour colour) const {
    // Angles run clockwise from twelve o'clock; the end point lands on whole pixels.
    const int32_t x = RoundToInt32(Centre + length * std::sin(angle));
    const int32_t y = RoundToInt32(Centre - length * std::cos(angle));
    face.Line(Centre, Centre, x, y, penWidth, colour);
}
