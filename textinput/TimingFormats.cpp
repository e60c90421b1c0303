#include "textinput/TimingFormats.h"

#include "conversion/LabelTrack.h"
#include "conversion/PapagayoPgo.h"
#include "conversion/RhubarbTsv.h"
#include "conversion/Targets.h"
#include "conversion/TimingWriting.h"
#include "textinput/PapagayoPg2.h"
#include "textinput/RhubarbDocuments.h"
#include "textinput/Utf8Text.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

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

bool opensDocument(std::string_view text) {
    const std::string_view start = skipBlanks(text);
    return !start.empty() && (start[0] == '<' || start[0] == '{' || start[0] == '[');
}

bool opensJson(std::string_view text) {
    const std::string_view start = skipBlanks(text);
    return start.starts_with('{') || start.starts_with('[');
}

Fit datFit(std::string_view text) {
    return opensDocument(text) ? Fit::No : Fit::Fallback;
}

Take readDat(std::string_view text) {
    Take take;
    take.voices.push_back({{}, datCues(text, &take.findings)});
    return take;
}

// "0.05<TAB>X", as the seconds of a TSV are written, one number a line; a
// whole number of seconds only a .tsv name makes likely.
Fit tsvFit(std::string_view text) {
    const std::string_view line = firstLine(skipBlanks(text));
    const std::size_t number = rhubarb::decimalLength(line);
    if (number == 0 || number + 1 >= line.size() || line[number] != '\t' ||
        line[number + 1] == '\t' || line[number + 1] == ' ') {
        return Fit::No;
    }
    const std::string_view rest = line.substr(number + 1);
    const std::size_t second = rhubarb::decimalLength(rest);
    if (second != 0 && second < rest.size() && rest[second] == '\t') {
        return Fit::No; // two numbers: a label track's line
    }
    return line.find('.') < number ? Fit::Yes : Fit::OwnName;
}

Fit xmlFit(std::string_view text) {
    return skipBlanks(text).starts_with('<') &&
                   text.find("<rhubarbResult") != std::string_view::npos
               ? Fit::Yes
               : Fit::No;
}

// A document with both keys is told by its extension; .json wins elsewhere,
// being first.
Fit jsonFit(std::string_view text) {
    return opensJson(text) && text.find("\"mouthCues\"") != std::string_view::npos ? Fit::Yes
                                                                                   : Fit::No;
}

Fit pg2Fit(std::string_view text) {
    return opensJson(text) && text.find("\"voices\"") != std::string_view::npos ? Fit::Yes
                                                                                : Fit::No;
}

Fit pgoFit(std::string_view text) {
    return firstLine(skipBlanks(text)).starts_with("lipsync version") ? Fit::Yes : Fit::No;
}

constexpr std::array<std::string_view, 1> datExtensions{"dat"};
constexpr std::array<std::string_view, 2> tsvExtensions{"tsv", "txt"};
constexpr std::array<std::string_view, 1> xmlExtensions{"xml"};
constexpr std::array<std::string_view, 1> jsonExtensions{"json"};
constexpr std::array<std::string_view, 1> pgoExtensions{"pgo"};
constexpr std::array<std::string_view, 1> pg2Extensions{"pg2"};
constexpr std::array<std::string_view, 1> labelExtensions{"txt"};

