#pragma once

// The "FRAME NAME" lines of a .dat text. The rule is keyLine (DatLines.cpp),
// on lines as the line reader cuts them, with the one reader of a frame's
// digits below. Beside it are the fast lanes that read usual lines without
// cutting them into tokens: QuickLines, the checks' block lane and the
// writer's quick lane. The property test and the fuzzer hold each lane to
// the rule, cue by cue and line by line.

#include "conversion/Finding.h"
#include "conversion/Take.h"
#include "conversion/TimingCheck.h"
#include "conversion/TimingReader.h"

#include "LineReader.h"
#include "LineScan.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

namespace mouthkey::datlines {

// Whether a text ends a line anywhere but at LF or CR LF: at VT, FF, a CR
// alone, NEL, LINE or PARAGRAPH SEPARATOR, as the line reader also does.
bool endsLinesOtherwise(std::string_view text);

// Whether the frames that open a text's lines after its header never fall,
// where `endsLinesOtherwise` is false. Every cue's line opens with its
// frame, so the cues are then in frame order; a line that opens with digits
// but holds no cue may make it answer no for cues in order, never yes for
// cues out of order.
bool framesRise(std::string_view text);

inline const scan::Byte* bytesAt(const char* p) {
    return reinterpret_cast<const scan::Byte*>(p);
}

// The value of `count` (1 to 8) decimal digits that open a word, first byte
// lowest, with no branch on their count: a frame is read on every line, and
// its length follows no pattern.
MOUTHKEY_INLINE std::uint64_t digitsValue(scan::Word x, int count) {
    // The digits move to the top, so that the bytes below read as leading
    // zeros, then combine in pairs, fours and eights.
    scan::Word v = (x ^ (scan::ones * '0')) << (8 * (8 - count));
    v = (v * 10) + (v >> 8);
    return (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
            (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
           32;
}

// The decimal digits that open eight bytes (first byte lowest), as a
// number in `frame`; returns how many there are.
MOUTHKEY_INLINE int leadingDigits(scan::Word x, std::uint64_t& frame) {
    // A byte is a digit exactly when it is below 10 once '0' is taken out
    // of it by XOR, which leaves the digit's value.
    const scan::Word others = scan::highs & ~scan::bytesBelow(x ^ (scan::ones * '0'), 10);
    const int count = others ? std::countr_zero(others) / 8 : 8;
    if (count == 0) {
        return 0;
    }
    frame = digitsValue(x, count);
    return count;
}

// The decimal digits that open [p, end), as a frame in `frame`: nineteen
// always fit, and a longer run saturates. Returns the end of the digits.
// Bytes up to `readable` may be read, eight at once where there are eight.
MOUTHKEY_INLINE const char* frameDigits(const char* p, const char* end, const char* readable,
                                        std::uint64_t& frame) {
    frame = 0;
    const auto size = static_cast<std::size_t>(end - p);
    std::size_t i = 0;
    if (readable - p >= 8) {
        scan::Word x = scan::loadWord(bytesAt(p));
        if (size < 8) {
            x |= ~scan::Word{0} << (8 * size); // the bytes past the end are no digits
        }
        i = static_cast<std::size_t>(leadingDigits(x, frame));
        if (i < 8) {
            return p + i;
        }
    }
    constexpr std::size_t safeDigits = 19;
    for (unsigned digit;
         i < size && (digit = static_cast<unsigned>(static_cast<unsigned char>(p[i])) - 48u) <= 9;
         ++i) {
        frame = i < safeDigits ? frame * 10 + digit : std::numeric_limits<std::uint64_t>::max();
    }
    return p + i;
}

// Only LF and CR LF end lines here, and only spaces cut tokens: the rule is a
// whole frame, one space, and a name without one. Each line is read once, a
// word or a byte at a time, as lines are a few bytes long.
struct QuickLines {
    explicit QuickLines(std::string_view text) : p(text.data()), end(p + text.size()) {}

    const char* p;
    const char* const end;
    std::uint64_t number = 0; // of the line before p
    bool header = false;      // whether it has been passed

    const char* nextLine(const char* from) const {
        const auto* lf =
            static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from)));
        return lf ? lf + 1 : end;
    }

