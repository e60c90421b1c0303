#pragma once

#include "conversion/ChunkSink.h"
#include "conversion/MappingTables.h"

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
    // Keyframe lines made elsewhere as this converter makes them, `count` of
    // them, after those of the text fed so far, whose last line ends here.
    void feedKeyframeLines(std::string_view lines, std::uint64_t count);
    // Converts what is held back and hands all pending output to the sink.
    void finish();

    std::uint64_t keyframeCount() const noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The keyframe lines for a whole text; empty when it has no data line.
std::string convertDataLines(std::string_view text, const MappingTable& mapping);

// The same, written to a stream in chunks.
void convertDataLines(std::string_view text, const MappingTable& mapping, std::ostream& out);

} // namespace mouthkey
