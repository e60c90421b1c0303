#include "conversion/FindingText.h"

#include "conversion/MappingTables.h"

#include <algorithm>

namespace mouthkey {

namespace {

// The sample's first lines, "4, 9, 12, …" where there are more.
std::string lineList(const LineSample& lines, const NumberFormat& numbers) {
    std::string text;
    const auto shown = std::min<std::uint64_t>(lines.count, LineSample::kept);
    for (std::uint64_t i = 0; i < shown; ++i) {
        text += (i ? ", " : "") + numbers.whole(lines.first[i]);
    }
    return text + (lines.count > shown ? ", \xE2\x80\xA6" : "");
}

std::string onLines(const LineSample& lines, const NumberFormat& numbers,
                    std::uint64_t column = 0) {
    if (lines.count == 1) {
        return "on line " + numbers.whole(lines.first[0]) +
               (column ? ", column " + numbers.whole(column) : "");
    }
    return "on " + numbers.whole(lines.count) + " lines (" + lineList(lines, numbers) + ")";
}

// "A, B and X", for letters given as "ABX".
std::string letterList(std::string_view letters) {
    std::string text;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        text += (i == 0                    ? ""
                 : i + 1 == letters.size() ? " and "
                                           : ", ") +
                std::string(1, letters[i]);
    }
    return text;
}

// "letter mouth shapes (A, B and X) as phoneme names on 3 lines (2, 3, 4); its
// D is read as the phoneme D, not as a letter", for the letters used, given as "ABDX".
std::string letterShapesText(std::string_view used, const std::string& where) {
    std::string shapes;
    std::string keys;
    for (const char letter : used) {
        (MappingTable::keyIndex(std::string_view(&letter, 1)) < 0 ? shapes : keys) += letter;
    }
    std::string text = "letter mouth shapes (" + letterList(shapes) + ") as phoneme names " + where;
    if (!keys.empty()) {
        text += "; its " + letterList(keys) + (keys.size() == 1 ? " is" : " are") +
                " read as the phoneme" + (keys.size() == 1 ? " " : "s ") + letterList(keys) +
                ", not as " + (keys.size() == 1 ? "a letter" : "letters");
    }
    return text;
}

} // namespace

std::string linesText(const LineSample& lines, const NumberFormat& numbers) {
    return (lines.count == 1 ? "line " : "lines ") + lineList(lines, numbers);
}

std::string NumberFormat::whole(std::uint64_t n) const {
    std::string digits = std::to_string(n);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), groupSeparator);
    }
    return digits;
}

