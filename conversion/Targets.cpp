#include "conversion/Targets.h"

#include "conversion/DocumentWriter.h"
#include "conversion/MappingTables.h"
#include "conversion/PopupChoice.h"
#include "conversion/TimingReader.h"

#include "DatLines.h"
#include "LineScan.h"
#include "NamedRows.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <utility>

namespace mouthkey {

namespace {

constexpr std::array<NamedRow<Target>, targets.size()> targetNames{{
    {Target::Position, "position", "Position"},
    {Target::TimeRemap, "time-remap", "Time Remap"},
    {Target::SliderControl, "slider", "Slider Control"},
}};

// the same bytes as Position's head, without its property.
std::string sourceHead(const FrameRate& rate) {
    const std::string head = documentHead(rateLine(rate));
    return head.substr(0, head.find("Transform\t"));
}

// A key the targets write: where, and what it shows.
struct Key {
    std::uint64_t frame = 0;
    std::string_view name;
    std::size_t drawing = 0; // for the targets that show drawings
    // The frame's decimal digits when the caller has them, sixteen at most,
    // with sixteen bytes readable from their start; else the frame is
    // written out.
    std::string_view digits;
};

// One output target: a head, one line a key, a tail. The hold steps, the
// offset and what is left out are decided once, before a key reaches it.
class DocumentTarget {
public:
    virtual ~DocumentTarget() = default;
    virtual void head() = 0;
    virtual void key(const Key& key) = 0;
    virtual void tail() = 0;
    virtual std::uint64_t keyframes() const = 0;
};

// Each key as the converter writes its .dat line, so that a name the set
// does not know passes through exactly as it always has.
class PositionTarget final : public DocumentTarget {
public:
    PositionTarget(const TargetChoices& choices, const ChunkSink& sink)
        : m_writer(buildMapping(choices.setIndex, choices.letters), choices.rate, sink) {}

    void head() override { m_writer.feed(datText({})); }
    void key(const Key& key) override {
        m_line.assign(std::to_string(key.frame)).append(" ").append(key.name).append("\n");
        m_writer.feed(m_line);
    }
    void tail() override { m_writer.finish(); }
    std::uint64_t keyframes() const override { return m_writer.keyframeCount(); }

private:
    DocumentWriter m_writer;
    std::string m_line;
};

// The digits of one frame less than `digits`, a frame of at least 2, in `to`.
std::string_view oneLess(std::string_view digits, std::array<char, 16>& to) {
    if (digits.empty()) {
        return {};
    }
    std::memcpy(to.data(), digits.data(), to.size());
    std::size_t i = digits.size() - 1;
    for (; i > 0 && to[i] == '0'; --i) {
        to[i] = '9';
    }
    --to[i];
    // 10 less one is 9: a leading digit gone to 0 goes.
    if (i == 0 && to[0] == '0') {
        std::memmove(to.data(), to.data() + 1, to.size() - 1);
        return {to.data(), digits.size() - 1};
    }
    return {to.data(), digits.size()};
}

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

// Time Remap and Slider Control: one property, one value a key, each line
// ending in a tab as After Effects copies them.
class DrawingTarget final : public DocumentTarget {
public:
    // For a chart of `drawings` drawings.
    DrawingTarget(const TargetChoices& choices, std::size_t drawings, const ChunkSink& sink)
        : m_sink(sink), m_rate(choices.rate), m_timeRemap(choices.target == Target::TimeRemap),
          m_buffer(new char[firstBufferSize]), m_at(m_buffer.get()),
          m_end(m_at + firstBufferSize) { // not cleared: written first
        // A drawing's value is the same in every key: written once, into a
        // slot copied whole, which is quicker than copying its length.
        const double fps = framesPerSecond(choices.rate);
        m_values.resize(drawings);
        for (std::size_t i = 0; i < drawings; ++i) {
            const auto drawing = static_cast<double>(i);
            const std::string text =
                keyNumberText(m_timeRemap ? (drawing + 0.5) / fps : drawing) + "\t\n";
            m_values[i].size = std::min(text.size(), m_values[i].text.size());
            std::memcpy(m_values[i].text.data(), text.data(), m_values[i].size);
        }
    }

