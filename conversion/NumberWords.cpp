// Numbers as a speaker reads them aloud, for the words of a script.
#include "ScriptNumbers.h"
#include "conversion/ScriptWords.h"

#include <array>

namespace mouthkey {

namespace {

constexpr std::array<std::string_view, 20> small{
    "zero",     "one",     "two",     "three",     "four",     "five",     "six",
    "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",   "thirteen",
    "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen",
};
constexpr std::array<std::string_view, 10> tens{
    "", "", "twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety",
};
constexpr std::array<std::string_view, 7> scales{
    "", "thousand", "million", "billion", "trillion", "quadrillion", "quintillion",
};

// Below a thousand.
void hundreds(unsigned number, std::vector<std::string>& words) {
    if (number >= 100) {
        words.emplace_back(small[number / 100]);
        words.emplace_back("hundred");
        number %= 100;
        if (number == 0) {
            return;
        }
    }
    if (number < 20) {
        words.emplace_back(small[number]);
        return;
    }
    words.emplace_back(tens[number / 10]);
    if (number % 10 != 0) {
        words.emplace_back(small[number % 10]);
    }
}

void cardinal(unsigned long long number, std::size_t scale, std::vector<std::string>& words) {
    if (number >= 1000) {
        cardinal(number / 1000, scale + 1, words);
    }
    const auto part = static_cast<unsigned>(number % 1000);
    if (part != 0 || (number < 1000 && scale == 0 && words.empty())) {
        hundreds(part, words);
        if (scale > 0) {
            words.emplace_back(scales[scale]);
        }
    }
}

} // namespace

std::vector<std::string> numberWords(unsigned long long number) {
    std::vector<std::string> words;
    cardinal(number, 0, words);
    return words;
}

std::vector<std::string> yearWords(unsigned number) {
    std::vector<std::string> words;
    const unsigned high = number / 100;
    const unsigned low = number % 100;
    hundreds(high, words);
    if (low == 0) {
        words.emplace_back("hundred");
    } else {
        if (low < 10) {
            words.emplace_back("oh");
        }
        hundreds(low, words);
    }
    return words;
}

std::vector<std::string> digitWords(std::string_view digits) {
    std::vector<std::string> words;
    for (const char c : digits) {
        if (c >= '0' && c <= '9') {
            words.emplace_back(small[static_cast<std::size_t>(c - '0')]);
        }
    }
    return words;
}

void makeOrdinal(std::string& word) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> irregular{{
        {"one", "first"},
        {"two", "second"},
        {"three", "third"},
        {"five", "fifth"},
        {"eight", "eighth"},
        {"nine", "ninth"},
    }};
    for (const auto& [plain, ordinal] : irregular) {
        if (word == plain) {
            word = ordinal;
            return;
        }
    }
    if (word == "twelve") {
        word = "twelfth";
    } else if (!word.empty() && word.back() == 'y') {
        word.replace(word.size() - 1, 1, "ieth");
    } else {
        word += "th";
    }
}

void makePlural(std::string& word) {
    if (!word.empty() && word.back() == 'y') {
        word.replace(word.size() - 1, 1, "ies");
    } else if (!word.empty() && word.back() == 'x') {
        word += "es";
    } else {
        word += 's';
    }
}

} // namespace mouthkey
