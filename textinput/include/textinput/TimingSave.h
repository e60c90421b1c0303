#pragma once

#include "conversion/Take.h"
#include "conversion/TimingWriting.h"
#include "textinput/IoError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <span>
#include <string_view>

namespace mouthkey {

// How a timing file's text was stored, so that a save stores it alike.
struct TextEncoding {
    enum class Form { Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };
    Form form = Form::Utf8;
    // Whether the bytes open with a byte-order mark; UTF-16 without one was
    // guessed (see EncodingGuess).
    bool byteOrderMark = false;
    friend bool operator==(const TextEncoding&, const TextEncoding&) = default;
};

// The encoding of a file's bytes as decodeToUtf8 reads them: by the mark,
// else UTF-16 where it guesses so, else UTF-8.
TextEncoding encodingOf(QByteArrayView raw);

// UTF-8 text in an encoding. UTF-16 without a mark gets one where the bytes
// would not be guessed as UTF-16 again (a character from U+0100 up), so that
// they always read back as the same text.
QByteArray encodedText(std::string_view utf8, TextEncoding encoding);

// Writes cues as a file of `format` (one whose row writes), in the encoding,
// replacing the file only once the whole text is written, so that a failed
// save leaves it as it was.
std::optional<IoError> saveTimingFile(const QString& path, const TimingFormat& format,
                                      std::span<const Cue> cues, const TimingTextStyle& style,
                                      TextEncoding encoding);

} // namespace mouthkey
