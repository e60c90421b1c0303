#pragma once

#include "conversion/PopupChoice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// Maps the 14 phoneme names to position values ("\tX\t4.00668\t0").
// A tiny fixed table: lookup is a perfect hash over the packed token (see
// keyIndex), with no allocation and no string hashing, because it runs once
// per token of every data line.
class MappingTable {
public:
    using Values = std::array<std::string, phonemeKeys.size()>;

    // The position value for a token, or nothing when the token is not a key.
    // The view points into this table, so a temporary table may not be asked.
    std::optional<std::string_view> find(std::string_view token) const& {
        const int index = keyIndex(token);
        if (index < 0) {
            return std::nullopt;
        }
        return m_values[static_cast<std::size_t>(index)];
    }
    std::optional<std::string_view> find(std::string_view token) const&& = delete;

    // Index into phonemeKeys, or -1. Also accepts U+212A KELVIN SIGN, which is
    // canonically equivalent to "K" and the only non-ASCII text that equals a key.
    static int keyIndex(std::string_view token) noexcept;

    const Values& values() const noexcept { return m_values; }

    friend bool operator==(const MappingTable&, const MappingTable&) = default;

    // Every value is at most this long, which the converter relies on.
    static constexpr std::size_t maxValueSize = 16;

private:
    // Only buildMapping makes tables, so every value is a well-formed position value.
    explicit MappingTable(Values values) : m_values(std::move(values)) {}
    friend MappingTable buildMapping(int setIndex);

    Values m_values;
};

// An index into phonemeSets gives that set's table; any other index gives the
// default table, which holds the first set's values.
MappingTable buildMapping(int setIndex);

// The title of the set whose values an index gives.
std::string_view phonemeSetTitle(int setIndex);

namespace detail {

// Keys are at most four bytes, so a key packs into one integer with its
// length; a multiplicative hash then places the 14 keys and the KELVIN SIGN
// in 32 slots without collision (checked at compile time below). Lookup is a
// multiply, a load and a compare, with no branch on the token's length.
constexpr std::uint64_t keyHashMultiplier = 0x1027c4d1c386bbc5;
constexpr int keyHashBits = 5;

constexpr std::uint64_t packKey(std::string_view t) noexcept {
    std::uint64_t packed = static_cast<std::uint64_t>(t.size()) << 32;
    for (std::size_t i = 0; i < t.size(); ++i) {
        packed |= static_cast<std::uint64_t>(static_cast<unsigned char>(t[i])) << (8 * i);
    }
    return packed;
}

constexpr std::size_t keySlotOf(std::uint64_t packed) noexcept {
    return static_cast<std::size_t>((packed * keyHashMultiplier) >> (64 - keyHashBits));
}

struct KeySlot {
    std::uint64_t packed = 0; // 0 never matches: a packed key holds its non-zero length
    int index = -1;
};

constexpr std::array<KeySlot, std::size_t{1} << keyHashBits> makeKeySlots() {
    std::array<KeySlot, std::size_t{1} << keyHashBits> table{}; // not "slots": Qt defines that word
    const auto place = [&table](std::string_view key, int index) {
        KeySlot& slot = table[keySlotOf(packKey(key))];
        if (slot.index >= 0) {
            throw "two keys share a hash slot"; // fails constant evaluation
        }
        slot = {packKey(key), index};
    };
    for (std::size_t i = 0; i < phonemeKeys.size(); ++i) {
        place(phonemeKeys[i], static_cast<int>(i));
    }
    place("\xE2\x84\xAA", 13); // KELVIN SIGN, canonically equivalent to "K"
    return table;
}

inline constexpr auto keySlots = makeKeySlots();

} // namespace detail

inline int MappingTable::keyIndex(std::string_view token) noexcept {
    if (token.empty() || token.size() > 4) {
        return -1;
    }
    const std::uint64_t packed = detail::packKey(token);
    const detail::KeySlot& slot = detail::keySlots[detail::keySlotOf(packed)];
    return slot.packed == packed ? slot.index : -1;
}

} // namespace mouthkey
