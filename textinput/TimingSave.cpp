#include "textinput/TimingSave.h"

#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QSaveFile>
#include <QStringEncoder>

namespace mouthkey {

namespace {

QStringConverter::Encoding qtEncoding(TextEncoding::Form form) {
    switch (form) {
    case TextEncoding::Form::Utf16LE:
        return QStringConverter::Utf16LE;
    case TextEncoding::Form::Utf16BE:
        return QStringConverter::Utf16BE;
    case TextEncoding::Form::Utf32LE:
        return QStringConverter::Utf32LE;
    case TextEncoding::Form::Utf32BE:
        return QStringConverter::Utf32BE;
    case TextEncoding::Form::Utf8:
        break;
    }
    return QStringConverter::Utf8;
}

IoError unwritable(QString reason) {
    return {IoError::Kind::Unwritable, std::move(reason)};
}

} // namespace

TextEncoding encodingOf(QByteArrayView raw) {
    if (const auto marked = QStringConverter::encodingForData(raw)) {
        switch (*marked) {
        case QStringConverter::Utf16LE:
            return {TextEncoding::Form::Utf16LE, true};
        case QStringConverter::Utf16BE:
            return {TextEncoding::Form::Utf16BE, true};
        case QStringConverter::Utf32LE:
            return {TextEncoding::Form::Utf32LE, true};
        case QStringConverter::Utf32BE:
            return {TextEncoding::Form::Utf32BE, true};
        default:
            return {TextEncoding::Form::Utf8, true};
        }
    }
    switch (unmarkedUtf16(raw)) {
    case EncodingGuess::Utf16LE:
        return {TextEncoding::Form::Utf16LE, false};
    case EncodingGuess::Utf16BE:
        return {TextEncoding::Form::Utf16BE, false};
    case EncodingGuess::None:
        break;
    }
    return {};
}

QByteArray encodedText(std::string_view utf8, TextEncoding encoding) {
    if (encoding.form == TextEncoding::Form::Utf8 && !encoding.byteOrderMark) {
        return {utf8.data(), static_cast<qsizetype>(utf8.size())};
    }
    const QString text = toQString(utf8);
    const auto encode = [&](bool mark) {
        QStringEncoder encoder(qtEncoding(encoding.form), mark ? QStringConverter::Flag::WriteBom
                                                               : QStringConverter::Flag::Default);
        return QByteArray(encoder.encode(text));
    };
    const bool utf16 = encoding.form == TextEncoding::Form::Utf16LE ||
                       encoding.form == TextEncoding::Form::Utf16BE;
    if (encoding.byteOrderMark || !utf16) {
        return encode(true); // UTF-32 is read only by its mark
    }
    QByteArray bytes = encode(false);
    const EncodingGuess guessed = encoding.form == TextEncoding::Form::Utf16LE
                                      ? EncodingGuess::Utf16LE
                                      : EncodingGuess::Utf16BE;
    return bytes.isEmpty() || unmarkedUtf16(bytes) == guessed ? bytes : encode(true);
}

std::optional<IoError> saveTimingFile(const QString& path, const TimingFormat& format,
                                      std::span<const Cue> cues, const TimingTextStyle& style,
                                      TextEncoding encoding) {
    if (!format.write) {
        return unwritable(
            QStringLiteral("Mouthkey does not write %1 files").arg(toQString(format.title)));
    }
    const QByteArray bytes = encodedText(format.write(cues, style), encoding);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return unwritable(file.errorString());
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return unwritable(reason);
    }
    if (!file.commit()) {
        return unwritable(file.errorString());
    }
    return std::nullopt;
}

} // namespace mouthkey