    void head() override {
        write(sourceHead(m_rate));
        write(m_timeRemap ? "Time Remap\n\tFrame\tseconds\t\n"
                          : "Effects\tSlider Control #1\tSlider #2\n\tFrame\t\t\n");
    }
    void key(const Key& key) override { put(key.frame, key.drawing, key.digits); }
    // The same, for callers that know the type, so that the loop over a
    // text's cues writes each key in place.
    MOUTHKEY_INLINE void put(std::uint64_t frame, std::size_t drawing, std::string_view digits) {
        if (m_end - m_at < static_cast<std::ptrdiff_t>(lineRoom)) {
            flush();
        }
        // Written through a local: stores of chars may alias any member.
        m_at = line<false>(m_at, frame, drawing, digits);
        ++m_keyframes;
    }

    // A key after a hold step when `step`, one frame earlier. The step's line
    // is written either way and kept only then: cheaper than a branch that
    // goes each way about as often.
    MOUTHKEY_INLINE void putHeld(bool step, std::uint64_t frame, std::size_t stepDrawing,
                                 std::size_t drawing, std::string_view digits) {
        if (m_end - m_at < static_cast<std::ptrdiff_t>(2 * lineRoom)) {
            flush();
        }
        char* at = m_at;
        char* const stepped = line<true>(at, frame - 1, stepDrawing, digits);
        at = step ? stepped : at;
        m_at = line<false>(at, frame, drawing, digits);
        m_keyframes += 1 + static_cast<std::uint64_t>(step);
        m_holdSteps += static_cast<std::uint64_t>(step);
    }
    void tail() override {
        write("\nEnd of Keyframe Data");
        flush();
    }
    std::uint64_t keyframes() const override { return m_keyframes; }
    std::uint64_t holdSteps() const { return m_holdSteps; }

    // A value and the line's end: six significant digits without an
    // exponent fit, for any drawing a chart can have.
    struct Value {
        std::array<char, 32> text;
        std::size_t size;
    };

    // For a loop that writes many keys through locals of its own: where the
    // next line goes, where the buffer ends and the values' slots. `handBack`
    // takes the place back and counts the keys written, hold steps among them; `makeRoom` writes
    // the buffer out, leaving room for two lines at least.
    struct Place {
        char* at;
        char* end;
    };
    Place place() const { return {m_at, m_end}; }
    MOUTHKEY_COLD Place makeRoom(char* at) {
        m_at = at;
        flush();
        return place();
    }
    void handBack(char* at, std::uint64_t keyframes, std::uint64_t holdSteps) {
        m_at = at;
        m_keyframes += keyframes;
        m_holdSteps += holdSteps;
    }
    const Value* values() const { return m_values.data(); }
    // Whether every value fits half its slot, as such a loop copies them.
    bool valuesFitHalfSlots() const {
        return std::all_of(m_values.begin(), m_values.end(),
                           [](const Value& v) { return v.size <= 16; });
    }
    // A key line's room at most: a tab, the frame (twenty digits at most, or
    // a slot of sixteen), a tab and the value's slot.
    static constexpr std::size_t lineRoom = 22 + sizeof(Value::text);

private:
    // Below where allocators map fresh pages, so that a short take costs
    // little; a long one goes on in chunks sixteen times the size, for fewer
    // writes.
    static constexpr std::size_t firstBufferSize = 64 * 1024;
    static constexpr std::size_t bufferSize = 1024 * 1024;

    std::size_t room() const { return static_cast<std::size_t>(m_end - m_at); }

