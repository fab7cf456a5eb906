#include "TempoList.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

std::string Fixed(double value, int precision) {
    // Large enough for the longest finite double written without an exponent.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    return std::string(buffer.data(), result.ptr);
}

// The integer part as the list counts it: rounded down, so -0.5 counts as -1. A zero is never
// written with a sign.
double WholeTimes(double times) {
    return std::floor(times) + 0.0;
}

std::string TimesColumn(double times, const TempoList::Input& input) {
    if (input.Int) {
        return Fixed(WholeTimes(times), 0);
    }
    return TempoList::FormatTimes(times, input.decimalSeparator);
}

} // namespace

std::string TempoList::FormatTimes(double times, std::string_view decimalSeparator) {
    if (!std::isfinite(times)) {
        return Fixed(times, 2);
    }
    std::string digits = Fixed(std::fabs(times), 2);
    const std::size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string decimals = digits.substr(point + 1);
    while (!decimals.empty() && decimals.back() == '0') {
        decimals.pop_back();
    }
    if (whole == "0") {
        whole.clear();
    }
    const bool negative = times < 0 && !(whole.empty() && decimals.empty());
    return (negative ? "-" : "") + whole + std::string(decimalSeparator) + decimals;
}

std::string TempoList::Lines(const Input& input) {
    std::string list;
    if (input.Step < 1) {
        return list;
    }
    double total = 0;
    // 64 bits, so that neither the next i nor the tempo can overflow for any step or start.
    for (int64_t i = input.Step; i <= LastI; i += input.Step) {
        const double times =
            std::pow(static_cast<double>(i) * input.Coof1, input.Coof2) + input.Plus;
        total += WholeTimes(times);
        list += std::to_string(int64_t{input.StartTempo} + i);
        list += "    ";
        list += TimesColumn(times, input);
        if (input.Sum) {
            list += "     " + Fixed(total, 0);
        }
        list += "\r\n";
    }
    return list;
}
