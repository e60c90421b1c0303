#include "textinput/TakeReading.h"

#include "conversion/PapagayoPgo.h"
#include "conversion/RhubarbTsv.h"
#include "textinput/PapagayoPg2.h"
#include "textinput/RhubarbDocuments.h"
#include "textinput/TextDecoding.h"
#include "textinput/Utf8Text.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace mouthkey {

namespace {

constexpr std::string_view blanks = " \t\r\n\f\v";

std::string_view skipBlanks(std::string_view text) {
    const auto at = text.find_first_not_of(blanks);
    return at == std::string_view::npos ? std::string_view() : text.substr(at);
}

std::string_view firstLine(std::string_view text) {
    const auto end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "0.05<TAB>X", as the seconds of a TSV are written; with `loose`, also a
// whole number of seconds, which only a .tsv name makes likely.
bool looksLikeSecondsLine(std::string_view line, bool loose) {
    std::size_t at = 0;
    while (at < line.size() && isDigit(line[at])) {
        ++at;
    }
    if (at == 0) {
        return false;
    }
    if (at < line.size() && line[at] == '.') {
        const std::size_t point = at++;
        while (at < line.size() && isDigit(line[at])) {
            ++at;
        }
        if (at == point + 1) {
            return false;
        }
    } else if (!loose) {
        return false;
    }
    return at + 1 < line.size() && line[at] == '\t' && line[at + 1] != '\t' && line[at + 1] != ' ';
}

bool opensDocument(std::string_view text) {
    const std::string_view start = skipBlanks(text);
    return !start.empty() && (start[0] == '<' || start[0] == '{' || start[0] == '[');
}

bool isProjectLine(std::string_view line) {
    return line.starts_with("lipsync version");
}

} // namespace

std::optional<TimingFormat> detectFormat(std::string_view text, const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    const std::string_view start = skipBlanks(text);
    if (isProjectLine(firstLine(start))) {
        return TimingFormat::PapagayoPgo;
    }
    if (start.starts_with('<')) {
        if (text.find("<rhubarbResult") != std::string_view::npos) {
            return TimingFormat::RhubarbXml;
        }
        return std::nullopt;
    }
    if (start.starts_with('{') || start.starts_with('[')) {
        const bool cues = text.find("\"mouthCues\"") != std::string_view::npos;
        const bool voices = text.find("\"voices\"") != std::string_view::npos;
        if (cues && voices) {
            return extension == QLatin1String("pg2") ? TimingFormat::PapagayoPg2
                                                     : TimingFormat::RhubarbJson;
        }
        if (cues || voices) {
            return cues ? TimingFormat::RhubarbJson : TimingFormat::PapagayoPg2;
        }
        return std::nullopt;
    }
    if (looksLikeSecondsLine(firstLine(start), extension == QLatin1String("tsv"))) {
        return TimingFormat::RhubarbTsv;
    }
    return TimingFormat::Dat;
}

bool mayBeOtherThanDat(std::string_view start) {
    const std::string_view line = firstLine(skipBlanks(start));
    return opensDocument(start) || isProjectLine(line) || looksLikeSecondsLine(line, true);
}

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

bool isTimingFileExtension(const QString& extension) {
    const QString lower = extension.toLower();
    return std::any_of(timingFileExtensions.begin(), timingFileExtensions.end(),
                       [&](std::string_view known) { return lower == toQString(known); });
}

std::optional<Take> readTake(TimingFormat format, std::string_view text) {
    switch (format) {
    case TimingFormat::Dat:
        return std::nullopt;
    case TimingFormat::RhubarbTsv:
        return readRhubarbTsv(text);
    case TimingFormat::RhubarbXml:
        return readRhubarbXml(text);
    case TimingFormat::RhubarbJson:
        return readRhubarbJson(text);
    case TimingFormat::PapagayoPgo:
        return readPapagayoPgo(text);
    case TimingFormat::PapagayoPg2:
        return readPapagayoPg2(text);
    }
    return std::nullopt;
}

IoError unknownFormatError() {
    QStringList tried;
    for (const TimingFormat format : timingFormats) {
        tried << toQString(formatTitle(format));
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
