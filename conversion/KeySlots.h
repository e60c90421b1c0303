#pragma once

// The perfect hash behind MappingTable::keyIndex and entryIndex, for the
// scanners that look tokens up with padding of their own. Private to the
// conversion library.
#include "conversion/MappingTables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mouthkey::keys {

// Keys are at most four bytes, so a key packs into one integer with its
// length; a multiplicative hash then places the names of lookupNames and the
// KELVIN SIGN in 32 slots without collision (checked at compile time below).
// Lookup is a multiply, a load and a compare, with no branch on the token's length.
constexpr std::uint64_t keyHashMultiplier = 0x43cbd775139e3855;
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
    int index = -1;           // into phonemeKeys; -1 for a letter that is no key
    int entry = -1;           // into lookupNames
};

constexpr std::array<KeySlot, std::size_t{1} << keyHashBits> makeKeySlots() {
    std::array<KeySlot, std::size_t{1} << keyHashBits> table{}; // not "slots": Qt defines that word
    const auto place = [&table](std::string_view key, int entry) {
        KeySlot& slot = table[keySlotOf(packKey(key))];
        if (slot.entry >= 0) {
            throw "two keys share a hash slot"; // fails constant evaluation
        }
        const int index = entry < static_cast<int>(phonemeKeys.size()) ? entry : -1;
        slot = {packKey(key), index, entry};
    };
    for (std::size_t i = 0; i < lookupNames.size(); ++i) {
        place(lookupNames[i], static_cast<int>(i));
    }
    place("\xE2\x84\xAA", 13); // KELVIN SIGN, canonically equivalent to "K"
    return table;
}

inline constexpr auto keySlots = makeKeySlots();

// A field of the slot a packed token falls in, or -1 when the slot holds another name.
template <int KeySlot::*field> int slotFieldOf(std::uint64_t packed) noexcept {
    const KeySlot& slot = keySlots[keySlotOf(packed)];
    return slot.packed == packed ? slot.*field : -1;
}

template <int KeySlot::*field> int slotFieldOf(std::string_view token) noexcept {
    if (token.empty() || token.size() > 4) {
        return -1;
    }
    return slotFieldOf<field>(packKey(token));
}

// The letter mouth shape a name is, as an index into letterShapes, or -1.
constexpr int letterShapeOf(std::string_view name) {
    for (std::size_t i = 0; i < letterShapes.size(); ++i) {
        if (letterShapes[i].letter == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace mouthkey::keys
