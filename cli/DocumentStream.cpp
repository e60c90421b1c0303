#include "cli/DocumentStream.h"

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "textinput/TextDecoding.h"

namespace mouthkey {

std::optional<TextInputError> streamDocument(QByteArrayView raw, int setIndex, int rateIndex,
                                             const ChunkSink& sink, std::size_t bufferSize) {
    // The decoder calls back only once the whole input is known to be valid,
    // so the head waits for that first call (or for the end of an empty input).
    bool headWritten = false;
    const auto writeHead = [&] {
        if (!headWritten) {
            headWritten = true;
            sink(documentHead(rateLine(rateIndex)));
        }
    };
    DataLineConverter converter(buildMapping(setIndex), sink, bufferSize);
    if (auto error = decodeToUtf8Chunks(raw, [&](std::string_view text) {
            writeHead();
            converter.feed(text);
        })) {
        return error;
    }
    writeHead();
    converter.finish();
    sink(documentTail());
    return std::nullopt;
}

} // namespace mouthkey
