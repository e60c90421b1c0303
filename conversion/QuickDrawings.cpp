// Time Remap's and Slider Control's quick path through a .dat text: runs of
// usual lines read and written in one loop, through the drawing target's
// own type.
#include "TargetWriter.h"

#include "DatLines.h"

#include <bit>
#include <cstring>

namespace mouthkey {

using namespace datlines;

namespace {

// A key line at `at` for the frame of `digits` (one to eight, with
// sixteen bytes readable), or with `earlier` the frame before it, of at
// least 1; returns its end.
template <bool earlier>
MOUTHKEY_INLINE char* quickLine(char* at, const char* digits, int count,
                                const DrawingTarget::Value& value) {
    *at++ = '\t';
    if (!earlier || digits[count - 1] != '0') {
        std::memcpy(at, digits, 8);
        at[count - 1] = static_cast<char>(at[count - 1] - (earlier ? 1 : 0));
        at += count;
    } else {
        std::array<char, 16> less;
        const std::string_view written =
            oneLess(std::string_view(digits, static_cast<std::size_t>(count)), less);
        std::memcpy(at, less.data(), 8);
        at += written.size();
    }
    *at++ = '\t';
    std::memcpy(at, value.text.data(), 16);
    return at + value.size;
}

// The same for a frame written out.
MOUTHKEY_INLINE char* numberLine(char* at, std::uint64_t frame, const DrawingTarget::Value& value) {
    *at++ = '\t';
    at = frameAt(at, frame);
    *at++ = '\t';
    std::memcpy(at, value.text.data(), 16);
    return at + value.size;
}

// Reads lines from lines.p for as long as the quick lane's readQuickLine
// takes them, writing their keys. What the loop reads and writes lives in
// locals for the run, since a store through a char* may alias any member.
// With `shifted` the keys move by the offset, and their frames are written
// out; else the frames' digits are copied.
template <bool shifted> void quickRun(QuickLines& lines, KeyRules& rules, NameCache& names) {
    using Value = DrawingTarget::Value;
    constexpr auto lineRoom = static_cast<std::ptrdiff_t>(DrawingTarget::lineRoom);
    DrawingTarget& target = *rules.drawingTarget();
    const Value* const values = target.values();
    const bool holding = rules.holds();
    const char* p = lines.p;
    // Two words and the digits' sixteen bytes are read from p.
    if (lines.end - p < 32) {
        return;
    }
    const char* const last = lines.end - 32;
    // The key held for frame 0 waits for the next key, which the long way writes after it.
    if (shifted && rules.holdsForZero()) {
        return;
    }
    std::uint64_t number = lines.number;
    auto [at, end] = target.place();
    auto [frameBefore, drawingBefore] = rules.before();
    std::uint64_t keys = 0;
    std::uint64_t steps = 0;
    while (p <= last) {
        QuickLine line;
        if (!readQuickLine(p, line)) {
            break;
        }
        const std::uint64_t frame = line.frame;
        const int digits = line.digits;
        const char* const name = line.name;
        const int size = line.size;
        const scan::Word packed = line.packed;
        const std::string_view text(name, static_cast<std::size_t>(size));
        const std::int64_t drawing = names.ofWord(packed, text);
        std::uint64_t key = frame;
        if constexpr (shifted) {
            const auto moved = shiftedFrame(frame, rules.offset());
            // What a key before frame 0 becomes is decided the long way.
            if (!moved && drawing >= 0) {
                break;
            }
            key = moved.value_or(0);
        }
        const char* const frameDigits = p;
        p = line.next();
        ++number;
        if (drawing < 0) {
            rules.noDrawing(text, CuePlace{number, 0});
            continue;
        }
        if (end - at < 2 * lineRoom) {
            const DrawingTarget::Place room = target.makeRoom(at);
            at = room.at;
            end = room.end;
        }
        const auto shown = static_cast<std::size_t>(drawing);
        // The step's line is written either way and kept only when
        // wanted: which way a branch would go follows the take.
        const bool step = holdStepBefore(holding, shown != drawingBefore, key, frameBefore);
        if constexpr (shifted) {
            char* const stepEnd = numberLine(at, key - 1, values[drawingBefore]);
            at = numberLine(step ? stepEnd : at, key, values[shown]);
        } else {
            char* const stepEnd = quickLine<true>(at, frameDigits, digits, values[drawingBefore]);
            at = quickLine<false>(step ? stepEnd : at, frameDigits, digits, values[shown]);
        }
        keys += 1 + static_cast<std::uint64_t>(step);
        steps += static_cast<std::uint64_t>(step);
        frameBefore = key;
        drawingBefore = shown;
    }
    target.handBack(at, keys, steps);
    lines.p = p;
    lines.number = number;
    rules.setBefore({frameBefore, drawingBefore});
}

} // namespace

void feedQuickDrawings(std::string_view text, LineSample& others, KeyRules& rules,
                       NameCache& names) {
    const auto each = [&](std::uint64_t frame, std::string_view name, const CuePlace& place,
                          const char* readable, std::string_view digits) {
        rules.drawn(frame, name, names.find(name, readable), place, digits);
    };
    // Values too long for the quick run's copies, which no usual rate gives:
    // the text as the cue path reads it.
    if (!rules.drawingTarget()->valuesFitHalfSlots()) {
        forEachDatCue(text, each, others);
        return;
    }
    QuickLines lines(text);
    while (lines.p < lines.end) {
        if (lines.header) {
            if (rules.offset() == 0) {
                quickRun<false>(lines, rules, names);
            } else {
                quickRun<true>(lines, rules, names);
            }
            if (lines.p >= lines.end) {
                break;
            }
        }
        // The quick run takes no line that ends otherwise than at LF or CR
        // LF, nor one with such a line end inside. The few lines it leaves
        // are looked at for them one by one, instead of the whole text
        // first, and the line reader reads on from the first.
        const std::string_view line(lines.p,
                                    static_cast<std::size_t>(lines.nextLine(lines.p) - lines.p));
        if (endsLinesOtherwise(line)) {
            readerDatCues(std::string_view(lines.p, static_cast<std::size_t>(lines.end - lines.p)),
                          each, others, lines.number, lines.header);
            return;
        }
        lines.step(each, others);
    }
}

} // namespace mouthkey
