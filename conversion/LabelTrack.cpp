#include "conversion/LabelTrack.h"

#include "conversion/MappingTables.h"
#include "conversion/RhubarbTsv.h"
#include "conversion/TextPlaces.h"
#include "conversion/TimingReader.h"

#include <algorithm>

namespace mouthkey {

namespace {

constexpr std::string_view blanks = " \t";

struct Label {
    double start = 0;
    double end = 0;
    std::string name;
    CuePlace place;    // of the text
    CuePlace endPlace; // of END, where the mouth closes
};

bool isPhonemeName(std::string_view name) {
    return std::find(phonemeKeys.begin(), phonemeKeys.end(), name) != phonemeKeys.end();
}

bool isLetterShape(std::string_view name) {
    return std::any_of(letterShapes.begin(), letterShapes.end(),
                       [&](const LetterShape& shape) { return shape.letter == name; });
}

// The labels are letter mouth shapes when every one is a letter (A to H, X)
// and at least one is no phoneme name: a track of only D and E is phonemes.
bool areLetters(const std::vector<Label>& labels) {
    return !labels.empty() && std::all_of(labels.begin(), labels.end(), [](const Label& l) {
        return isLetterShape(l.name);
    }) && !std::all_of(labels.begin(), labels.end(), [](const Label& l) {
        return isPhonemeName(l.name);
    });
}

// A line of the extended format, the frequencies of the label above.
bool isFrequencyLine(std::string_view line) {
    return line == "\\" || line.starts_with("\\\t");
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) + 1 - first);
}

// The label of one line, or nothing, with a finding, for a line it cannot read.
std::optional<Label> readLabel(ReaderFindings& findings, std::uint64_t number,
                               std::string_view line) {
    const std::size_t tab = line.find('\t');
    const std::size_t second = tab == std::string_view::npos ? tab : line.find('\t', tab + 1);
    if (second == std::string_view::npos) {
        findings.add(Finding::Kind::UnreadableLine, {number, 1 + charactersIn(line)},
                     quotedText(line) + " is not a start, an end and a label between tabs");
        return std::nullopt;
    }
    const std::string_view startText = line.substr(0, tab);
    const std::string_view endText = line.substr(tab + 1, second - tab - 1);
    const CuePlace endPlace{number, 2 + charactersIn(startText)};
    const auto start =
        rhubarb::readTime(findings, rhubarb::secondsIn(startText), startText, {number, 1});
    const auto end = rhubarb::readTime(findings, rhubarb::secondsIn(endText), endText, endPlace);
    if (!start || !end) {
        return std::nullopt;
    }
    if (*end < *start) {
        findings.add(Finding::Kind::UnreadableLine, endPlace,
                     "a label that ends at " + std::string(endText) + ", before its start at " +
                         std::string(startText));
        return std::nullopt;
    }
    const std::string_view rest = line.substr(second + 1);
    const std::string_view name = trimmed(rest);
    const CuePlace place{number, 1 + charactersIn(line.substr(0, second + 1)) +
                                     charactersIn(rest.substr(0, rest.find_first_not_of(blanks)))};
    if (name.empty()) {
        findings.add(Finding::Kind::UnreadableLine, place, "a label without text");
        return std::nullopt;
    }
    if (!rhubarb::readShape(findings, name, place)) {
        return std::nullopt;
    }
    return Label{*start, *end, std::string(name), place, endPlace};
}

} // namespace

Take readLabelTrack(std::string_view text) {
    ReaderFindings findings;
    std::vector<Label> labels;
    bool afterLabel = false;
    // Lines are cut and numbered as the checks cut and number them.
    TimingReader reader([&](const TimingLine& read) {
        if (isFrequencyLine(read.text)) {
            if (!afterLabel) {
                findings.add(Finding::Kind::UnreadableLine, {read.number, 1},
                             "a line of frequencies that follows no label");
            }
            afterLabel = false;
            return;
        }
        afterLabel = true;
        if (auto label = readLabel(findings, read.number, read.text)) {
            labels.push_back(std::move(*label));
        }
    });
    reader.feed(text);
    reader.finish();

    std::stable_sort(labels.begin(), labels.end(),
                     [](const Label& a, const Label& b) { return a.start < b.start; });
    Take take;
    take.sameFrame = SameFrame::OpeningWins;
    take.letters = areLetters(labels);
    const std::string closed = take.letters ? "X" : "rest";
    for (const Label& label : labels) {
        take.timed.push_back({label.start, label.name, label.place, false});
        // The first label that starts after this one's start.
        const auto next =
            std::upper_bound(labels.begin(), labels.end(), label.start,
                             [](double start, const Label& l) { return start < l.start; });
        if (label.end > label.start && (next == labels.end() || next->start > label.end)) {
            take.timed.push_back({label.end, closed, label.endPlace, true});
        }
    }
    // In time order, a label before a closing cue at the same time.
    std::stable_sort(
        take.timed.begin(), take.timed.end(), [](const TimedCue& a, const TimedCue& b) {
            return a.seconds != b.seconds ? a.seconds < b.seconds : !a.closing && b.closing;
        });
    take.findings = findings.take();
    return take;
}

Fit labelTrackFit(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string_view::npos) {
        return Fit::No;
    }
    std::string_view line = text.substr(first);
    for (int field = 0; field < 2; ++field) {
        const std::size_t number = rhubarb::decimalLength(line);
        if (number == 0 || number == line.size() || line[number] != '\t') {
            return Fit::No;
        }
        line.remove_prefix(number + 1);
    }
    return Fit::Yes;
}

} // namespace mouthkey
