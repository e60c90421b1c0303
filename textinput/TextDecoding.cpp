#include "textinput/TextDecoding.h"

#include <QString>
#include <QStringDecoder>

#include <cstdint>

namespace mouthkey {

namespace {

constexpr qsizetype decodeChunkSize = 1 << 20;

IoError undecodable(QStringConverter::Encoding encoding) {
    QString name = QString::fromLatin1(QStringConverter::nameForEncoding(encoding));
    // The byte order is part of the mark, not something a user chose.
    if (name.endsWith(QLatin1String("LE")) || name.endsWith(QLatin1String("BE"))) {
        name.chop(2);
    }
    return {IoError::Kind::Undecodable, name};
}

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// Qt's UTF-32 decoder passes surrogate code points through as UTF-16 units,
// where a high one followed by a low one would read as a valid pair; none of
// them is a character, so check the units themselves.
bool utf32UnitsAreCharacters(QByteArrayView raw, bool bigEndian) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.data());
    for (qsizetype at = 0; at + 4 <= raw.size(); at += 4) {
        const unsigned char* b = bytes + at;
        const std::uint32_t unit =
            bigEndian ? (std::uint32_t{b[0]} << 24) | (b[1] << 16) | (b[2] << 8) | b[3]
                      : (std::uint32_t{b[3]} << 24) | (b[2] << 16) | (b[1] << 8) | b[0];
        if ((unit >= 0xD800 && unit <= 0xDFFF) || unit > 0x10FFFF) {
            return false;
        }
    }
    return true;
}

// Decodes UTF-16 or UTF-32 in chunks; returns false at the first invalid
// unit. With a null sink it only validates.
bool decodeWide(QByteArrayView raw, QStringConverter::Encoding encoding, const ChunkSink* sink) {
    const qsizetype unit =
        (encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE) ? 2 : 4;
    if (raw.size() % unit != 0) {
        return false; // a truncated last character
    }
    if (unit == 4 && !sink &&
        !utf32UnitsAreCharacters(raw, encoding == QStringConverter::Utf32BE)) {
        return false;
    }
    QStringDecoder decoder(encoding); // skips the initial byte-order mark
    QString pendingHighSurrogate;
    for (qsizetype at = 0; at < raw.size(); at += decodeChunkSize) {
        QString text = pendingHighSurrogate +
                       decoder.decode(raw.sliced(at, std::min(decodeChunkSize, raw.size() - at)));
        if (decoder.hasError()) {
            return false;
        }
        // A surrogate pair may straddle two chunks: keep its first half back.
        pendingHighSurrogate.clear();
        if (!text.isEmpty() && text.back().isHighSurrogate()) {
            pendingHighSurrogate = text.back();
            text.chop(1);
        }
        if (!QStringView(text).isValidUtf16()) {
            return false;
        }
        if (sink) {
            (*sink)(view(text.toUtf8()));
        }
    }
    return pendingHighSurrogate.isEmpty();
}

} // namespace

// UTF-16 without a mark, where nothing else is likely: at least one
// character, a NUL in every other byte and in none of the others. Read as
// UTF-8 such a file gives a NUL in every line and no name right.
EncodingGuess unmarkedUtf16(QByteArrayView raw) {
    if (raw.size() < 2 || raw.size() % 2 != 0 || (raw[0] == 0) == (raw[1] == 0)) {
        return EncodingGuess::None;
    }
    const qsizetype nulAt = raw[0] == 0 ? 0 : 1;
    for (qsizetype at = 0; at < raw.size(); at += 2) {
        if (raw[at + nulAt] != 0 || raw[at + 1 - nulAt] == 0) {
            return EncodingGuess::None;
        }
    }
    return nulAt == 1 ? EncodingGuess::Utf16LE : EncodingGuess::Utf16BE;
}

std::optional<IoError> decodeToUtf8Chunks(QByteArrayView raw, const ChunkSink& sink,
                                          EncodingGuess* guess) {
    const auto marked = QStringConverter::encodingForData(raw);
    const EncodingGuess guessed = marked ? EncodingGuess::None : unmarkedUtf16(raw);
    if (guess) {
        *guess = guessed;
    }
    auto encoding = marked.value_or(QStringConverter::Utf8);
    if (guessed != EncodingGuess::None) {
        encoding = guessed == EncodingGuess::Utf16LE ? QStringConverter::Utf16LE
                                                     : QStringConverter::Utf16BE;
    }
    if (encoding == QStringConverter::Utf8) {
        if (raw.startsWith("\xEF\xBB\xBF")) {
            raw = raw.sliced(3);
        }
        if (!raw.isValidUtf8()) {
            return undecodable(QStringConverter::Utf8);
        }
        if (!raw.isEmpty()) {
            sink(std::string_view(raw.data(), static_cast<std::size_t>(raw.size())));
        }
        return std::nullopt;
    }
    // Validate first, so that the sink never sees the start of a bad file.
    if (!decodeWide(raw, encoding, nullptr)) {
        return undecodable(encoding);
    }
    decodeWide(raw, encoding, &sink);
    return std::nullopt;
}

DecodedText decodeToUtf8(QByteArrayView raw) {
    DecodedText result;
    result.error = decodeToUtf8Chunks(
        raw, [&](std::string_view chunk) { result.text.append(chunk); }, &result.guess);
    return result;
}

QString encodingGuessNotice(EncodingGuess guess) {
    switch (guess) {
    case EncodingGuess::Utf16LE:
        return QStringLiteral("read as UTF-16 (little-endian): the file has no byte-order mark");
    case EncodingGuess::Utf16BE:
        return QStringLiteral("read as UTF-16 (big-endian): the file has no byte-order mark");
    case EncodingGuess::None:
        break;
    }
    return {};
}

} // namespace mouthkey