// The rows, in the order the probes are asked, which is also the order in
// which help, messages and the Open dialog list them. Of two rows claiming a
// text, the earlier wins unless the later has the file's extension.
constexpr std::array<TimingFormat, 7> formats{{
    {"dat", "Moho switch data", datExtensions, datFit, readDat,
     "Moho switch data: a header line, then FRAME NAME lines\n"
     "          MohoSwitch1\n"
     "          1 rest\n"
     "          5 MBP\n",
     true, datTimingText},
    {"tsv", "Rhubarb TSV", tsvExtensions, tsvFit, readRhubarbTsv,
     "Rhubarb TSV: SECONDS<TAB>SHAPE lines, the last one the end of the take\n"
     "          0.00\tX\n"
     "          0.21\tB\n",
     false, tsvTimingText},
    {"xml", "Rhubarb XML", xmlExtensions, xmlFit, readRhubarbXml,
     "Rhubarb XML:\n"
     "          <mouthCue start=\"0.21\" end=\"0.35\">B</mouthCue>\n"},
    {"json", "Rhubarb JSON", jsonExtensions, jsonFit, readRhubarbJson,
     "Rhubarb JSON:\n"
     "          {\"mouthCues\": [{\"start\": 0.21, \"end\": 0.35, \"value\": \"B\"}]}\n"},
    {"pgo", "Papagayo-NG project", pgoExtensions, pgoFit, readPapagayoPgo,
     "a Papagayo-NG project: \"lipsync version 1\", then its voices\n"},
    {"pg2", "Papagayo-NG JSON project", pg2Extensions, pg2Fit, readPapagayoPg2,
     "a Papagayo-NG JSON project: {\"version\": 2, \"fps\": 24, \"voices\": [...]}\n"},
    {"labels", "Audacity labels", labelExtensions, labelTrackFit, readLabelTrack,
     "Audacity labels: START<TAB>END<TAB>LABEL lines in seconds; a region's end\n"
     "          closes the mouth (rest, or X in a track of letter mouth shapes)\n"
     "          0.210000\t0.350000\tMBP\n"
     "          0.400000\t0.400000\tE\n",
     false, labelTrackText},
}};

bool hasExtension(const TimingFormat& format, const QString& extension) {
    return std::any_of(format.extensions.begin(), format.extensions.end(),
                       [&](std::string_view own) { return extension == toQString(own); });
}

} // namespace

std::span<const TimingFormat> timingFormats() {
    return formats;
}

const TimingFormat* formatNamed(std::string_view name) {
    const auto named = std::find_if(formats.begin(), formats.end(),
                                    [&](const TimingFormat& f) { return f.name == name; });
    return named == formats.end() ? nullptr : &*named;
}

std::vector<const TimingFormat*> writtenFormats() {
    std::vector<const TimingFormat*> written;
    for (const TimingFormat& format : formats) {
        if (format.write) {
            written.push_back(&format);
        }
    }
    return written;
}

const TimingFormat& defaultFormat() {
    return *std::find_if(formats.begin(), formats.end(),
                         [](const TimingFormat& f) { return f.streams; });
}

const TimingFormat* detectFormat(std::string_view text, const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    const TimingFormat* first = nullptr;
    const TimingFormat* named = nullptr;
    const TimingFormat* ownName = nullptr;
    const TimingFormat* fallback = nullptr;
    for (const TimingFormat& format : formats) {
        switch (format.probe(text)) {
        case Fit::Yes:
            first = first ? first : &format;
            named = named || !hasExtension(format, extension) ? named : &format;
            break;
        case Fit::OwnName:
            ownName = ownName || !hasExtension(format, extension) ? ownName : &format;
            break;
        case Fit::Fallback:
            fallback = fallback ? fallback : &format;
            break;
        case Fit::No:
            break;
        }
    }
    return named ? named : first ? first : ownName ? ownName : fallback;
}

bool mayBeOtherThanDat(std::string_view start) {
    bool streams = false;
    for (const TimingFormat& format : formats) {
        const Fit fit = format.probe(start);
        if (fit != Fit::No && !format.streams) {
            return true;
        }
        streams = streams || fit != Fit::No;
    }
    // A text no streaming format takes is told whole, if only to be refused.
    return !streams;
}

bool isTimingFileExtension(const QString& extension) {
    const QString lower = extension.toLower();
    return std::any_of(formats.begin(), formats.end(),
                       [&](const TimingFormat& f) { return hasExtension(f, lower); });
}

} // namespace mouthkey
