#pragma once

#include "conversion/ChunkSink.h"
#include "conversion/DataLineConversion.h"
#include "conversion/KeyframeDocument.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace mouthkey {

// Writes the whole keyframe document for a timing text fed in chunks: the
// head, the keyframe lines and the tail, to a sink in chunks of bounded size.
// The result is the text assembleDocument gives for the same choices, never
// held whole in memory.
//
// The head goes out with the first text fed (or at finish), so a writer that
// is dropped before any text arrived has written nothing at all.
class DocumentWriter {
public:
    DocumentWriter(int setIndex, const FrameRate& rate, ChunkSink sink,
                   std::size_t bufferSize = DataLineConverter::defaultBufferSize);
    DocumentWriter(int setIndex, int rateIndex, ChunkSink sink,
                   std::size_t bufferSize = DataLineConverter::defaultBufferSize);
    // With a table of its own, such as one that reads letter mouth shapes.
    DocumentWriter(MappingTable mapping, const FrameRate& rate, ChunkSink sink,
                   std::size_t bufferSize = DataLineConverter::defaultBufferSize);
    DocumentWriter(const DocumentWriter&) = delete;
    DocumentWriter& operator=(const DocumentWriter&) = delete;

    void feed(std::string_view text);
    // Keyframe lines made elsewhere as the converter makes them, `count` of them.
    void feedKeyframeLines(std::string_view lines, std::uint64_t count);
    // Writes what is still pending and the tail; call it once, at the end.
    void finish();

    std::uint64_t keyframeCount() const noexcept { return m_lines.keyframeCount(); }

private:
    void writeHead();

    std::string m_rateLine;
    ChunkSink m_sink;
    DataLineConverter m_lines;
    bool m_headWritten = false;
};

// The whole document for a text, written to a stream in chunks.
void writeDocument(std::string_view text, int setIndex, int rateIndex, std::ostream& out);

} // namespace mouthkey
