#pragma once

// Position's keyframe lines: the values a table gives its entries, laid out
// for fixed-size copies, and the line a cue's "FRAME NAME" line converts to.
// Private to the conversion library.
#include "conversion/MappingTables.h"

#include "FrameText.h"
#include "KeySlots.h"
#include "LineScan.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace mouthkey {

// A value padded to a fixed width, so that a hot loop copies it with one
// constant-size store and then advances by its real size.
struct ValueSlot {
    char bytes[MappingTable::maxValueSize];
    unsigned char size;
};

// What the converter writes for each entry of a table.
struct PositionValues {
    static constexpr std::size_t width = sizeof(ValueSlot::bytes);

    explicit PositionValues(const MappingTable& mapping) {
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const std::string_view value = mapping.entryOutput(i);
            std::memcpy(slots[i].bytes, value.data(), value.size());
            slots[i].size = static_cast<unsigned char>(value.size());
        }
    }

    std::array<ValueSlot, lookupNames.size()> slots{};
};

// A frame's digits are written as they stand: no entry opens with a digit,
// so the converter never reads a frame as a name either.
static_assert([] {
    for (const std::string_view name : lookupNames) {
        if (name.empty() || (name[0] >= '0' && name[0] <= '9')) {
            return false;
        }
    }
    return true;
}());

// What the converter writes for a token: its entry's value, or else the
// token itself; either way with how many bytes may be read from its start.
struct TokenOutput {
    const char* bytes;
    std::size_t size;
    std::size_t readable;
};
MOUTHKEY_INLINE TokenOutput tokenOutput(const PositionValues& values, const char* token,
                                        std::size_t size, std::size_t readable) {
    if (size - 1 < 4) {
        // Letters are entries too, so a table that reads them needs no pass of its own.
        // MappingTable::entryIndex, inlined here as keyIndexPadded is.
        const int index =
            readable >= 4 ? scan::keyIndexPadded<&keys::KeySlot::entry>(
                                reinterpret_cast<const scan::Byte*>(token), size)
                          : keys::slotFieldOf<&keys::KeySlot::entry>(std::string_view(token, size));
        // Selects rather than branches: whether a token is a phoneme name
        // follows no pattern a predictor could learn.
        const bool found = index >= 0;
        const ValueSlot& slot = values.slots[found ? static_cast<std::size_t>(index) : 0];
        return {found ? slot.bytes : token, found ? slot.size : size,
                found ? PositionValues::width : readable};
    }
    return {token, size, readable};
}

// Whether the converter reads a name as one token of its line: with no
// space, nothing that may end a line, and not empty.
inline bool isOneToken(std::string_view name) {
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b == ' ' || (b >= '\n' && b <= '\r') || b == 0xC2 || b == 0xE2) {
            return false;
        }
    }
    return !name.empty();
}

// Room a keyframe line needs past its name's size: a tab, the frame's
// twenty digits (and the eight-byte store of eight), a space, a value's
// padded width and the LF.
inline constexpr std::size_t keyframeLineRoom = 1 + 28 + 1 + PositionValues::width + 1;

// The keyframe line the converter writes for a cue's line "FRAME NAME",
// where the name isOneToken: a tab, the frame, a space, the name's value (the
// name itself, where the table has none) and an LF. `digits` are the
// frame's as its line holds them, up to eight with eight bytes readable
// from their start; where they are empty, the frame is written out. Past the
// name, `readable` bytes may be read from its start. At `at`, with
// keyframeLineRoom bytes past the name's size; returns the line's end.
MOUTHKEY_INLINE char* keyframeLineAt(char* at, const PositionValues& values, std::uint64_t frame,
                                     std::string_view digits, std::string_view name,
                                     std::size_t readable) {
    *at++ = '\t';
    if (!digits.empty()) {
        scan::storeWord(at, scan::loadWord(scan::bytes(digits)));
        at += digits.size();
    } else {
        at = frameAt(at, frame);
    }
    *at++ = ' ';
    const TokenOutput out = tokenOutput(values, name.data(), name.size(), readable);
    if (out.size <= PositionValues::width && out.readable >= PositionValues::width) {
        std::memcpy(at, out.bytes, PositionValues::width);
    } else {
        std::memcpy(at, out.bytes, out.size);
    }
    at += out.size;
    *at++ = '\n';
    return at;
}

// Keyframe lines gathered a batch at a time, each batch to
// `flush(lines, count)`.
template <class Flush> class KeyframeBatch {
public:
    KeyframeBatch(const PositionValues& values, Flush flush)
        : m_values(values), m_flush(std::move(flush)),
          m_lines(std::make_unique<char[]>(batch + keyframeLineRoom + longName)),
          m_at(m_lines.get()) {}

    // A line as keyframeLineAt writes it.
    MOUTHKEY_INLINE void add(std::uint64_t frame, std::string_view digits, std::string_view name,
                             std::size_t readable) {
        if (name.size() > longName) {
            addLong(frame, name);
            return;
        }
        m_at = keyframeLineAt(m_at, m_values, frame, digits, name, readable);
        ++m_count;
        if (m_at >= m_lines.get() + batch) {
            flush();
        }
    }
    void flush() {
        if (m_count > 0) {
            m_flush(std::string_view(m_lines.get(), static_cast<std::size_t>(m_at - m_lines.get())),
                    m_count);
        }
        m_at = m_lines.get();
        m_count = 0;
    }

private:
    static constexpr std::size_t batch = 64 * 1024;
    static constexpr std::size_t longName = 256;

    MOUTHKEY_COLD void addLong(std::uint64_t frame, std::string_view name) {
        flush();
        std::string line(name.size() + keyframeLineRoom, '\0');
        char* const end = keyframeLineAt(line.data(), m_values, frame, {}, name, name.size());
        m_flush(std::string_view(line.data(), static_cast<std::size_t>(end - line.data())), 1);
    }

    const PositionValues& m_values;
    Flush m_flush;
    std::unique_ptr<char[]> m_lines;
    char* m_at;
    std::uint64_t m_count = 0;
};

} // namespace mouthkey
