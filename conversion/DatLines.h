#pragma once

// The "FRAME NAME" cues of a .dat text, read by the line reader's rule or by
// a quick reader for texts whose lines end only at LF or CR LF.

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

inline const scan::Byte* bytesAt(const char* p) {
    return reinterpret_cast<const scan::Byte*>(p);
}

// The decimal digits that open eight bytes (first byte lowest), as a
// number in `frame`; returns how many there are.
inline int leadingDigits(scan::Word x, std::uint64_t& frame) {
    // A byte is a digit exactly when it is below 10 once '0' is taken out
    // of it by XOR, which leaves the digit's value.
    const scan::Word values = x ^ (scan::ones * '0');
    const scan::Word others = scan::highs & ~scan::bytesBelow(values, 10);
    const int count = others ? std::countr_zero(others) / 8 : 8;
    if (count == 0) {
        return 0;
    }
    // The digits moved to the top, so that the bytes below read as leading
    // zeros, then combined in pairs, fours and eights.
    scan::Word v = values << (8 * (8 - count));
    v = (v * 10) + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    frame = v;
    return count;
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

    // Reads the line at p, handing a cue to `each` or the line to `others`.
    template <class Each> void step(Each& each, LineSample& others) {
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
        // As wholeFrame reads a frame: nineteen digits always fit, and a
        // longer frame saturates.
        const char* q = p;
        std::uint64_t frame = 0;
        for (unsigned digit;
             q < end && (digit = static_cast<unsigned>(static_cast<unsigned char>(*q)) - 48u) <= 9;
             ++q) {
            frame = q - p < 19 ? frame * 10 + digit : std::numeric_limits<std::uint64_t>::max();
        }
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

// The cues of a .dat text as the line reader cuts it, for a text that ends
// lines otherwise than at LF or CR LF; `each` as forEachDatCue's. The text
// may open at a line's start past `linesBefore` lines, the header among
// them when `headerSeen`.
template <class Each>
void readerDatCues(std::string_view text, Each&& each, LineSample& others,
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

// Hands each cue of a .dat text to `each`, as readDatCues says, with how far
// past the name bytes may be read.
template <class Each> void forEachDatCue(std::string_view text, Each&& each, LineSample& others) {
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