    // Reads the line at p, handing a cue to `each` or the line's number to
    // `others` (a LineSample, or anything with its add()).
    template <class Each, class Others> void step(Each& each, Others& others) {
        ++number;
        if (*p == '\n' || (*p == '\r' && p + 1 < end && p[1] == '\n')) {
            p += *p == '\n' ? 1 : 2; // an empty line
            return;
        }
        if (!header) {
            header = true;
            p = nextLine(p);
            return;
        }
        std::uint64_t frame = 0;
        const char* const q = frameDigits(p, end, end, frame);
        bool key = q > p && q < end && *q == ' ';
        const char* name = q + 1;
        const char* r = name;
        if (key) {
            while (r < end && *r != '\n' && *r != ' ') {
                ++r;
            }
            key = r == end || *r == '\n';
        }
        const char* nameEnd = r;
        if (key && nameEnd > name && nameEnd[-1] == '\r' && nameEnd < end) {
            --nameEnd; // the CR of a CR LF
        }
        if (key && nameEnd > name) {
            // The frame's digits, for a writer that copies them: as the
            // frame writes out, with room to copy them as a whole.
            const auto digits = static_cast<std::size_t>(q - p);
            const bool asWritten = digits <= 16 && (*p != '0' || digits == 1) && end - p >= 16;
            each(frame, std::string_view(name, static_cast<std::size_t>(nameEnd - name)),
                 CuePlace{number, 0}, end,
                 asWritten ? std::string_view(p, digits) : std::string_view());
            p = r == end ? end : r + 1;
        } else {
            others.add(number);
            p = nextLine(p);
        }
    }
};

// One usual line a key can be copied from, as the writer's quick lane reads
// it: up to eight digits without a leading zero, a space, and a name of one
// to seven ASCII bytes above the space ending at LF or CR LF. Two words and
// sixteen bytes are read from the line's start.
struct QuickLine {
    std::uint64_t frame = 0;
    int digits = 0; // the frame's, from the line's start
    const char* name = nullptr;
    int size = 0;          // the name's
    scan::Word packed = 0; // the name's bytes as a word, its first byte lowest
    bool crLf = false;     // the line ends at CR LF

    // The next line's start.
    const char* next() const noexcept { return name + size + 1 + (crLf ? 1 : 0); }
};
MOUTHKEY_INLINE bool readQuickLine(const char* p, QuickLine& line) {
    std::uint64_t frame = 0;
    const int digits = leadingDigits(scan::loadWord(bytesAt(p)), frame);
    if (digits == 0 || p[digits] != ' ' || (*p == '0' && digits > 1)) {
        return false;
    }
    const char* const name = p + digits + 1;
    const scan::Word word = scan::loadWord(bytesAt(name));
    // Spaces and control bytes end the name; only LF or CR LF may end it
    // here. Bytes from 0x80 up are left to the line reader, which also ends
    // lines at NEL and the Unicode separators.
    const int size = std::countr_zero(scan::bytesBelow(word, ' ' + 1)) / 8; // 8: none
    if (size == 0 || size == 8) {
        return false;
    }
    const scan::Word packed = word & ((std::uint64_t{1} << (8 * size)) - 1);
    const bool crLf = name[size] == '\r' && name[size + 1] == '\n';
    if ((name[size] != '\n' && !crLf) || (packed & scan::highs) != 0) {
        return false;
    }
    line = {frame, digits, name, size, packed, crLf};
    return true;
}

