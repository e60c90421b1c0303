#pragma once

#include "conversion/ChunkSink.h"
#include "conversion/MappingTables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace mouthkey {

// Turns the text of a timing file into keyframe lines, one pass, in chunks.
//
// Text is UTF-8. Lines end at LF, VT, FF, CR, NEL, LINE SEPARATOR or PARAGRAPH
// SEPARATOR; empty lines are dropped and the first non-empty line (the header)
// is skipped. Every space-separated token that names a phoneme (or, with a
// table built with letters, a letter mouth shape) becomes its position value;
// all other bytes pass through untouched, valid UTF-8 or not.
//
// Input may arrive in chunks cut anywhere, even inside a separator; only an
// unfinished line is held back, so memory stays bounded by the longest line.
class DataLineConverter {
public:
    static constexpr std::size_t defaultBufferSize = 64 * 1024;

    DataLineConverter(MappingTable mapping, ChunkSink sink,
                      std::size_t bufferSize = defaultBufferSize);
    ~DataLineConverter();
    DataLineConverter(const DataLineConverter&) = delete;
    DataLineConverter& operator=(const DataLineConverter&) = delete;

    void feed(std::string_view chunk);
    // Converts what is held back and hands all pending output to the sink.
    void finish();

    std::uint64_t keyframeCount() const noexcept { return m_keyframes; }

private:
    // A position value padded to a fixed width, so that the hot loop copies
    // it with one constant-size store and then advances by its real size.
    struct ValueSlot {
        char bytes[MappingTable::maxValueSize];
        unsigned char size;
    };
    static constexpr std::size_t slotWidth = sizeof(ValueSlot::bytes);

    void convertLines(std::string_view text);
    void write(const char* data, std::size_t size);
    void flush();

    MappingTable m_mapping;
    std::array<ValueSlot, lookupNames.size()> m_slots{};
    ChunkSink m_sink;
    std::unique_ptr<char[]> m_buffer;
    char* m_write;
    char* m_end;
    std::string m_carry;
    bool m_headerSkipped = false;
    std::uint64_t m_keyframes = 0;
};

// The keyframe lines for a whole text; empty when it has no data line.
std::string convertDataLines(std::string_view text, const MappingTable& mapping);

// The same, written to a stream in chunks.
void convertDataLines(std::string_view text, const MappingTable& mapping, std::ostream& out);

} // namespace mouthkey
