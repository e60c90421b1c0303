#include "textinput/RhubarbDocuments.h"

#include "conversion/TextPlaces.h"
#include "textinput/JsonReading.h"

#include "conversion/RhubarbTsv.h"
#include "textinput/Utf8Text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <algorithm>
#include <span>

namespace mouthkey {

namespace {

// Qt words its parsers' errors as sentences; a finding goes on after them.
std::string parserMessage(QString text) {
    if (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text.toStdString();
}

// A cue's start or end as the file gives it.
struct TimeField {
    bool present = false;
    std::optional<double> seconds; // where it is a number
    std::string written;           // as a finding quotes it
};

// The cues of a take as they are read, and then the one closing it.
class CueList {
public:
    CueList(Take& take, ReaderFindings& findings) : m_take(take), m_findings(findings) {}

    void add(const TimeField& start, const TimeField& end, std::optional<std::string_view> name,
             CuePlace place) {
        bool complete = true;
        for (const auto& [field, what] :
             {std::pair{&start, "a start"}, std::pair{&end, "an end"}}) {
            if (!field->present) {
                m_findings.add(Finding::Kind::UnreadableLine, place,
                               std::string("a mouth cue without ") + what);
                complete = false;
            }
        }
        if (!name) {
            m_findings.add(Finding::Kind::UnreadableLine, place, "a mouth cue without a value");
        }
        if (!complete || !name) {
            return;
        }
        const auto startSeconds =
            rhubarb::readTime(m_findings, start.seconds, start.written, place);
        const auto endSeconds = rhubarb::readTime(m_findings, end.seconds, end.written, place);
        if (startSeconds && endSeconds && rhubarb::readShape(m_findings, *name, place)) {
            m_take.timed.push_back({*startSeconds, std::string(*name), place});
            m_end = {*endSeconds, "X", place};
        }
    }

    void close() {
        if (!m_take.timed.empty()) {
            m_take.timed.push_back(m_end);
        }
        m_take.findings = m_findings.take();
    }

private:
    Take& m_take;
    ReaderFindings& m_findings;
    TimedCue m_end;
};

TimeField xmlTime(const QXmlStreamAttributes& attributes, QLatin1StringView name) {
    if (!attributes.hasAttribute(name)) {
        return {};
    }
    const std::string written = attributes.value(name).trimmed().toString().toStdString();
    return {true, rhubarb::secondsIn(written), written};
}

// Where the start tag just read begins. The reader stands just past its
// '>', and the tag begins at the last '<' before that, as none may stand
// inside a tag.
CuePlace tagPlace(const QXmlStreamReader& xml, const QString& source) {
    const qsizetype end = std::min<qsizetype>(xml.characterOffset(), source.size());
    const qsizetype begin = source.lastIndexOf(u'<', std::max<qsizetype>(end - 1, 0));
    const auto line = static_cast<std::uint64_t>(std::max<qint64>(xml.lineNumber(), 1));
    if (begin < 0) {
        return {line, 0};
    }
    const qsizetype breaks = QStringView(source).sliced(begin, end - begin).count(u'\n');
    if (breaks == 0) {
        return {line, static_cast<std::uint64_t>(
                          std::max<qint64>(xml.columnNumber() - (end - begin) + 1, 1))};
    }
    return {static_cast<std::uint64_t>(std::max<qint64>(xml.lineNumber() - breaks, 1)),
            static_cast<std::uint64_t>(begin - source.lastIndexOf(u'\n', begin))};
}

} // namespace

Take readRhubarbXml(std::string_view text) {
    Take take;
    take.letters = true;
    ReaderFindings findings;
    CueList cues(take, findings);
    const QString source = toQString(text);
    QXmlStreamReader xml(source);
    enum class Section { Other, Metadata, MouthCues } section = Section::Other;
    int depth = 0;
    bool wrongRoot = false;
    while (!wrongRoot && !xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && --depth < 2) {
            section = Section::Other;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        ++depth;
        const QStringView name = xml.name();
        if (depth == 1 && name != u"rhubarbResult") {
            findings.add(Finding::Kind::MalformedText, tagPlace(xml, source),
                         "XML: the root element is " + quotedText(name.toString().toStdString()) +
                             ", not 'rhubarbResult'");
            wrongRoot = true;
        } else if (depth == 2) {
            section = name == u"metadata"    ? Section::Metadata
                      : name == u"mouthCues" ? Section::MouthCues
                                             : Section::Other;
        } else if (depth == 3 && section == Section::Metadata && name == u"soundFile") {
            take.soundFile = xml.readElementText().toStdString();
            --depth;
        } else if (depth == 3 && section == Section::MouthCues && name == u"mouthCue") {
            const CuePlace place = tagPlace(xml, source);
            const QXmlStreamAttributes attributes = xml.attributes();
            const TimeField start = xmlTime(attributes, QLatin1StringView("start"));
            const TimeField end = xmlTime(attributes, QLatin1StringView("end"));
            const std::string shape = xml.readElementText().trimmed().toStdString();
            --depth;
            if (!xml.hasError()) {
                cues.add(start, end, shape, place);
            }
        }
    }
    if (xml.hasError()) {
        // The column of the last character read, which is the reader's column counted from 1.
        findings.add(Finding::Kind::MalformedText,
                     {static_cast<std::uint64_t>(std::max<qint64>(xml.lineNumber(), 1)),
                      static_cast<std::uint64_t>(std::max<qint64>(xml.columnNumber(), 1))},
                     "XML: " + parserMessage(xml.errorString()));
    }
    cues.close();
    return take;
}

namespace {

// Where each element of the root's "mouthCues" array begins. QJsonDocument
// keeps no positions, so this scans the text, which the parser has already
// found well formed: it skips strings, counts nesting, and takes the array
// after the root's last "mouthCues" key, as the parser keeps the last of
// repeated keys. A key written with escapes is not recognised; its cues then
// take the first place found, or none.
std::vector<std::size_t> cueOffsets(std::string_view text) {
    std::vector<std::size_t> offsets;
    std::size_t depth = 0;
    std::size_t cueDepth = 0; // the depth inside the array of cues, 0 outside it
    bool cuesKey = false;     // the string just read is the root's "mouthCues" key
    bool cuesValue = false;   // the value beginning here is that key's
    bool elementNext = false; // the next token begins an element of the array
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            continue;
        }
        const bool keyRead = std::exchange(cuesKey, false);
        const bool valueBegins = std::exchange(cuesValue, false);
        if (std::exchange(elementNext, false) && c != ']') {
            offsets.push_back(i);
        }
        switch (c) {
        case '"': {
            std::size_t end = i + 1;
            while (end < text.size() && text[end] != '"') {
                end += text[end] == '\\' ? 2 : 1;
            }
            cuesKey = depth == 1 && text.substr(i + 1, end - i - 1) == "mouthCues";
            i = end;
            break;
        }
        case ':':
            cuesValue = keyRead;
            break;
        case '[':
        case '{':
            ++depth;
            if (c == '[' && valueBegins) {
                offsets.clear();
                cueDepth = depth;
                elementNext = true;
            }
            break;
        case ']':
        case '}':
            if (depth == cueDepth) {
                cueDepth = 0;
            }
            --depth;
            break;
        case ',':
            elementNext = cueDepth != 0 && depth == cueDepth;
            break;
        default:
            break;
        }
    }
    return offsets;
}

TimeField jsonTime(const QJsonObject& cue, QLatin1StringView key) {
    const QJsonValue value = cue.value(key);
    if (value.isUndefined()) {
        return {};
    }
    if (value.isDouble()) {
        return {
            true, value.toDouble(),
            QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest).toStdString()};
    }
    // Anything else as the file writes it, from the compact text of an array holding it.
    const QByteArray inArray = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return {true, std::nullopt, inArray.mid(1, inArray.size() - 2).toStdString()};
}

} // namespace