    // Writes a key line at `at` and returns its end. `digits`, when given,
    // are the frame's; with `earlier` the key is for the frame before them.
    template <bool earlier>
    MOUTHKEY_INLINE char* line(char* at, std::uint64_t frame, std::size_t drawing,
                               std::string_view digits) const {
        const Value& value = m_values[drawing];
        const std::size_t size = value.size;
        *at++ = '\t';
        if (digits.empty()) {
            at = frameAt(at, frame);
        } else if (!earlier || digits.back() != '0') {
            // Frames of eight digits or fewer, the usual ones, as one word.
            if (digits.size() <= 8) {
                std::memcpy(at, digits.data(), 8);
            } else {
                std::memcpy(at, digits.data(), 16);
            }
            at[digits.size() - 1] = static_cast<char>(at[digits.size() - 1] - (earlier ? 1 : 0));
            at += digits.size();
        } else {
            std::array<char, 16> less;
            const std::string_view written = oneLess(digits, less);
            std::memcpy(at, less.data(), less.size());
            at += written.size();
        }
        *at++ = '\t';
        // Half the slot holds the usual values.
        if (size <= 16) {
            std::memcpy(at, value.text.data(), 16);
        } else {
            std::memcpy(at, value.text.data(), value.text.size());
        }
        return at + size;
    }

    void write(std::string_view text) {
        while (!text.empty()) {
            if (room() == 0) {
                flush();
            }
            const std::size_t part = std::min(room(), text.size());
            std::memcpy(m_at, text.data(), part);
            m_at += part;
            text.remove_prefix(part);
        }
    }
    MOUTHKEY_COLD void flush() {
        if (m_at != m_buffer.get()) {
            m_sink(
                std::string_view(m_buffer.get(), static_cast<std::size_t>(m_at - m_buffer.get())));
            if (m_end - m_buffer.get() < static_cast<std::ptrdiff_t>(bufferSize)) {
                m_buffer.reset(new char[bufferSize]);
                m_end = m_buffer.get() + bufferSize;
            }
            m_at = m_buffer.get();
        }
    }

    const ChunkSink& m_sink;
    FrameRate m_rate;
    bool m_timeRemap;
    std::vector<Value> m_values;
    std::unique_ptr<char[]> m_buffer;
    char* m_at;
    char* m_end;
    std::uint64_t m_keyframes = 0;
    std::uint64_t m_holdSteps = 0;
};

// The frame a cue's key lands on after the offset; nothing before frame 0.
// Frames past the counter's end saturate rather than wrap.
std::optional<std::uint64_t> shiftedFrame(std::uint64_t frame, std::int64_t offset) {
    if (offset >= 0) {
        const auto by = static_cast<std::uint64_t>(offset);
        return frame > std::numeric_limits<std::uint64_t>::max() - by
                   ? std::numeric_limits<std::uint64_t>::max()
                   : frame + by;
    }
    // -(offset + 1) + 1 stays in range for the most negative offset too.
    const std::uint64_t by = static_cast<std::uint64_t>(-(offset + 1)) + 1;
    if (frame < by) {
        return std::nullopt;
    }
    return frame - by;
}

} // namespace

std::string_view targetName(Target target) {
    return rowOf(targetNames, target).name;
}

std::string_view targetTitle(Target target) {
    return rowOf(targetNames, target).title;
}

std::optional<Target> targetNamed(std::string_view name) {
    return valueNamed(targetNames, name);
}

MouthChart TargetChoices::chartInUse() const {
    return chart ? *chart : MouthChart::ofSet(setIndex);
}

using namespace datlines;

struct TargetWriter::Impl {
    // The last cue shifted before frame 0, while no key is written yet.
    struct Early {
        std::uint64_t cueFrame = 0;
        CuePlace place;
        std::size_t drawing = 0;
        std::string name; // for Position
    };

    Impl(const TargetChoices& choices, ChunkSink sink)
        : choices(choices), sink(std::move(sink)), drawings(choices.target != Target::Position),
          chart(drawings ? choices.chartInUse() : MouthChart({})),
          mapping(buildMapping(choices.setIndex, choices.letters)), holds(choices.holds()) {
        if (drawings) {
            auto typed =
                std::make_unique<DrawingTarget>(choices, chart.drawings().size(), this->sink);
            drawingTarget = typed.get();
            target = std::move(typed);
        } else {
            target = std::make_unique<PositionTarget>(choices, this->sink);
        }
        target->head();
    }

