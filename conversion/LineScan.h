#pragma once

// How the core finds lines and tokens: the separator rules and the block-wise
// event scan. Shared by the converter and the timing reader, so that both cut
// a text the same way. Private to the conversion library.
#include "conversion/MappingTables.h"

#include "KeySlots.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// SSE2 wherever it exists, as on every x86-64, unless the portable path is
// asked for. Everywhere else, words of eight bytes.
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(MOUTHKEY_NO_SIMD)
#define MOUTHKEY_SCAN_SSE2 1
#include <emmintrin.h>
#endif

// Keeps a rare path out of a loop that runs once a line, and puts the
// common one into it.
#if defined(__GNUC__)
#define MOUTHKEY_COLD [[gnu::cold, gnu::noinline]]
#define MOUTHKEY_INLINE [[gnu::always_inline]] inline
#else
#define MOUTHKEY_COLD
#define MOUTHKEY_INLINE inline
#endif

namespace mouthkey::scan {

// Which line separator a byte may start; most bytes start none.
enum ByteKind : unsigned char {
    Plain,
    Break, // LF, VT, FF, CR
    Lead2, // 0xC2: NEL is C2 85
    Lead3, // 0xE2: LINE SEPARATOR is E2 80 A8, PARAGRAPH SEPARATOR E2 80 A9
};

constexpr std::array<ByteKind, 256> makeKinds() {
    std::array<ByteKind, 256> kinds{};
    for (unsigned char c : {'\n', '\v', '\f', '\r'}) {
        kinds[c] = Break;
    }
    kinds[0xC2] = Lead2;
    kinds[0xE2] = Lead3;
    return kinds;
}

constexpr std::array<ByteKind, 256> byteKinds = makeKinds();

using Byte = unsigned char;

// Length of the line separator starting at p, or 0.
inline std::size_t separatorAt(const Byte* p, const Byte* end) {
    switch (byteKinds[*p]) {
    case Break:
        return 1;
    case Lead2:
        return (end - p >= 2 && p[1] == 0x85) ? 2 : 0;
    case Lead3:
        return (end - p >= 3 && p[1] == 0x80 && (p[2] == 0xA8 || p[2] == 0xA9)) ? 3 : 0;
    default:
        return 0;
    }
}

using Word = std::uint64_t;
constexpr Word ones = 0x0101010101010101;
constexpr Word highs = 0x8080808080808080;
constexpr Word lows = 0x7F7F7F7F7F7F7F7F;

// Bytes as an integer whose lowest byte is the first, on any machine: all
// the bit logic on words, here and in the checks, counts bytes from the low
// end. A plain load on little-endian; compilers make the loop one
// byte-reversed load elsewhere.
template <class Int> inline Int loadLowFirst(const Byte* p) {
    Int x;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&x, p, sizeof x);
    } else {
        x = 0;
        for (std::size_t i = sizeof x; i-- > 0;) {
            x = static_cast<Int>((x << 8) | p[i]);
        }
    }
    return x;
}

inline Word loadWord(const Byte* p) {
    return loadLowFirst<Word>(p);
}

// Stores a word's eight bytes at p, its lowest byte first, as loadWord reads them.
inline void storeWord(char* p, Word x) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &x, sizeof x);
    } else {
        for (std::size_t i = 0; i < sizeof x; ++i, x >>= 8) {
            p[i] = static_cast<char>(x & 0xFF);
        }
    }
}

// High bit of each byte that is below n (n <= 0x80). Exact per byte: the
// addition stays within each byte's seven low bits.
constexpr Word bytesBelow(Word x, unsigned n) {
    return ~(((x & lows) + ones * (0x80 - n)) | x) & highs;
}

constexpr Word bytesEqual(Word x, unsigned char c) {
    return bytesBelow(x ^ (ones * c), 1);
}

// Marks the bytes that can end a token or a line: space, LF VT FF CR, and the
// lead bytes of NEL, LINE SEPARATOR and PARAGRAPH SEPARATOR.
constexpr Word eventBytes(Word x) {
    return bytesEqual(x, ' ') | (bytesBelow(x, '\r' + 1) & ~bytesBelow(x, '\n')) |
           bytesEqual(x, 0xC2) | bytesEqual(x, 0xE2);
}

constexpr std::size_t blockSize = 64;

// The bits of a 64-byte block's mask that the i-th step of its scan finds:
// a compare's result over sixteen bytes where SSE2 exists, else the high
// bits of eight bytes of a word.
#ifdef MOUTHKEY_SCAN_SSE2
inline std::uint64_t blockBits(__m128i marks, int i) {
    return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(marks)))
           << (16 * i);
}
#else
constexpr std::uint64_t blockBits(Word marks, int i) {
    // Gather the eight high bits into one byte.
    return (((marks >> 7) * 0x0102040810204080) >> 56) << (8 * i);
}
#endif

// One bit per byte of a 64-byte block, set where eventBytes marks the byte.
// Finding the events of a whole block at once, and then walking only them,
// keeps short tokens of varying length from costing a mispredicted branch
// each. SSE2 does sixteen bytes a step where it exists; words of eight
// bytes everywhere else.
inline std::uint64_t eventMask(const Byte* p) {
#ifdef MOUTHKEY_SCAN_SSE2
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i fromLf = _mm_sub_epi8(v, _mm_set1_epi8('\n'));
        const __m128i lineBreak = _mm_cmpeq_epi8(_mm_min_epu8(fromLf, _mm_set1_epi8(3)), fromLf);
        const __m128i events =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), lineBreak),
                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xC2))),
                                      _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xE2)))));
        mask |= blockBits(events, i);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 8; ++i) {
        mask |= blockBits(eventBytes(loadWord(p + 8 * i)), i);
    }
    return mask;
