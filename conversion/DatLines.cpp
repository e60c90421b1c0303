#include "DatLines.h"

#include <algorithm>

namespace mouthkey::datlines {

namespace {

// Whether a line ends at p otherwise than at LF or CR LF.
bool endsLineOtherwiseAt(const scan::Byte* p, const scan::Byte* end) {
    const scan::Byte c = *p;
    return c == 0x0B || c == 0x0C || (c == 0x0D && (p + 1 == end || p[1] != '\n')) ||
           (c == 0xC2 && p + 1 < end && p[1] == 0x85) ||
           (c == 0xE2 && p + 2 < end && p[1] == 0x80 && (p[2] == 0xA8 || p[2] == 0xA9));
}

} // namespace

bool endsLinesOtherwise(std::string_view text) {
    const auto* p = reinterpret_cast<const scan::Byte*>(text.data());
    const auto* const end = p + text.size();
    // Sixty-four or eight bytes at a time past those with none of VT, FF, a
    // CR (but for CR LF, with SSE2) or a byte from 0x80 up: almost all of a text.
#ifdef MOUTHKEY_SCAN_SSE2
    // VT, FF, a CR before anything but LF, and the bytes from 0x80 up (by
    // the sign mask), so that CR LF texts pass as quickly as LF ones. Four
    // vectors a step, with one mask for all four.
    const auto marks = [](const scan::Byte* at) {
        const auto load = [](const scan::Byte* from) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        };
        const __m128i v = load(at);
        const __m128i feeds = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x0B)),
                                           _mm_cmpeq_epi8(v, _mm_set1_epi8(0x0C)));
        const __m128i loneCr = _mm_andnot_si128(_mm_cmpeq_epi8(load(at + 1), _mm_set1_epi8('\n')),
                                                _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
        return _mm_or_si128(_mm_or_si128(feeds, loneCr), v);
    };
    while (end - p > 64) { // a byte past the block is read
        const __m128i any = _mm_or_si128(_mm_or_si128(marks(p), marks(p + 16)),
                                         _mm_or_si128(marks(p + 32), marks(p + 48)));
        if (_mm_movemask_epi8(any) == 0) {
            p += 64;
            continue;
        }
        for (const auto* const block = p + 64; p < block; ++p) {
            if (endsLineOtherwiseAt(p, end)) {
                return true;
            }
        }
    }
#endif
    while (end - p >= 8) {
        const scan::Word x = scan::loadWord(p);
        if (((scan::bytesBelow(x, '\r' + 1) & ~scan::bytesBelow(x, '\n' + 1)) |
             (x & scan::highs)) == 0) {
            p += 8;
            continue;
        }
        for (const auto* const word = p + 8; p < word; ++p) {
            if (endsLineOtherwiseAt(p, end)) {
                return true;
            }
        }
    }
    for (; p < end; ++p) {
        if (endsLineOtherwiseAt(p, end)) {
            return true;
        }
    }
    return false;
}

namespace {

// One bit per byte of a 64-byte block, set at each LF.
std::uint64_t lineFeeds(const scan::Byte* p) {
    std::uint64_t mask = 0;
#ifdef MOUTHKEY_SCAN_SSE2
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        mask |= scan::blockBits(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), i);
    }
#else
    for (int i = 0; i < 8; ++i) {
        mask |= scan::blockBits(scan::bytesEqual(scan::loadWord(p + 8 * i), '\n'), i);
    }
#endif
    return mask;
}

// Whether the frames that open the lines after the first rise, by their values.
bool framesRiseByValue(const char* begin, const char* end) {
    std::uint64_t last = 0;
    for (const char* p = begin; p < end; ++p) {
        std::uint64_t frame = 0;
        if (*p == '\n' && p + 1 < end && frameDigits(p + 1, end, end, frame) != p + 1) {
            if (frame < last) {
                return false;
            }
            last = frame;
        }
    }
    return true;
}

// The bytes of a word in the other order: the first byte highest.
constexpr scan::Word firstByteHighest(scan::Word x) {
    x = ((x & 0x00FF00FF00FF00FF) << 8) | ((x >> 8) & 0x00FF00FF00FF00FF);
    x = ((x & 0x0000FFFF0000FFFF) << 16) | ((x >> 16) & 0x0000FFFF0000FFFF);
    return (x << 32) | (x >> 32);
}

} // namespace

bool framesRise(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    // Frames of up to eight digits without a leading zero order as their
    // digits do read as one number, the first byte highest: a frame of more
    // digits is the larger, as none opens with '0'. Such a key needs no
    // multiply. A frame of another kind is left to the values.
    std::uint64_t last = 0;
    bool byValue = false;
    // The frame that opens a line with nine bytes readable, if it opens with one.
    const auto rises = [&](const char* line) {
        const scan::Word x = scan::loadWord(bytesAt(line));
        const scan::Word others = scan::highs & ~scan::bytesBelow(x ^ (scan::ones * '0'), 10);
        const int count = others ? std::countr_zero(others) / 8 : 8;
        if (count == 0) {
            return true;
        }
        byValue |= (count > 1 && (x & 0xFF) == '0') ||
                   (count == 8 && static_cast<unsigned char>(line[8] - '0') <= 9);
        const std::uint64_t key = firstByteHighest(x) >> (64 - 8 * count);
        const bool rising = key >= last;
        last = key;
        return rising;
    };
    // Each line after an LF, found a block of LFs at a time.
    const char* p = begin;
    bool rising = true;
    for (; rising && end - p >= static_cast<std::ptrdiff_t>(scan::blockSize + 9);
         p += scan::blockSize) {
        for (std::uint64_t feeds = lineFeeds(bytesAt(p)); feeds != 0; feeds &= feeds - 1) {
            if (!rises(p + std::countr_zero(feeds) + 1)) {
                rising = false;
                break;
            }
        }
    }
    // The last lines from a copy with room to read past them.
    for (; rising && p < end; ++p) {
        if (*p == '\n' && p + 1 < end) {
            char line[9] = {};
            std::memcpy(line, p + 1,
                        std::min<std::size_t>(9, static_cast<std::size_t>(end - p - 1)));
            rising = rises(line);
        }
    }
    return byValue ? framesRiseByValue(begin, end) : rising;
}

} // namespace mouthkey::datlines

namespace mouthkey {

std::optional<KeyLine> keyLine(const TimingLine& line) {
    const auto& tokens = line.tokens;
    if (tokens.size() != 2 || tokens[0].text.empty() || tokens[1].text.empty()) {
        return std::nullopt;
    }
    const std::string_view frame = tokens[0].text;
    const char* const frameEnd = frame.data() + frame.size();
    // A frame that opens the line's own text may be read on past its end.
    const char* const readable =
        frame.data() == line.text.data() ? line.text.data() + line.text.size() : frameEnd;
    std::uint64_t value = 0;
    if (datlines::frameDigits(frame.data(), frameEnd, readable, value) != frameEnd) {
        return std::nullopt;
    }
    return KeyLine{value, &tokens[1]};
}

std::optional<std::uint64_t> wholeFrame(std::string_view token) {
    const char* const end = token.data() + token.size();
    std::uint64_t value = 0;
    if (token.empty() || datlines::frameDigits(token.data(), end, end, value) != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace mouthkey