// The checks' block lane: the usual data line, "FRAME NAME" of printable
// ASCII ending at LF or CR LF, taken 64 bytes at a time: the masks of a
// block tell at once whether all its lines have that shape, and where their
// spaces and ends are, so the lines need no cutting and the blocks no
// waiting on the lines. Each goes to `take(frame, name, line, digits)`,
// numbered on from `lines`, with its frame's digits as they stand; a `take`
// that returns false leaves its line. Stops at the
// start of the first line it leaves, or of one of another shape, or within
// the last 72 bytes; returns that start, with `lines` counted on to it.
// After the header only.
template <class TakeLine>
MOUTHKEY_INLINE const scan::Byte* takeBlockLines(const scan::Byte* p, const scan::Byte* end,
                                                 std::uint64_t& lines, TakeLine&& take) {
    using scan::Byte;
    std::uint64_t count = lines; // a local: the stores of `take` would force reloads
    const Byte* lineStart = p;
    const Byte* pendingSpace = nullptr; // the current line's space, in an earlier block
    // What the last block leaves to the next: whether its last byte lies
    // between a line's space and its end, starts a line, is a space or a CR.
    std::uint64_t inName = 0;
    std::uint64_t startsLine = 1;
    std::uint64_t spaceBefore = 0;
    std::uint64_t crBefore = 0;
    bool stopped = false; // at a line `take` leaves
    constexpr std::size_t block = 64;
    // A frame or a name is read eight bytes at a time, up to eight past the block.
    for (const Byte* b = p; static_cast<std::size_t>(end - b) >= block + 8; b += block) {
        const scan::ByteMasks m = scan::masksOf(b);
        const std::uint64_t lfAfter = b[block] == '\n' ? 1 : 0;
        // The first byte of each separator: a CR before an LF, or an LF alone.
        const std::uint64_t term =
            (m.cr & ((m.lf >> 1) | (lfAfter << 63))) | (m.lf & ~((m.cr << 1) | crBefore));
        // Between a space and the end of its line, inclusive of the space.
        const std::uint64_t name = scan::prefixParity(m.space | term) ^ inName;
        const std::uint64_t lineStarts = (m.lf << 1) | startsLine;
        const std::uint64_t bad =
            (m.special & ~(m.space | m.lf | m.cr)) |    // tabs, NULs, other separators
            (m.cr & ~((m.lf >> 1) | (lfAfter << 63))) | // a CR alone
            (m.space & ~name) | (term & name) |         // not one space per line
            (m.space & lineStarts) |                    // no frame
            (term & ((m.space << 1) | spaceBefore)) |   // no name
            (~name & ~(term | m.lf) & ~m.digit);        // a frame not of digits
        const unsigned firstBad = bad ? static_cast<unsigned>(std::countr_zero(bad)) : 64;

        std::uint64_t ends = term;
        std::uint64_t spaces = m.space;
        while (ends != 0) {
            const auto at = static_cast<unsigned>(std::countr_zero(ends));
            ends &= ends - 1;
            if (at >= firstBad) {
                break; // this line is not the usual kind
            }
            const Byte* space = pendingSpace;
            if (space == nullptr) {
                space = b + std::countr_zero(spaces);
                spaces &= spaces - 1;
            }
            pendingSpace = nullptr;

            // The frame is all digits, one at least, and eight bytes past it readable.
            const auto frameSize = static_cast<std::size_t>(space - lineStart);
            std::uint64_t frame = 0;
            if (frameSize <= 8) {
                frame = digitsValue(scan::loadWord(lineStart), static_cast<int>(frameSize));
            } else {
                const auto* const digits = reinterpret_cast<const char*>(lineStart);
                frameDigits(digits, digits + frameSize, reinterpret_cast<const char*>(end), frame);
            }
            const Byte* const nameStart = space + 1;
            const std::string_view nameText(reinterpret_cast<const char*>(nameStart),
                                            static_cast<std::size_t>(b + at - nameStart));
            const std::string_view digits(reinterpret_cast<const char*>(lineStart), frameSize);
            if (!take(frame, nameText, count + 1, digits)) {
                stopped = true;
                break;
            }
            ++count;
            lineStart = b + at + 1 + ((m.cr >> at) & 1); // a CR LF is one separator
        }
        if (stopped || firstBad < block) {
            break;
        }
        if (spaces != 0) {
            pendingSpace = b + std::countr_zero(spaces);
        }
        inName = (name >> 63) ? ~std::uint64_t{0} : 0;
        startsLine = m.lf >> 63;
        spaceBefore = m.space >> 63;
        crBefore = m.cr >> 63;
    }
    lines = count;
    return lineStart;
}

// The cues of a .dat text as the line reader cuts it, for a text that ends
// lines otherwise than at LF or CR LF; `each` as forEachDatCue's. The text
// may open at a line's start past `linesBefore` lines, the header among
// them when `headerSeen`.
template <class Each, class Others>
void readerDatCues(std::string_view text, Each&& each, Others& others,
                   std::uint64_t linesBefore = 0, bool headerSeen = false) {
    const auto handle = [&](const TimingLine& line) {
        if (line.header) {
            return;
        }
        if (const auto key = keyLine(line)) {
            const std::string_view name = key->name->text;
            each(key->frame, name, CuePlace{line.number, 0}, name.data() + name.size(),
                 std::string_view());
        } else {
            others.add(line.number);
        }
    };
    scan::LineReader<decltype(handle)> reader(handle, linesBefore, headerSeen);
    reader.feed(text);
    reader.finish();
}

// Hands each cue of a .dat text to `each`, as datCues reads them, with how far
// past the name bytes may be read.
template <class Each, class Others>
void forEachDatCue(std::string_view text, Each&& each, Others& others) {
    if (endsLinesOtherwise(text)) {
        readerDatCues(text, each, others);
        return;
    }
    QuickLines lines(text);
    while (lines.p < lines.end) {
        lines.step(each, others);
    }
}

} // namespace mouthkey::datlines
