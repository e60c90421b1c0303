#pragma once

// The document writer Time Remap and Slider Control share: key lines of a
// frame and a drawing's value, written into a buffer in place. Private to
// the conversion library.
#include "conversion/DocumentTarget.h"
#include "conversion/KeyframeDocument.h"

#include "FrameText.h"
#include "LineScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace mouthkey {

// The digits of one frame less than `digits`, a frame of at least 2, in `to`.
inline std::string_view oneLess(std::string_view digits, std::array<char, 16>& to) {
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

// Time Remap and Slider Control: one property, one value a key, each line
// ending in a tab as After Effects copies them.
class DrawingTarget final : public DocumentTarget {
public:
    // `property`: the lines that name the property, after the source's;
    // `values`: each drawing's key value.
    DrawingTarget(const FrameRate& rate, std::string_view property,
                  const std::vector<double>& values, const ChunkSink& sink)
        : m_sink(sink), m_rate(rate), m_property(property), m_buffer(new char[firstBufferSize]),
          m_at(m_buffer.get()), m_end(m_at + firstBufferSize) { // not cleared: written first
        // A drawing's value is the same in every key: written once, into a
        // slot copied whole, which is quicker than copying its length.
        m_values.resize(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string text = keyNumberText(values[i]) + "\t\n";
            m_values[i].size = std::min(text.size(), m_values[i].text.size());
            std::memcpy(m_values[i].text.data(), text.data(), m_values[i].size);
        }
    }

    void head() override {
        // The same bytes as Position's head, without its property.
        const std::string source = documentHead(rateLine(m_rate));
        write(std::string_view(source).substr(0, source.find("Transform\t")));
        write(m_property);
    }
    void key(const TargetKey& key) override { put(key.frame, key.drawing, key.digits); }
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
    std::string_view m_property;
    std::vector<Value> m_values;
    std::unique_ptr<char[]> m_buffer;
    char* m_at;
    char* m_end;
    std::uint64_t m_keyframes = 0;
    std::uint64_t m_holdSteps = 0;
};

} // namespace mouthkey
