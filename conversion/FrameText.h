#pragma once

// Frames written out in decimal, as a key's line needs them by the million.
// Private to the conversion library.
#include "LineScan.h"

#include <bit>
#include <charconv>
#include <cstdint>

namespace mouthkey {

// Writes a number below 100 000 000 in decimal at `at`, in a store of eight
// bytes, and returns the end of its digits. Its eight digits are split out in
// one word, halves, quarters and then bytes, each step a multiply in every
// lane at once.
MOUTHKEY_INLINE char* eightDigitsAt(char* at, std::uint64_t number) {
    // Lanes of 32 bits: the first four digits, then the last four.
    scan::Word v = number / 10000 | (number % 10000) << 32;
    // Lanes of 16: hundreds, then the rest; (n * 5243) >> 19 is n / 100 below 10 000.
    const scan::Word hundreds = ((v * 5243) >> 19) & 0x0000007F0000007F;
    v = hundreds | (v - hundreds * 100) << 16;
    // Lanes of 8: tens, then ones; (n * 103) >> 10 is n / 10 below 100.
    const scan::Word tens = ((v * 103) >> 10) & 0x000F000F000F000F;
    v = tens | (v - tens * 10) << 8;
    // The leading zeros go, but one digit stays.
    const int zeros = v == 0 ? 7 : std::countr_zero(v) / 8;
    scan::storeWord(at, (v + scan::ones * '0') >> (8 * zeros));
    return at + 8 - zeros;
}

// A frame in decimal at `at`; returns the end of its digits.
MOUTHKEY_INLINE char* frameAt(char* at, std::uint64_t frame) {
    return frame < 100'000'000 ? eightDigitsAt(at, frame) : std::to_chars(at, at + 20, frame).ptr;
}

} // namespace mouthkey
