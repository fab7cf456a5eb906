#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Random rhythm texts made of the notation's characters: well-formed ones with groups nested up
// to nine deep, noise, and either with a few characters inserted or deleted.
class TextGenerator {
public:
    explicit TextGenerator(uint32_t seed)
        : rng(seed) {}

    std::string Next() {
        std::string text = Pick(0, 2) == 0 ? Chars(Noise, Pick(1, 40)) : Structured(0);
        for (int mutations = Pick(0, 3) == 0 ? Pick(1, 3) : 0; mutations > 0; --mutations) {
            const auto at = static_cast<std::size_t>(Pick(0, static_cast<int>(text.size())));
            if (at < text.size() && Pick(0, 1) == 0) {
                text.erase(at, 1);
            } else {
                text.insert(at, Chars(Noise, 1));
            }
        }
        return text;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

private:
    static constexpr const char* Noise = "xX'.#^0123456789()+-/<> \tabZ\xc3\xa9\xff";

    std::string Any(const std::vector<std::string>& choices) {
        return choices[static_cast<std::size_t>(Pick(0, static_cast<int>(choices.size()) - 1))];
    }

    // `count` characters drawn from `from`.
    std::string Chars(const std::string& from, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += from[static_cast<std::size_t>(Pick(0, static_cast<int>(from.size()) - 1))];
        }
        return text;
    }

    // Groups nested up to nine deep, symbols, numbers, information texts and markers.
    std::string Structured(int depth) {
        std::string text;
        for (int items = Pick(1, depth == 0 ? 8 : 4); items > 0; --items) {
            if (Pick(0, 4) == 0 && depth < 9) {
                text += "(" + Structured(depth + 1) + ")";
            } else {
                text += Any({"x", "X", "'",      ".",     "#",  "^",   "x", ".", "x'", " ",
                             "+", "-", "/slow/", "/a)b/", "/(", "/x'", "<", ">", "q",  "\xc3\xa9"});
            }
            text += Chars("0123456789", Pick(0, 2) ? 0 : Pick(1, 5));
        }
        return text;
    }

    std::mt19937 rng;
};