    // The drawing of a name, looked up once per distinct name: a take names
    // a handful of mouths, thousands of times each. Bytes up to `end` may be
    // read past the name.
    std::optional<std::size_t> drawingOf(std::string_view name, const char* end) {
        // Names of up to eight bytes, the usual ones, as one word in a small
        // table; others, and any with a NUL that a word would not tell
        // apart, by their hash.
        if (name.size() - 1 < 8 && name.find('\0') == std::string_view::npos) {
            const std::int64_t drawing = drawingOfWord(packedName(name, end), name);
            return drawing < 0 ? std::nullopt
                               : std::optional<std::size_t>(static_cast<std::size_t>(drawing));
        }
        return lookUp(name);
    }

    // The same, for a name of one to eight bytes other than NUL given as
    // packedName packs it; -1 when it has none.
    MOUTHKEY_INLINE std::int64_t drawingOfWord(std::uint64_t packed, std::string_view name) {
        std::size_t i = (packed * 0x9E3779B97F4A7C15u) >> 56;
        while (nameSlots[i].packed != packed) {
            if (nameSlots[i].packed == 0) {
                return fillSlot(i, packed, name);
            }
            i = (i + 1) % nameSlots.size();
        }
        return nameSlots[i].drawing;
    }

    MOUTHKEY_COLD std::int64_t fillSlot(std::size_t i, std::uint64_t packed,
                                        std::string_view name) {
        const auto drawing = lookUp(name);
        const std::int64_t value = drawing ? static_cast<std::int64_t>(*drawing) : -1;
        // A quarter stays empty, so that every search meets an empty slot
        // soon; names past that go by their hash.
        if (nameSlotsUsed < nameSlots.size() / 4 * 3) {
            nameSlots[i] = {packed, value};
            ++nameSlotsUsed;
        }
        return value;
    }

    // A name of one to eight bytes as a word, its first byte lowest. Built
    // in a register: a word copied from memory of the name's length would
    // wait on the copy.
    static std::uint64_t packedName(std::string_view name, const char* end) {
        const auto* p = reinterpret_cast<const scan::Byte*>(name.data());
        if (end - name.data() >= 8) {
            const std::uint64_t word = scan::loadWord(p);
            return name.size() == 8 ? word : word & ((std::uint64_t{1} << (8 * name.size())) - 1);
        }
        std::uint64_t packed = 0;
        for (std::size_t i = 0; i < name.size(); ++i) {
            packed |= std::uint64_t{p[i]} << (8 * i);
        }
        return packed;
    }

    MOUTHKEY_COLD std::optional<std::size_t> lookUp(std::string_view name) {
        if (const auto known = drawingsOfNames.find(name); known != drawingsOfNames.end()) {
            return known->second;
        }
        const auto drawing = chart.drawingOf(name, choices.letters);
        if (drawingsOfNames.size() < 4096) {
            drawingsOfNames.emplace(std::string(name), drawing);
        }
        return drawing;
    }

    void feed(std::uint64_t cueFrame, std::string_view name, const CuePlace& place) {
        if (drawingTarget) {
            feedDrawing(cueFrame, name, name.data() + name.size(), place);
        } else {
            feedPosition(cueFrame, name, place);
        }
    }

    // The frame a cue's key lands on after the offset; nothing before frame
    // 0. After Effects holds a property's first key before it, so the last
    // key shifted before frame 0 becomes the key at frame 0, where it is in
    // force, unless one lands there; those before it are left out, with a
    // finding. `drawing` and `name` are the cue's, for that key.
    std::optional<std::uint64_t> keyFrame(std::uint64_t cueFrame, const CuePlace& place,
                                          std::size_t drawing, std::string_view name) {
        const auto frame = shiftedFrame(cueFrame, choices.offset);
        if (!frame) {
            holdBeforeZero(cueFrame, place, drawing, name);
        } else if (early) {
            settleEarly(*frame);
        }
        return frame;
    }

