// A take's findings as the chosen target's document gives them.
#include "conversion/Targets.h"

#include "DatLinesPath.h"

#include <iterator>

namespace mouthkey {

namespace {

// Findings about lines that are not "FRAME NAME", which a document from cues leaves out.
bool aboutOtherLines(Finding::Kind kind) {
    switch (kind) {
    case Finding::Kind::KeyframeDocument:
    case Finding::Kind::FrameNotWholeNumber:
    case Finding::Kind::NegativeFrame:
    case Finding::Kind::TabInLine:
    case Finding::Kind::MissingFrame:
    case Finding::Kind::MissingPhoneme:
    case Finding::Kind::ExtraSpaces:
    case Finding::Kind::ExtraTokens:
        return true;
    default:
        return false;
    }
}

bool aboutUnknownNames(Finding::Kind kind) {
    return kind == Finding::Kind::UnknownPhoneme || kind == Finding::Kind::OtherUnknownPhonemes ||
           kind == Finding::Kind::LetterMouthShapes;
}

} // namespace

std::vector<Finding> targetFindings(std::vector<Finding> checked, std::vector<Finding> written,
                                    const TargetChoices& choices) {
    if (writesDatLines(choices)) {
        checked.insert(checked.end(), std::make_move_iterator(written.begin()),
                       std::make_move_iterator(written.end()));
        return checked;
    }
    const bool drawings = usesChart(choices.target);
    const MouthChart chart = drawings ? choices.chartInUse() : MouthChart({});
    // A name of its own that the chart lists has a drawing.
    const auto charted = [&](const Finding& f) {
        for (const auto& names : chart.drawings()) {
            for (const std::string& name : names) {
                if (quotedText(name) == f.subject) {
                    return true;
                }
            }
        }
        return false;
    };
    bool otherLinesNamed = false;
    std::vector<Finding> findings;
    for (Finding& f : checked) {
        if (aboutOtherLines(f.kind)) {
            f.leftOut = true;
            otherLinesNamed = true;
        } else if (drawings && aboutUnknownNames(f.kind)) {
            if (f.kind == Finding::Kind::UnknownPhoneme && charted(f)) {
                continue;
            }
            f.leftOut = true;
        }
        findings.push_back(std::move(f));
    }
    for (Finding& f : written) {
        // The checks have said why each of those lines is no "FRAME NAME" line.
        if (f.kind == Finding::Kind::UnreadableLine && otherLinesNamed) {
            continue;
        }
        findings.push_back(std::move(f));
    }
    return findings;
}

Finding linesLeftOut(const LineSample& lines) {
    return {Finding::Kind::UnreadableLine,
            lines,
            lines.count == 1 ? "a line that is not FRAME NAME" : "lines that are not FRAME NAME",
            Finding::Hint::None,
            {},
            {}};
}

namespace {

// What writing to nowhere found, after the lines left out.
std::vector<Finding> foundWriting(TargetWriter& writer, const LineSample& others) {
    std::vector<Finding> found;
    if (others.count > 0) {
        found.push_back(linesLeftOut(others));
    }
    for (Finding& f : writer.finish().findings) {
        found.push_back(std::move(f));
    }
    return found;
}

} // namespace

std::vector<Finding> writingFindings(std::string_view datText, const TargetChoices& choices) {
    if (writesDatLines(choices)) {
        return {};
    }
    TargetWriter writer(choices, [](std::string_view) {});
    LineSample others;
    writer.feedDat(datText, others);
    return foundWriting(writer, others);
}

std::vector<Finding> writingFindings(std::span<const Cue> cues, const TargetChoices& choices) {
    if (writesDatLines(choices)) {
        return {};
    }
    TargetWriter writer(choices, [](std::string_view) {});
    writer.feed(cues);
    return foundWriting(writer, {});
}

} // namespace mouthkey
