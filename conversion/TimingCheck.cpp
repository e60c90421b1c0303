#include "conversion/TimingCheck.h"

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"

#include "LineReader.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace mouthkey {

namespace {

// Names longer than any key are typos of none; they are counted, not listed.
constexpr std::size_t longestListedName = 32;

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The key a name equals but for case, if any.
std::optional<std::string_view> keyInOtherCase(std::string_view name) {
    for (const std::string_view key : phonemeKeys) {
        if (key.size() == name.size() &&
            std::equal(key.begin(), key.end(), name.begin(),
                       [](char a, char b) { return asciiLower(a) == asciiLower(b); })) {
            return key;
        }
    }
    return std::nullopt;
}

// Letter mouth shapes that are not also phoneme names here ("D" and "E" are).
bool isLetterMouthShape(std::string_view name) {
    return name.size() == 1 && std::string_view("ABCFGHX").find(name[0]) != std::string_view::npos;
}

std::string withThousands(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::string onLines(const LineSample& lines) {
    if (lines.count == 1) {
        return "on line " + withThousands(lines.first[0]);
    }
    std::string text = "on " + withThousands(lines.count) + " lines (";
    const auto shown = std::min<std::uint64_t>(lines.count, LineSample::kept);
    for (std::uint64_t i = 0; i < shown; ++i) {
        text += (i ? ", " : "") + withThousands(lines.first[i]);
    }
    return text + (lines.count > shown ? ", \xE2\x80\xA6)" : ")");
}

// A quoted excerpt of input text, short enough for one line of a message.
// Control characters show as '?', so that a message never moves a terminal's cursor.
std::string quoted(std::string_view text) {
    constexpr std::size_t shown = 40;
    std::string q = "'";
    for (const char c : text.substr(0, shown)) {
        q += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    }
    return q + (text.size() > shown ? "\xE2\x80\xA6'" : "'");
}

} // namespace

namespace {

// Up to eight digits read as one word, with no branch on their count: a frame
// is parsed on every line, and its length follows no pattern. The bytes from
// p + size to p + 8 must be readable; they are ignored.
bool parseEightDigits(const char* p, std::size_t size, std::uint64_t& value) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    const auto shift = static_cast<unsigned>(8 * (8 - size));
    // The digits move to the top bytes and '0's fill the bytes below them.
    w = (w << shift) | (shift ? 0x3030303030303030u >> (64 - shift) : 0);
    constexpr std::uint64_t highNibbles = 0xF0F0F0F0F0F0F0F0u;
    constexpr std::uint64_t zeros = 0x3030303030303030u;
    if ((w & highNibbles) != zeros || ((w + 0x0606060606060606u) & highNibbles) != zeros) {
        return false;
    }
    w -= zeros;
    w = (w * 10) + (w >> 8);
    value = (((w & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
             (((w >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >>
            32;
    return true;
}

// Whole-number frames, parsed into an out-parameter: an optional's 16 bytes,
// stored in halves and loaded whole, stall the store buffer on every line.
// `readable` bytes from the token's start may be read.
bool parseFrame(std::string_view token, std::uint64_t& value, std::size_t readable = 0) {
    if (token.empty()) {
        return false;
    }
    if constexpr (std::endian::native == std::endian::little) {
        if (token.size() <= 8 && readable >= 8) {
            return parseEightDigits(token.data(), token.size(), value);
        }
    }
    // Nineteen digits always fit; a longer frame saturates.
    constexpr std::size_t safeDigits = 19;
    value = 0;
    for (std::size_t i = 0; i < token.size(); ++i) {
        const auto digit = static_cast<unsigned>(static_cast<unsigned char>(token[i]) - '0');
        if (digit > 9) {
            return false;
        }
        value = i < safeDigits ? value * 10 + digit : std::numeric_limits<std::uint64_t>::max();
    }
    return true;
}

} // namespace

std::optional<std::uint64_t> wholeFrame(std::string_view token) {
    std::uint64_t value = 0;
    return parseFrame(token, value) ? std::optional(value) : std::nullopt;
}

std::uint64_t TimingReport::unknownNameLines() const {
    std::uint64_t lines = 0;
    for (const Finding& f : findings) {
        if (f.kind == Finding::Kind::UnknownPhoneme ||
            f.kind == Finding::Kind::OtherUnknownPhonemes) {
            lines += f.lines.count;
        }
    }
    return lines;
}

// The line reader with the checks inlined into it: they run on every line.
struct TimingChecker::Lines {
    struct Check {
        TimingChecker* checker;
        void operator()(const TimingLine& line) const { checker->check(line); }
        bool takePair(std::uint64_t number, std::string_view text, const TimingToken& frame,
                      const TimingToken& name, std::size_t readable) const {
            return checker->takeCleanLine(number, text, frame, name, readable);
        }
    };
    scan::LineReader<Check> reader;
};

TimingChecker::TimingChecker()
    : m_lines(std::make_unique<Lines>(Lines{scan::LineReader<Lines::Check>({this})})) {}

TimingChecker::~TimingChecker() = default;

void TimingChecker::feed(std::string_view chunk) {
    // One fast scan per chunk spares a search on every line of a clean file.
    m_mayHoldNul = m_mayHoldNul || chunk.find('\0') != std::string_view::npos;
    m_lines->reader.feed(chunk);
}

// The usual data line, a whole frame no smaller than the last one and a
// known name, only counts; anything else goes the long way through check().
inline bool TimingChecker::takeCleanLine(std::uint64_t, std::string_view, const TimingToken& frame,
                                         const TimingToken& name, std::size_t readable) {
    if (m_mayHoldNul || name.phoneme < 0) {
        return false;
    }
    std::uint64_t value = 0;
    bool whole = false;
    if constexpr (std::endian::native == std::endian::little) {
        whole = frame.text.size() - 1 < 8 && readable >= 8
                    ? parseEightDigits(frame.text.data(), frame.text.size(), value)
                    : parseFrame(frame.text, value);
    } else {
        whole = parseFrame(frame.text, value);
    }
    if (!whole || (m_frames > 0 && value < m_lastFrame)) {
        return false;
    }
    ++m_summary.keyframes;
    m_firstFrame = m_frames == 0 ? value : m_firstFrame;
    m_lastFrame = value;
    ++m_frames;
    return true;
}

void TimingChecker::check(const TimingLine& line) {
    if (m_mayHoldNul && line.text.find('\0') != std::string_view::npos) {
        m_nul.add(line.number);
    }
    if (line.header) {
        checkHeader(line);
        return;
    }
    ++m_summary.keyframes;
    const auto& tokens = line.tokens;
    if (tokens.size() != 2 || tokens[0].text.empty() || tokens[1].text.empty()) {
        if (line.text.find('\t') != std::string_view::npos) {
            m_tabs.add(line.number);
        } else if (tokens.size() == 1) {
            (wholeFrame(tokens[0].text) ? m_missingPhoneme : m_missingFrame).add(line.number);
        } else if (std::any_of(tokens.begin(), tokens.end(),
                               [](const TimingToken& t) { return t.text.empty(); })) {
            m_extraSpaces.add(line.number);
        } else {
            m_extraTokens.add(line.number);
        }
        return;
    }

    std::uint64_t frame = 0;
    if (!parseFrame(tokens[0].text, frame, line.text.size())) { // the frame opens the line
        if (m_notWhole.count == 0) {
            m_firstNotWhole = quoted(tokens[0].text);
        }
        m_notWhole.add(line.number);
    } else {
        if (m_frames == 0) {
            m_firstFrame = frame;
        } else if (frame < m_lastFrame) {
            if (m_backwards.count == 0) {
                m_firstBackwards = std::to_string(m_lastFrame) + " then " + std::to_string(frame);
            }
            m_backwards.add(line.number);
        }
        m_lastFrame = frame;
        ++m_frames;
    }

    const TimingToken& name = tokens[1];
    if (name.phoneme >= 0) {
        return;
    }
    const auto known = std::find_if(m_names.begin(), m_names.end(),
                                    [&](const NameTally& t) { return t.name == name.text; });
    if (known != m_names.end()) {
        known->lines.add(line.number);
    } else if (m_names.size() < namesListed && name.text.size() <= longestListedName) {
        m_names.push_back({std::string(name.text), {}});
        m_names.back().lines.add(line.number);
    } else {
        m_otherNames.add(line.number);
    }
}

void TimingChecker::checkHeader(const TimingLine& line) {
    // A header that reads as a keyframe most likely is one: the file has none.
    const auto& tokens = line.tokens;
    if (tokens.size() == 2 && wholeFrame(tokens[0].text) && !tokens[1].text.empty()) {
        m_headerLine = line.number;
        m_headerText = quoted(line.text);
    }
}

TimingReport TimingChecker::finish() {
    m_lines->reader.finish();
    TimingReport report;
    report.summary = m_summary;
    if (m_frames > 0) {
        report.summary.firstFrame = m_firstFrame;
        report.summary.lastFrame = m_lastFrame;
    }
    auto& findings = report.findings;
    const auto add = [&](Finding::Kind kind, const LineSample& lines, std::string subject = {}) {
        if (lines.count > 0) {
            findings.push_back({kind, lines, std::move(subject), Finding::Hint::None, {}});
        }
    };

    add(Finding::Kind::NulCharacters, m_nul);
    if (m_headerLine) {
        LineSample header;
        header.add(*m_headerLine);
        add(Finding::Kind::HeaderLooksLikeKeyframe, header, m_headerText);
    }
    for (const NameTally& tally : m_names) {
        Finding f{Finding::Kind::UnknownPhoneme,
                  tally.lines,
                  quoted(tally.name),
                  Finding::Hint::None,
                  {}};
        if (const auto key = keyInOtherCase(tally.name)) {
            f.hint = Finding::Hint::DifferentCase;
            f.suggestion = *key;
        } else if (isLetterMouthShape(tally.name)) {
            f.hint = Finding::Hint::LetterMouthShapes;
        }
        findings.push_back(std::move(f));
    }
    add(Finding::Kind::OtherUnknownPhonemes, m_otherNames);
    add(Finding::Kind::FrameNotWholeNumber, m_notWhole, m_firstNotWhole);
    add(Finding::Kind::FramesGoBackwards, m_backwards, m_firstBackwards);
    add(Finding::Kind::TabInLine, m_tabs);
    add(Finding::Kind::MissingFrame, m_missingFrame);
    add(Finding::Kind::MissingPhoneme, m_missingPhoneme);
    add(Finding::Kind::ExtraSpaces, m_extraSpaces);
    add(Finding::Kind::ExtraTokens, m_extraTokens);
    if (m_summary.keyframes == 0) {
        findings.push_back({Finding::Kind::NoKeyframes, {}, {}, Finding::Hint::None, {}});
    }
    return report;
}

TimingReport checkTimingText(std::string_view text) {
    TimingChecker checker;
    checker.feed(text);
    return checker.finish();
}

std::string findingText(const Finding& f) {
    const std::string where = onLines(f.lines);
    switch (f.kind) {
    case Finding::Kind::NulCharacters:
        return "NUL characters " + where;
    case Finding::Kind::UnknownPhoneme:
        return "unknown phoneme " + f.subject + " " + where;
    case Finding::Kind::OtherUnknownPhonemes:
        return "more unknown phoneme names " + where;
    case Finding::Kind::FrameNotWholeNumber:
        return (f.lines.count == 1
                    ? "frame " + f.subject + " is not a whole number "
                    : "frames that are not whole numbers, such as " + f.subject + ", ") +
               where;
    case Finding::Kind::FramesGoBackwards:
        return "frames go backwards (" + f.subject + ") " + where;
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
               withThousands(f.lines.first[0]) + ")";
    case Finding::Kind::NoKeyframes:
        return "no keyframes after the header line";
    }
    return {};
}

std::string_view findingOutcome(Finding::Kind kind) {
    switch (kind) {
    case Finding::Kind::HeaderLooksLikeKeyframe:
        return "skipped as the file's header";
    case Finding::Kind::FramesGoBackwards:
        return "pasted in file order";
    case Finding::Kind::MissingFrame:
        return "pasted without a frame";
    case Finding::Kind::MissingPhoneme:
        return "pasted without a position";
    case Finding::Kind::NoKeyframes:
        return "the keyframe list will be empty";
    default:
        return "pasted unchanged";
    }
}

std::string findingHint(const Finding& f) {
    switch (f.kind) {
    case Finding::Kind::NulCharacters:
        return "the file is probably UTF-16 without a byte-order mark; save it as UTF-8";
    case Finding::Kind::HeaderLooksLikeKeyframe:
        return "the first line of a timing file is its header; add one above the first keyframe";
    case Finding::Kind::TabInLine:
        return "only a space separates a frame from its phoneme";
    default:
        break;
    }
    switch (f.hint) {
    case Finding::Hint::DifferentCase:
        return "did you mean '" + f.suggestion + "'?";
    case Finding::Hint::LetterMouthShapes:
        return "it looks like a letter mouth shape; the lip-sync tool can export the standard "
               "phoneme names instead";
    case Finding::Hint::None:
        break;
    }
    return {};
}

std::string summaryText(const TimingSummary& summary, int rateIndex) {
    std::string text =
        withThousands(summary.keyframes) + (summary.keyframes == 1 ? " keyframe" : " keyframes");
    if (!summary.firstFrame || !summary.lastFrame) {
        return text;
    }
    text += " \xC2\xB7 ";
    text += *summary.firstFrame == *summary.lastFrame
                ? "frame " + withThousands(*summary.firstFrame)
                : "frames " + withThousands(*summary.firstFrame) + "\xE2\x80\x93" +
                      withThousands(*summary.lastFrame);

    const std::string duration = frameTimeText(*summary.lastFrame, rateIndex);
    if (duration.empty()) {
        return text;
    }
    return text + " \xC2\xB7 " + duration + " at " + std::string(frameRateTitle(rateIndex)) +
           " fps";
}

double framesPerSecond(int rateIndex) {
    const std::string_view rate = frameRateTitle(rateIndex);
    double fps = 0;
    std::from_chars(rate.data(), rate.data() + rate.size(), fps);
    return fps;
}

std::string frameTimeText(std::uint64_t frame, int rateIndex) {
    const double fps = framesPerSecond(rateIndex);
    // Tenths of a second, rounded once, so that 59.95 s never shows as 0:60.0.
    // A frame past a thousand years of footage is a typo, not a duration.
    const double tenthsExact = static_cast<double>(frame) / fps * 10.0;
    if (!(tenthsExact < 3e11)) {
        return {};
    }
    const auto tenths = static_cast<std::uint64_t>(std::llround(tenthsExact));
    const std::uint64_t seconds = tenths / 10;
    char duration[48];
    if (seconds >= 3600) {
        std::snprintf(duration, sizeof duration, "%llu:%02llu:%02llu.%llu",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60),
                      static_cast<unsigned long long>(tenths % 10));
    } else {
        std::snprintf(duration, sizeof duration, "%llu:%02llu.%llu",
                      static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60),
                      static_cast<unsigned long long>(tenths % 10));
    }
    return duration;
}

} // namespace mouthkey