    MOUTHKEY_COLD void holdBeforeZero(std::uint64_t cueFrame, const CuePlace& place,
                                      std::size_t drawing, std::string_view name) {
        // After a key is written, one at frame 0 would follow a later one.
        if (beforeFrame != noKeyYet) {
            leaveOutBeforeZero(cueFrame, place);
            return;
        }
        if (early) {
            leaveOutBeforeZero(early->cueFrame, early->place);
        }
        early = Early{cueFrame, place, drawing, std::string(name)};
    }

    // The key held for frame 0, before the first key at `frame`: written,
    // or left out when that key is at frame 0 itself.
    MOUTHKEY_COLD void settleEarly(std::uint64_t frame) {
        const Early held = std::move(*early);
        early.reset();
        if (frame == 0) {
            leaveOutBeforeZero(held.cueFrame, held.place);
        } else {
            writeAtZero(held);
        }
    }

    void writeAtZero(const Early& held) {
        if (drawingTarget) {
            drawingTarget->put(0, held.drawing, {});
            beforeDrawing = held.drawing;
        } else {
            target->key({0, held.name, 0, {}});
            if (holds) {
                beforeName = held.name;
                beforeValue = mapping.find(held.name).value_or(held.name);
            }
        }
        beforeFrame = 0;
    }

    MOUTHKEY_COLD void leaveOutBeforeZero(std::uint64_t cueFrame, const CuePlace& place) {
        findings.add(Finding::Kind::BeforeFrameZero, place, "");
        firstBeforeZero = firstBeforeZero.value_or(cueFrame);
    }

    // Whether a key showing something new gets a hold step before it, given
    // the frame of the key before.
    static bool stepsBefore(bool holds, std::uint64_t frame, std::uint64_t before) {
        // Without branches: which way they go follows the take.
        return holds & (frame >= before) & (frame - before >= 2);
    }
    bool stepsBefore(std::uint64_t frame) const { return stepsBefore(holds, frame, beforeFrame); }

    // Time Remap and Slider Control: a name without a drawing is left out.
    // Inlined into the loop over a .dat text, through the target's own type.
    MOUTHKEY_INLINE void feedDrawing(std::uint64_t cueFrame, std::string_view name, const char* end,
                                     const CuePlace& place, std::string_view digits = {}) {
        keyDrawing(cueFrame, name, drawingOf(name, end), place, digits);
    }

    MOUTHKEY_INLINE void keyDrawing(std::uint64_t cueFrame, std::string_view name,
                                    std::optional<std::size_t> drawing, const CuePlace& place,
                                    std::string_view digits) {
        if (!drawing) {
            leaveOut(name, place);
            return;
        }
        const auto frame = keyFrame(cueFrame, place, *drawing, {});
        if (!frame) {
            return;
        }
        if (choices.offset != 0) {
            digits = {};
        }
        drawingTarget->putHeld((*drawing != beforeDrawing) & stepsBefore(*frame), *frame,
                               beforeDrawing, *drawing, digits);
        beforeFrame = *frame;
        beforeDrawing = *drawing;
    }

    // The cues of a .dat text, for Time Remap and Slider Control: runs of
    // usual lines as quickRun reads them, other lines as QuickLines reads
    // them, and from the first line that ends otherwise than at LF or CR LF
    // on, the text as the line reader reads it.
    void feedQuickDrawings(std::string_view text, LineSample& others);