std::string shownText(std::string_view text, std::size_t maxBytes, std::string_view quote) {
    std::size_t size = std::min(text.size(), maxBytes);
    // Back to the start of the character the cut falls in.
    while (size < text.size() && size > 0 &&
           (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) {
        --size;
    }
    std::string shown(quote);
    for (const char c : text.substr(0, size)) {
        shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    }
    if (size < text.size()) {
        shown += "\xE2\x80\xA6";
    }
    return shown.append(quote);
}

std::string quotedText(std::string_view text) {
    return shownText(text, 40, "'");
}

std::string findingText(const Finding& f, const NumberFormat& numbers) {
    const std::string where = onLines(f.lines, numbers, f.column);
    switch (f.kind) {
    case Finding::Kind::NulCharacters:
        return "NUL characters " + where;
    case Finding::Kind::UnknownPhoneme:
        return "unknown phoneme " + f.subject + " " + where;
    case Finding::Kind::OtherUnknownPhonemes:
        return "more unknown phoneme names " + where;
    case Finding::Kind::LetterMouthShapes:
        return letterShapesText(f.subject, where);
    case Finding::Kind::FrameNotWholeNumber:
        return (f.lines.count == 1
                    ? "frame " + f.subject + " is not a whole number "
                    : "frames that are not whole numbers, such as " + f.subject + ", ") +
               where;
    case Finding::Kind::NegativeFrame:
        return (f.lines.count == 1 ? "frame " + f.subject + " is negative "
                                   : "negative frames, such as " + f.subject + ", ") +
               where;
    case Finding::Kind::FramesGoBackwards:
        return "frames go backwards (" + numbers.whole(f.frames[0]) + " then " +
               numbers.whole(f.frames[1]) + ") " + where;
    case Finding::Kind::SharedFrame:
        return "two keyframes on one frame (" + numbers.whole(f.frames[0]) + ") " + where;
    case Finding::Kind::SingleFrameMouths:
        return (f.lines.count == 1 ? "1 mouth shows"
                                   : numbers.whole(f.lines.count) + " mouths show") +
               " for a single frame" +
               // A take timed from its sound has no lines to name.
               (f.lines.first[0] == 0 ? std::string() : " (" + linesText(f.lines, numbers) + ")");
    case Finding::Kind::TabInLine:
        return "a tab where a space belongs " + where;
    case Finding::Kind::MissingFrame:
        return "a phoneme without a frame " + where;
    case Finding::Kind::MissingPhoneme:
        return "a frame without a phoneme " + where;
    case Finding::Kind::ExtraSpaces:
        return "extra spaces " + where;
    case Finding::Kind::ExtraTokens:
        return "more than a frame and a phoneme " + where;
    case Finding::Kind::HeaderLooksLikeKeyframe:
        return "the header line " + f.subject + " looks like a keyframe (line " +
               numbers.whole(f.lines.first[0]) + ")";
    case Finding::Kind::KeyframeDocument:
        return "the file is a keyframe document, not a timing file (header " + f.subject + " " +
               where + ")";
    case Finding::Kind::NoKeyframes:
        return "no keyframes after the header line";
    case Finding::Kind::EmptyFile:
        return "the file is empty";
    case Finding::Kind::MalformedText:
    case Finding::Kind::UnreadableLine:
        return f.subject + " " + where;
    case Finding::Kind::TimeNotANumber:
        return (f.lines.count == 1 ? "time " + f.subject + " is not a number "
                                   : "times that are not numbers, such as " + f.subject + ", ") +
               where;
    case Finding::Kind::NegativeTime:
        return (f.lines.count == 1 ? "time " + f.subject + " is negative "
                                   : "negative times, such as " + f.subject + ", ") +
               where;
    case Finding::Kind::CountsDisagree:
        return f.subject + " " + where;
    case Finding::Kind::FrameRateDiffers:
        return "the project is timed at " + f.subject + " fps, not at the chosen rate";
    case Finding::Kind::NoCues:
        return "no mouth cues in the file";
    case Finding::Kind::NoDrawing:
        return (f.lines.count == 1
                    ? "no drawing in the mouth chart for " + f.subject + " "
                    : "names the mouth chart has no drawing for, such as " + f.subject + ", ") +
               where;
    case Finding::Kind::BeforeFrameZero:
        return "keys shifted before frame 0 (the first at frame " + numbers.whole(f.frames[0]) +
               ") " + where;
    case Finding::Kind::EmptyChart:
        return "the mouth chart lists no drawing";
    case Finding::Kind::SoundTimingNote:
        return f.subject;
    }
    return {};
}

std::string_view findingOutcome(Finding::Kind kind) {
    switch (kind) {
    case Finding::Kind::HeaderLooksLikeKeyframe:
        return "skipped as the file's header";
    case Finding::Kind::FramesGoBackwards:
        return "pasted in file order";
    case Finding::Kind::SharedFrame:
        return "only one of them takes effect";
    case Finding::Kind::KeyframeDocument:
        return "its lines are pasted as keyframes";
    case Finding::Kind::MissingFrame:
        return "pasted without a frame";
    case Finding::Kind::MissingPhoneme:
        return "pasted without a position";
    case Finding::Kind::NoKeyframes:
    case Finding::Kind::EmptyFile:
    case Finding::Kind::NoCues:
        return "the keyframe list will be empty";
    case Finding::Kind::MalformedText:
        return "not read from there on";
    case Finding::Kind::TimeNotANumber:
    case Finding::Kind::NegativeTime:
    case Finding::Kind::UnreadableLine:
    case Finding::Kind::NoDrawing:
    case Finding::Kind::BeforeFrameZero:
        return "left out";
    case Finding::Kind::CountsDisagree:
        return "read as the lines are";
    case Finding::Kind::FrameRateDiffers:
        return "keys land on the project's frames";
    case Finding::Kind::EmptyChart:
        return "the chart is not used";
    case Finding::Kind::SoundTimingNote:
        return "the timing follows the sound";
    default:
        return "pasted unchanged";
    }
}

std::string_view findingOutcome(const Finding& finding) {
    return finding.leftOut ? "left out" : findingOutcome(finding.kind);
}

std::string findingHint(const Finding& f) {
    switch (f.kind) {
    case Finding::Kind::NulCharacters:
        return "the file is probably UTF-16 without a byte-order mark; save it as UTF-8";
    case Finding::Kind::HeaderLooksLikeKeyframe:
        return "the first line of a timing file is its header; add one above the first keyframe";
    case Finding::Kind::TabInLine:
        return "only a space separates a frame from its phoneme";
    case Finding::Kind::SingleFrameMouths:
        return "hold each mouth for two frames at least";
    case Finding::Kind::KeyframeDocument:
        return "convert the timing file it was made from instead";
    case Finding::Kind::LetterMouthShapes:
        return "they can be read as letter mouth shapes instead (" + letterChartText() + ")";
    case Finding::Kind::FrameRateDiffers:
        return "choose " + f.subject + " fps, or re-time the project in its tool";
    default:
        break;
    }
    switch (f.hint) {
    case Finding::Hint::DifferentCase:
    case Finding::Hint::SwappedLetters:
        return "did you mean '" + f.suggestion + "'?";
    case Finding::Hint::None:
        break;
    }
    return {};
}

} // namespace mouthkey
