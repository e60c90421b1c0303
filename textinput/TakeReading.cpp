#include "textinput/TakeReading.h"

#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace mouthkey {

std::string textStart(QByteArrayView raw) {
    // Enough for any format's first line and a document's opening.
    constexpr qsizetype looked = 4096;
    const auto marked = QStringConverter::encodingForData(raw);
    if (!marked || *marked == QStringConverter::Utf8) {
        // UTF-16 without a mark reads as NULs between the characters, which
        // never start another format; plain UTF-8 needs no decoding.
        if (!marked && raw.size() >= 2 && (raw[0] == 0) != (raw[1] == 0)) {
            const auto probe = decodeToUtf8(raw.first(std::min(raw.size(), looked) & ~1));
            return probe.text;
        }
        raw = raw.first(std::min(raw.size(), looked + 3));
        if (raw.startsWith("\xEF\xBB\xBF")) {
            raw = raw.sliced(3);
        }
        return std::string(raw.data(), static_cast<std::size_t>(raw.size()));
    }
    QStringDecoder decoder(*marked);
    const QString start = decoder.decode(raw.first(std::min(raw.size(), looked)));
    return start.toStdString();
}

std::optional<Take> readTake(const TimingFormat& format, std::string_view text) {
    if (format.streams) {
        return std::nullopt;
    }
    return format.read(text);
}

IoError unknownFormatError() {
    QStringList tried;
    for (const TimingFormat& format : timingFormats()) {
        tried << toQString(format.title);
    }
    return {IoError::Kind::UnknownFormat,
            QStringLiteral("it looks like an XML or JSON document, but not one of %1; "
                           "read it with --from to say which it is")
                .arg(tried.join(QStringLiteral(", ")))};
}

VoiceChoice chooseVoice(const Take& take, const std::optional<QString>& wanted) {
    if (!wanted || take.voices.empty()) {
        return {};
    }
    const std::string name = wanted->toStdString();
    for (std::size_t i = 0; i < take.voices.size(); ++i) {
        if (take.voices[i].name == name) {
            return {i, std::nullopt};
        }
    }
    bool isNumber = false;
    const qulonglong index = wanted->toULongLong(&isNumber);
    if (isNumber && index >= 1 && index <= take.voices.size()) {
        return {static_cast<std::size_t>(index - 1), std::nullopt};
    }
    QStringList voices;
    for (std::size_t i = 0; i < take.voices.size(); ++i) {
        voices << QStringLiteral("%1 '%2'").arg(i + 1).arg(toQString(take.voices[i].name));
    }
    return {0, IoError{IoError::Kind::NoSuchVoice,
                       QStringLiteral("no voice '%1' (its voices: %2)")
                           .arg(*wanted, voices.join(QStringLiteral(", ")))}};
}

} // namespace mouthkey