    // Reads lines from lines.p for as long as they are usual ones, writing
    // their keys: up to eight digits without a leading zero, a space, and a
    // name of one to seven ASCII bytes above the space ending at LF or CR
    // LF. What the loop reads and writes lives in locals for the run, since
    // a store through a char* may alias any member. With `shifted` the keys
    // move by the offset, and their frames are written out; else the
    // frames' digits are copied.
    template <bool shifted> void quickRun(QuickLines& lines) {
        using Value = DrawingTarget::Value;
        constexpr auto lineRoom = static_cast<std::ptrdiff_t>(DrawingTarget::lineRoom);
        DrawingTarget& target = *drawingTarget;
        const Value* const values = target.values();
        const bool holding = holds;
        const char* p = lines.p;
        // Two words and the digits' sixteen bytes are read from p.
        if (lines.end - p < 32) {
            return;
        }
        const char* const last = lines.end - 32;
        // The key held for frame 0 waits for the next key, which the long way writes after it.
        if (shifted && early) {
            return;
        }
        std::uint64_t number = lines.number;
        auto [at, end] = target.place();
        std::uint64_t frameBefore = beforeFrame;
        std::size_t drawingBefore = beforeDrawing;
        std::uint64_t keys = 0;
        std::uint64_t steps = 0;
        while (p <= last) {
            std::uint64_t frame = 0;
            const int digits = leadingDigits(scan::loadWord(bytesAt(p)), frame);
            if (digits == 0 || p[digits] != ' ' || (*p == '0' && digits > 1)) {
                break;
            }
            const char* const name = p + digits + 1;
            const scan::Word word = scan::loadWord(bytesAt(name));
            // Spaces and control bytes end the name; only LF or CR LF may end
            // it here. Bytes from 0x80 up are left to the line reader, which
            // also ends lines at NEL and the Unicode separators.
            const int size = std::countr_zero(scan::bytesBelow(word, ' ' + 1)) / 8; // 8: none
            if (size == 0 || size == 8) {
                break;
            }
            const scan::Word packed = word & ((std::uint64_t{1} << (8 * size)) - 1);
            const bool crLf = name[size] == '\r' && name[size + 1] == '\n';
            if ((name[size] != '\n' && !crLf) || (packed & scan::highs) != 0) {
                break;
            }
            const std::string_view text(name, static_cast<std::size_t>(size));
            const std::int64_t drawing = drawingOfWord(packed, text);
            std::uint64_t key = frame;
            if constexpr (shifted) {
                const auto moved = shiftedFrame(frame, choices.offset);
                // What a key before frame 0 becomes is decided the long way.
                if (!moved && drawing >= 0) {
                    break;
                }
                key = moved.value_or(0);
            }
            const char* const frameDigits = p;
            p = name + size + 1 + (crLf ? 1 : 0);
            ++number;
            if (drawing < 0) {
                leaveOut(text, CuePlace{number, 0});
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
            const bool step = (shown != drawingBefore) & stepsBefore(holding, key, frameBefore);
            if constexpr (shifted) {
                char* const stepEnd = numberLine(at, key - 1, values[drawingBefore]);
                at = numberLine(step ? stepEnd : at, key, values[shown]);
            } else {
                char* const stepEnd =
                    quickLine<true>(at, frameDigits, digits, values[drawingBefore]);
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
        beforeFrame = frameBefore;
        beforeDrawing = drawingBefore;
    }

    // A key line at `at` for the frame of `digits` (one to eight, with
    // sixteen bytes readable), or with `earlier` the frame before it, of at
    // least 1; returns its end.
    template <bool earlier>
    MOUTHKEY_INLINE static char* quickLine(char* at, const char* digits, int count,
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
    MOUTHKEY_INLINE static char* numberLine(char* at, std::uint64_t frame,
                                            const DrawingTarget::Value& value) {
        *at++ = '\t';
        at = frameAt(at, frame);
        *at++ = '\t';
        std::memcpy(at, value.text.data(), 16);
        return at + value.size;
    }

    // A name the set does not know is the checks' to report: they name it,
    // and may say which was meant.
    MOUTHKEY_COLD void leaveOut(std::string_view name, const CuePlace& place) {
        if (mapping.find(name)) {
            findings.add(Finding::Kind::NoDrawing, place, [&] { return quotedText(name); });
        }
    }

    // Position: the key shows the name's value (a name the set does not know
    // is its own value), written as its .dat line.
    void feedPosition(std::uint64_t cueFrame, std::string_view name, const CuePlace& place) {
        const auto frame = keyFrame(cueFrame, place, 0, name);
        if (!frame) {
            return;
        }
        const std::string_view value = mapping.find(name).value_or(name);
        if (value != beforeValue && stepsBefore(*frame)) {
            target->key({*frame - 1, beforeName, 0, {}});
            ++positionHoldSteps;
        }
        target->key({*frame, name, 0, {}});
        beforeFrame = *frame;
        if (holds) {
            beforeName.assign(name);
            beforeValue.assign(value);
        }
    }

    TargetResult finish() {
        if (early) {
            writeAtZero(*early);
            early.reset();
        }
        target->tail();
        TargetResult result;
        result.keyframes = target->keyframes();
        result.holdSteps = drawingTarget ? drawingTarget->holdSteps() : positionHoldSteps;
        result.findings = findings.take();
        for (Finding& f : result.findings) {
            if (f.kind == Finding::Kind::BeforeFrameZero) {
                f.frames[0] = *firstBeforeZero;
            }
        }
        return result;
    }

    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };

    TargetChoices choices;
    ChunkSink sink;
    bool drawings;
    MouthChart chart;
    MappingTable mapping;
    bool holds;
    std::unique_ptr<DocumentTarget> target;
    DrawingTarget* drawingTarget = nullptr; // the target, when it is one of those
    std::unordered_map<std::string, std::optional<std::size_t>, NameHash, std::equal_to<>>
        drawingsOfNames;
    struct NameSlot {
        std::uint64_t packed = 0; // empty: no name packs to 0
        std::int64_t drawing = -1;
    };
    std::array<NameSlot, 256> nameSlots{};
    std::size_t nameSlotsUsed = 0;
    ReaderFindings findings;
    std::optional<std::uint64_t> firstBeforeZero;
    std::optional<Early> early; // the last cue shifted before frame 0, while no key is written
    // The key before, for the hold steps; before the first key, a frame no
    // key lies two after.
    static constexpr std::uint64_t noKeyYet = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t beforeFrame = noKeyYet;
    std::uint64_t positionHoldSteps = 0;
    std::size_t beforeDrawing = 0;
    std::string beforeName;
    std::string beforeValue;
};

TargetWriter::TargetWriter(const TargetChoices& choices, ChunkSink sink)
    : m_impl(std::make_unique<Impl>(choices, std::move(sink))) {}

TargetWriter::~TargetWriter() = default;

void TargetWriter::feed(std::uint64_t frame, std::string_view name, const CuePlace& place) {
    m_impl->feed(frame, name, place);
}

TargetResult TargetWriter::finish() {
    return m_impl->finish();
}

TargetResult writeTargetDocument(std::span<const Cue> cues, const TargetChoices& choices,
                                 const ChunkSink& sink) {
    TargetWriter writer(choices, sink);
    for (const Cue& cue : cues) {
        writer.feed(cue);
    }
    return writer.finish();
}

void readDatCues(std::string_view text,
                 const std::function<void(std::uint64_t frame, std::string_view name,
                                          const CuePlace& place)>& each,
                 LineSample& others) {
    forEachDatCue(
        text,
        [&each](std::uint64_t frame, std::string_view name, const CuePlace& place, const char*,
                std::string_view) { each(frame, name, place); },
        others);
}

void TargetWriter::feedDat(std::string_view text, LineSample& others) {
    Impl& impl = *m_impl;
    if (impl.drawingTarget) {
        impl.feedQuickDrawings(text, others);
        return;
    }
    forEachDatCue(
        text,
        [&impl](std::uint64_t frame, std::string_view name, const CuePlace& place, const char*,
                std::string_view) { impl.feedPosition(frame, name, place); },
        others);
}

void TargetWriter::Impl::feedQuickDrawings(std::string_view text, LineSample& others) {
    const auto each = [this](std::uint64_t frame, std::string_view name, const CuePlace& place,
                             const char* readable, std::string_view digits) {
        feedDrawing(frame, name, readable, place, digits);
    };
    // Values too long for the quick run's copies, which no usual rate gives:
    // the text as the cue path reads it.
    if (!drawingTarget->valuesFitHalfSlots()) {
        forEachDatCue(text, each, others);
        return;
    }
    QuickLines lines(text);
    while (lines.p < lines.end) {
        if (lines.header) {
            if (choices.offset == 0) {
                quickRun<false>(lines);
            } else {
                quickRun<true>(lines);
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

namespace {

// Findings about lines that are not "FRAME NAME", which a document from cues leaves out.
bool aboutOtherLines(Finding::Kind kind) {
    switch (kind) {
    case Finding::Kind::KeyframeDocument:
    case Finding::Kind::FrameNotWholeNumber:
    case Finding::Kind::NegativeFrame:
    case Finding::Kind::TabInLine:
    case Finding::Kind::MissingFrame:
    case Finding::Kind::MissingPhoneme:
    case Finding::Kind::ExtraSpaces:
    case Finding::Kind::ExtraTokens:
        return true;
    default:
        return false;
    }
}

bool aboutUnknownNames(Finding::Kind kind) {
    return kind == Finding::Kind::UnknownPhoneme || kind == Finding::Kind::OtherUnknownPhonemes ||
           kind == Finding::Kind::LetterMouthShapes;
}

} // namespace

std::vector<Finding> targetFindings(std::vector<Finding> checked, std::vector<Finding> written,
                                    const TargetChoices& choices) {
    if (choices.plainPosition()) {
        checked.insert(checked.end(), std::make_move_iterator(written.begin()),
                       std::make_move_iterator(written.end()));
        return checked;
    }
    const bool drawings = choices.target != Target::Position;
    const MouthChart chart = drawings ? choices.chartInUse() : MouthChart({});
    // A name of its own that the chart lists has a drawing.
    const auto charted = [&](const Finding& f) {
        for (const auto& names : chart.drawings()) {
            for (const std::string& name : names) {
                if (quotedText(name) == f.subject) {
                    return true;
                }
            }
        }
        return false;
    };
    bool otherLinesNamed = false;
    std::vector<Finding> findings;
    for (Finding& f : checked) {
        if (aboutOtherLines(f.kind)) {
            f.leftOut = true;
            otherLinesNamed = true;
        } else if (drawings && aboutUnknownNames(f.kind)) {
            if (f.kind == Finding::Kind::UnknownPhoneme && charted(f)) {
                continue;
            }
            f.leftOut = true;
        }
        findings.push_back(std::move(f));
    }
    for (Finding& f : written) {
        // The checks have said why each of those lines is no "FRAME NAME" line.
        if (f.kind == Finding::Kind::UnreadableLine && otherLinesNamed) {
            continue;
        }
        findings.push_back(std::move(f));
    }
    return findings;
}

Finding linesLeftOut(const LineSample& lines) {
    return {Finding::Kind::UnreadableLine,
            lines,
            lines.count == 1 ? "a line that is not FRAME NAME" : "lines that are not FRAME NAME",
            Finding::Hint::None,
            {},
            {}};
}

std::vector<Cue> datCues(std::string_view text, std::vector<Finding>* findings) {
    std::vector<Cue> cues;
    LineSample others;
    readDatCues(
        text,
        [&](std::uint64_t frame, std::string_view name, const CuePlace& place) {
            cues.push_back({frame, std::string(name), place});
        },
        others);
    if (findings && others.count > 0) {
        findings->push_back(linesLeftOut(others));
    }
    return cues;
}

std::string keyNumberText(double value) {
    char digits[400];
    char* const end = digits + sizeof digits;
    auto written = std::to_chars(digits, end, value, std::chars_format::general, 6).ptr;
    std::string_view text(digits, static_cast<std::size_t>(written - digits));
    if (text.find('e') != std::string_view::npos) {
        // Six significant digits without an exponent: as many decimals as
        // that takes, then no trailing zeros.
        int exponent = 0;
        const auto e = text.find('e') + 1;
        std::from_chars(text.data() + e + (text[e] == '+' ? 1 : 0), text.data() + text.size(),
                        exponent);
        written =
            std::to_chars(digits, end, value, std::chars_format::fixed, std::max(0, 5 - exponent))
                .ptr;
        text = std::string_view(digits, static_cast<std::size_t>(written - digits));
        if (text.find('.') != std::string_view::npos) {
            text = text.substr(0, text.find_last_not_of('0') + 1);
            if (text.ends_with('.')) {
                text.remove_suffix(1);
            }
        }
    }
    return text == "-0" ? "0" : std::string(text);
}

} // namespace mouthkey
