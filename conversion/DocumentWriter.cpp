#include "conversion/DocumentWriter.h"

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"

#include <ostream>

namespace mouthkey {

DocumentWriter::DocumentWriter(int setIndex, const FrameRate& rate, ChunkSink sink,
                               std::size_t bufferSize)
    : DocumentWriter(buildMapping(setIndex), rate, std::move(sink), bufferSize) {}

DocumentWriter::DocumentWriter(MappingTable mapping, const FrameRate& rate, ChunkSink sink,
                               std::size_t bufferSize)
    : m_rateLine(rateLine(rate)), m_sink(std::move(sink)),
      m_lines(
          std::move(mapping), [this](std::string_view chunk) { m_sink(chunk); }, bufferSize) {}

DocumentWriter::DocumentWriter(int setIndex, int rateIndex, ChunkSink sink, std::size_t bufferSize)
    : DocumentWriter(setIndex, FrameRate(rateIndex), std::move(sink), bufferSize) {}

void DocumentWriter::feed(std::string_view text) {
    writeHead();
    m_lines.feed(text);
}

void DocumentWriter::feedKeyframeLines(std::string_view lines, std::uint64_t count) {
    writeHead();
    m_lines.feedKeyframeLines(lines, count);
}

void DocumentWriter::finish() {
    writeHead();
    m_lines.finish();
    m_sink(documentTail());
}

void DocumentWriter::writeHead() {
    if (!m_headWritten) {
        m_headWritten = true;
        m_sink(documentHead(m_rateLine));
    }
}

void writeDocument(std::string_view text, int setIndex, int rateIndex, std::ostream& out) {
    DocumentWriter writer(setIndex, rateIndex, [&out](std::string_view chunk) {
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    });
    writer.feed(text);
    writer.finish();
}

} // namespace mouthkey
