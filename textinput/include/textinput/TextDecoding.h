#pragma once

#include "conversion/ChunkSink.h"
#include "textinput/IoError.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string>

namespace mouthkey {

// How bytes without a byte-order mark were read when they were plainly
// UTF-16: a NUL in every other byte, and in none of the others, throughout.
enum class EncodingGuess {
    None, // read as the mark says, or as UTF-8
    Utf16LE,
    Utf16BE,
};

// How bytes without a byte-order mark are guessed: as UTF-16 when they are
// plainly that (see EncodingGuess), else None.
EncodingGuess unmarkedUtf16(QByteArrayView raw);

// Decodes a timing file's bytes to UTF-8. A byte-order mark picks UTF-8,
// UTF-16 or UTF-32 and is dropped; without one the bytes must be UTF-8,
// unless they are plainly UTF-16 (see EncodingGuess), which `guess` then
// reports. Bytes that are not valid text in that encoding are an error:
// nothing is ever replaced.
//
// The sink sees the text in chunks, and only once the whole input is known
// to be valid, so a caller never has to take back a partial result.
std::optional<IoError> decodeToUtf8Chunks(QByteArrayView raw, const ChunkSink& sink,
                                          EncodingGuess* guess = nullptr);

struct DecodedText {
    std::string text;
    std::optional<IoError> error;
    EncodingGuess guess = EncodingGuess::None;
};

DecodedText decodeToUtf8(QByteArrayView raw);

// The notice for a guess, e.g. "read as UTF-16 (little-endian): the file has
// no byte-order mark"; empty for EncodingGuess::None.
QString encodingGuessNotice(EncodingGuess guess);

} // namespace mouthkey