Take readRhubarbJson(std::string_view text) {
    Take take;
    take.letters = true;
    ReaderFindings findings;
    CueList cues(take, findings);
    constexpr std::string_view notCues = "not an object with a \"mouthCues\" list";
    const std::optional<QJsonObject> object = jsonRootObject(text, findings, notCues);
    const QJsonValue list = object ? object->value(QLatin1StringView("mouthCues")) : QJsonValue();
    if (object && !list.isArray()) {
        const std::size_t offset = std::min(text.find_first_not_of(" \t\r\n"), text.size());
        findings.add(Finding::Kind::MalformedText, TextPlaces(text).at(offset),
                     "JSON: " + std::string(notCues));
    }
    if (!object || !list.isArray()) {
        cues.close();
        return take;
    }
    const QJsonObject& root = *object;
    take.soundFile = root.value(QLatin1StringView("metadata"))
                         .toObject()
                         .value(QLatin1StringView("soundFile"))
                         .toString()
                         .toStdString();
    const std::vector<std::size_t> offsets = cueOffsets(text);
    const TextPlaces textPlaces(text);
    std::vector<CuePlace> places;
    for (const std::size_t offset : offsets) {
        places.push_back(textPlaces.at(offset));
    }
    const QJsonArray array = list.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const CuePlace place = places.empty() ? CuePlace{1, 1}
                               : static_cast<std::size_t>(i) < places.size()
                                   ? places[static_cast<std::size_t>(i)]
                                   : places.front();
        if (!array[i].isObject()) {
            findings.add(Finding::Kind::UnreadableLine, place, "a mouth cue that is not an object");
            continue;
        }
        const QJsonObject cue = array[i].toObject();
        const QJsonValue value = cue.value(QLatin1StringView("value"));
        const std::string shape = value.toString().toStdString();
        cues.add(jsonTime(cue, QLatin1StringView("start")), jsonTime(cue, QLatin1StringView("end")),
                 value.isString() ? std::optional<std::string_view>(shape) : std::nullopt, place);
    }
    cues.close();
    return take;
}

} // namespace mouthkey
