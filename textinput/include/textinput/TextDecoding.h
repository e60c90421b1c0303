#pragma once

#include "conversion/ChunkSink.h"
#include "textinput/IoError.h"

#include <QByteArrayView>

#include <optional>
#include <string>

namespace mouthkey {

// Decodes a timing file's bytes to UTF-8. A byte-order mark picks UTF-8,
// UTF-16 or UTF-32 and is dropped; without one the bytes must be UTF-8.
// Bytes that are not valid text in that encoding are an error: nothing is
// ever replaced or guessed.
//
// The sink sees the text in chunks, and only once the whole input is known
// to be valid, so a caller never has to take back a partial result.
std::optional<IoError> decodeToUtf8Chunks(QByteArrayView raw, const ChunkSink& sink);

struct DecodedText {
    std::string text;
    std::optional<IoError> error;
};

DecodedText decodeToUtf8(QByteArrayView raw);

} // namespace mouthkey
