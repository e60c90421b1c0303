#include "textinput/DecodedDocument.h"

#include "conversion/DocumentWriter.h"
#include "textinput/TextDecoding.h"

namespace mouthkey {

std::optional<IoError> writeDecodedDocument(QByteArrayView raw, int setIndex, int rateIndex,
                                            const ChunkSink& sink, std::size_t bufferSize) {
    // The decoder calls back only once the whole input is known to be valid,
    // and the writer holds its head back until the first text arrives.
    DocumentWriter writer(setIndex, rateIndex, sink, bufferSize);
    if (auto error =
            decodeToUtf8Chunks(raw, [&writer](std::string_view text) { writer.feed(text); })) {
        return error;
    }
    writer.finish();
    return std::nullopt;
}

} // namespace mouthkey
