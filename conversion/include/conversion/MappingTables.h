#pragma once

#include "conversion/PopupChoice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// The 14 phoneme names every table maps, in table order.
inline constexpr std::array<std::string_view, 14> phonemeKeys{
    "AI", "E", "L", "FV", "MBP", "O", "U", "WQ", "etc", "rest", "TH", "CH", "D", "K",
};

// One phoneme set: its pop-up title and the X value of each key, in
// phonemeKeys order. A set is one row, so a title never lacks its values.
struct PhonemeSet {
    std::string_view title;
    std::array<std::string_view, phonemeKeys.size()> x;
};

// The phoneme sets in pop-up order.
// clang-format off
inline constexpr std::array<PhonemeSet, 5> phonemeSets{{
    //                             AI     E      L      FV     MBP    O      U      WQ     etc    rest   TH     CH     D      K
    {"Preston Blair",            {"-40", "-30", "-20", "-10", "0",   "10",  "20",  "30",  "40",  "-50", "-40", "-40", "-40", "-40"}},
    {"PowerHouse",               {"-20", "-40", "10",  "20",  "10",  "-10", "-30", "0",   "-40", "-50", "30",  "40",  "-40", "-40"}},
    {"Simplified Flash",         {"-30", "-20", "10",  "20",  "-40", "0",   "0",   "0",   "-10", "-50", "-10", "-10", "-10", "-10"}},
    {"Adobe Character Animator", {"-40", "-31", "5",   "-13", "14",  "23",  "41",  "41",  "-22", "-50", "-32", "-23", "-22", "-4"}},
    {"Full Set",                 {"-42", "-35", "-28", "-21", "-14", "-7",  "0",   "8",   "15",  "-50", "22",  "29",  "36",  "43"}},
}};
// clang-format on

// Titles of the phoneme-set pop-up, in index order.
inline constexpr std::array<std::string_view, phonemeSets.size()> phonemeSetTitles = [] {
    std::array<std::string_view, phonemeSets.size()> titles{};
    for (std::size_t i = 0; i < phonemeSets.size(); ++i) {
        titles[i] = phonemeSets[i].title;
    }
    return titles;
}();

// Letter mouth shapes as an automatic lip-sync tool writes them, and the
// phoneme each stands for on its chart. "D" and "E" are also phoneme names
// here, of other mouths: only a table built with letters reads them so.
struct LetterShape {
    std::string_view letter;
    std::string_view phoneme;
};
inline constexpr std::array<LetterShape, 9> letterShapes{{
    {"A", "MBP"},
    {"B", "etc"},
    {"C", "E"},
    {"D", "AI"},
    {"E", "O"},
    {"F", "U"},
    {"G", "FV"},
    {"H", "L"},
    {"X", "rest"},
}};

// How many names the lookup tells apart: the phoneme keys, and the letter
// mouth shapes that are not also keys.
inline constexpr std::size_t lookupNameCount = [] {
    std::size_t n = phonemeKeys.size();
    for (const LetterShape& shape : letterShapes) {
        bool isKey = false;
        for (const std::string_view key : phonemeKeys) {
            isKey = isKey || key == shape.letter;
        }
        n += isKey ? 0 : 1;
    }
    return n;
}();

// Every name the lookup tells apart: the phoneme keys, then the letter mouth
// shapes that are not also keys. A name's place here is its entry.
inline constexpr std::array<std::string_view, lookupNameCount> lookupNames = [] {
    std::array<std::string_view, lookupNameCount> names{};
    std::size_t n = 0;
    for (const std::string_view key : phonemeKeys) {
        names[n++] = key;
    }
    for (const LetterShape& shape : letterShapes) {
        bool isKey = false;
        for (const std::string_view key : phonemeKeys) {
            isKey = isKey || key == shape.letter;
        }
        if (!isKey) {
            names[n++] = shape.letter;
        }
    }
    return names;
}();

// The names a cue may be given, in the order a list offers them: with
// `letters`, the letter mouth shapes first, as a letter take names its
// mouths, then the phoneme keys not among them.
std::vector<std::string_view> cueNames(bool letters);

// For each entry, the phoneme key it is read as when letters are read by their chart.
inline constexpr std::array<int, lookupNames.size()> letterReadings = [] {
    std::array<int, lookupNames.size()> readings{};
    for (std::size_t i = 0; i < lookupNames.size(); ++i) {
        readings[i] = static_cast<int>(i);
        for (const LetterShape& shape : letterShapes) {
            if (shape.letter == lookupNames[i]) {
                for (std::size_t key = 0; key < phonemeKeys.size(); ++key) {
                    readings[i] =
                        phonemeKeys[key] == shape.phoneme ? static_cast<int>(key) : readings[i];
                }
            }
        }
    }
    return readings;
}();

// Maps the 14 phoneme names to position values ("\tX\t4.00668\t0"), and,
// in a table built with letters, the letter mouth shapes to their chart
// names' values as well.
// A tiny fixed table: lookup is a perfect hash over the packed token (see
// keyIndex), with no allocation and no string hashing, because it runs once
// per token of every data line.
class MappingTable {
public:
    using Values = std::array<std::string, phonemeKeys.size()>;

    // The position value for a token, or nothing when the token is not a key.
    // The view points into this table, so a temporary table may not be asked.
    std::optional<std::string_view> find(std::string_view token) const& {
        const int index = m_letters ? letterKeyIndex(token) : keyIndex(token);
        if (index < 0) {
            return std::nullopt;
        }
        return m_values[static_cast<std::size_t>(index)];
    }
    std::optional<std::string_view> find(std::string_view token) const&& = delete;

    // Index into phonemeKeys, or -1. Also accepts U+212A KELVIN SIGN, which is
    // canonically equivalent to "K" and the only non-ASCII text that equals a key.
    static int keyIndex(std::string_view token) noexcept;
    // Index into lookupNames, or -1.
    static int entryIndex(std::string_view token) noexcept;
    // The key a token is read as with letters read by their chart, or -1.
    static int letterKeyIndex(std::string_view token) noexcept {
        const int entry = entryIndex(token);
        return entry < 0 ? -1 : letterReadings[static_cast<std::size_t>(entry)];
    }

    // What the converter writes for an entry: its value, or, for a letter
    // the table does not read, the letter unchanged.
    std::string_view entryOutput(std::size_t entry) const {
        if (m_letters) {
            return m_values[static_cast<std::size_t>(letterReadings[entry])];
        }
        return entry < m_values.size() ? std::string_view(m_values[entry]) : lookupNames[entry];
    }

    const Values& values() const noexcept { return m_values; }
    bool letters() const noexcept { return m_letters; }

    friend bool operator==(const MappingTable&, const MappingTable&) = default;

    // Every value is at most this long, which the converter relies on.
    static constexpr std::size_t maxValueSize = 16;

private:
    // Only buildMapping makes tables, so every value is a well-formed position value.
    MappingTable(Values values, bool letters) : m_values(std::move(values)), m_letters(letters) {}
    friend MappingTable buildMapping(int setIndex, bool letters);

    Values m_values;
    bool m_letters;
};

// An index into phonemeSets gives that set's table; any other index gives the
// default table, which holds the first set's values. With `letters`, the
// letter mouth shapes are read by their chart (so "D" is "AI"), and the
// phoneme names stay as they are.
MappingTable buildMapping(int setIndex, bool letters = false);

// The chart as words: "A as MBP, B as etc, ..., X as rest".
std::string letterChartText();

// The title of the set whose values an index gives.
std::string_view phonemeSetTitle(int setIndex);

} // namespace mouthkey