#endif
}

// keyIndex (or, for KeySlot::entry, entryIndex) for a token that has at
// least four readable bytes from its start. The key packs as
// MappingTable::keyIndex packs it, first byte lowest.
template <int keys::KeySlot::*field = &keys::KeySlot::index>
inline int keyIndexPadded(const Byte* token, std::size_t size) {
    const auto head = loadLowFirst<std::uint32_t>(token) &
                      static_cast<std::uint32_t>((std::uint64_t{1} << (8 * size)) - 1);
    const std::uint64_t packed = head | (static_cast<std::uint64_t>(size) << 32);
    return keys::slotFieldOf<field>(packed);
}

inline const Byte* bytes(std::string_view s) {
    return reinterpret_cast<const Byte*>(s.data());
}

// Offset just past the first complete separator, or npos.
inline std::size_t firstSeparatorEnd(std::string_view s) {
    const Byte* begin = bytes(s);
    const Byte* end = begin + s.size();
    for (const Byte* p = begin; p < end; ++p) {
        if (const std::size_t n = separatorAt(p, end)) {
            return static_cast<std::size_t>(p - begin) + n;
        }
    }
    return std::string_view::npos;
}

// Offset just past the last complete separator, or 0.
inline std::size_t lastSeparatorEnd(std::string_view s) {
    const Byte* b = bytes(s);
    for (std::size_t i = s.size(); i-- > 0;) {
        const Byte c = b[i];
        if (byteKinds[c] == Break) {
            return i + 1;
        }
        if (c == 0x85 && i >= 1 && b[i - 1] == 0xC2) {
            return i + 1;
        }
        if ((c == 0xA8 || c == 0xA9) && i >= 2 && b[i - 1] == 0x80 && b[i - 2] == 0xE2) {
            return i + 1;
        }
    }
    return 0;
}

// Hands `lines` the text of a chunk that ends at a line end, and holds the
// rest back in `carry` until the line is complete. A separator split across
// chunks is whole again once both halves sit in the carry.
template <class Lines>
void feedWholeLines(std::string& carry, std::string_view chunk, Lines&& lines) {
    if (chunk.empty()) {
        return;
    }
    if (!carry.empty()) {
        const std::size_t first = firstSeparatorEnd(chunk);
        if (first == std::string_view::npos) {
            carry.append(chunk);
            return;
        }
        carry.append(chunk.substr(0, first));
        lines(std::string_view(carry));
        carry.clear();
        chunk.remove_prefix(first);
    }
    const std::size_t last = lastSeparatorEnd(chunk);
    lines(chunk.substr(0, last));
    carry.assign(chunk.substr(last));
}

// Calls `events(blockStart, mask)` for each 64-byte block of [begin, end),
// the last one padded.
template <class Events> void forEachBlock(const Byte* begin, const Byte* end, Events&& events) {
    const Byte* p = begin;
    for (; static_cast<std::size_t>(end - p) >= blockSize; p += blockSize) {
        events(p, eventMask(p));
    }
    if (p < end) {
        Byte tail[blockSize] = {}; // NUL padding marks no events
        std::memcpy(tail, p, static_cast<std::size_t>(end - p));
        events(p, eventMask(tail));
    }
}

// Where 64 bytes are spaces, LFs, CRs, anything but a printable ASCII
// character, and decimal digits: one bit per byte, the first byte lowest.
struct ByteMasks {
    std::uint64_t space = 0, lf = 0, cr = 0, special = 0, digit = 0;
};

inline ByteMasks masksOf(const Byte* p) {
    ByteMasks m;
#ifdef MOUTHKEY_SCAN_SSE2
    const auto byte = [](char c) {
        return _mm_set1_epi8(c);
    };
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        // Signed compares: the bytes from 0x80 up are below 0x21.
        const __m128i printable =
            _mm_and_si128(_mm_cmpgt_epi8(v, byte(0x20)), _mm_cmplt_epi8(v, byte(0x7F)));
        m.space |= blockBits(_mm_cmpeq_epi8(v, byte(' ')), i);
        m.lf |= blockBits(_mm_cmpeq_epi8(v, byte('\n')), i);
        m.cr |= blockBits(_mm_cmpeq_epi8(v, byte('\r')), i);
        m.special |= blockBits(_mm_xor_si128(printable, _mm_set1_epi8(-1)), i);
        m.digit |= blockBits(
            _mm_and_si128(_mm_cmpgt_epi8(v, byte('0' - 1)), _mm_cmplt_epi8(v, byte('9' + 1))), i);
    }
#else
    for (int i = 0; i < 8; ++i) {
        const Word x = loadWord(p + 8 * i);
        m.space |= blockBits(bytesEqual(x, ' '), i);
        m.lf |= blockBits(bytesEqual(x, '\n'), i);
        m.cr |= blockBits(bytesEqual(x, '\r'), i);
        m.special |= blockBits(bytesBelow(x, 0x21) | (highs & ~bytesBelow(x, 0x7F)), i);
        m.digit |= blockBits(bytesBelow(x, '9' + 1) & ~bytesBelow(x, '0'), i);
    }
#endif
    return m;
}

// Bit i set where an odd number of bits of x are set at or below i.
constexpr std::uint64_t prefixParity(std::uint64_t x) {
    for (unsigned shift = 1; shift < 64; shift *= 2) {
        x ^= x << shift;
    }
    return x;
}

} // namespace mouthkey::scan
