#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The practice plan of the tempo list calculator: for i = Step, 2 × Step, … up to 200 one line
// with the tempo StartTempo + i and how many times to play it, Times = (i × Coof1)^Coof2 + Plus,
// optionally with the running total of the whole times.
class TempoList {
public:
    struct Input {
        int32_t StartTempo = 100;
        int32_t Step = 2;
        double Coof1 = 0.1;
        double Coof2 = 2;
        int32_t Plus = 1;
        // Times as its integer part, or with up to two decimals.
        bool Int = true;
        // A running total of the integer parts after each line.
        bool Sum = false;
        // What separates the decimals in the user's number format.
        std::string decimalSeparator = ".";
    };

    // The lines, each ended by CR LF: the tempo, four blanks, the times and, with Sum, five blanks
    // and the total. A step below 1 gives no lines; a step that does not divide 200 ends with the
    // last i below 200.
    static std::string Lines(const Input& input);

    // Times in the pattern "####.##": no leading zeros, at most two decimals, trailing zeros
    // dropped and the separator always written (2 gives "2.", 0.5 gives ".5").
    static std::string FormatTimes(double times, std::string_view decimalSeparator);

    static constexpr int32_t LastI = 200;
};
