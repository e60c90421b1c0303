#include "conversion/TimingCheck.h"

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"

#include "LineReader.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace mouthkey {

namespace {

// Names longer than any key are typos of none; they are counted, not listed.
constexpr std::size_t longestListedName = 32;

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string onLines(const LineSample& lines, const NumberFormat& numbers,
                    std::uint64_t column = 0) {
    if (lines.count == 1) {
        return "on line " + numbers.whole(lines.first[0]) +
               (column ? ", column " + numbers.whole(column) : "");
    }
    std::string text = "on " + numbers.whole(lines.count) + " lines (";
    const auto shown = std::min<std::uint64_t>(lines.count, LineSample::kept);
    for (std::uint64_t i = 0; i < shown; ++i) {
        text += (i ? ", " : "") + numbers.whole(lines.first[i]);
    }
    return text + (lines.count > shown ? ", \xE2\x80\xA6)" : ")");
}

// A keyframe document's first line, whatever its version: "Adobe After
// Effects 8.0 Keyframe Data".
bool isKeyframeDocumentTitle(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line.starts_with("Adobe After Effects ") && line.ends_with(" Keyframe Data");
}

// The first lines of two samples of different lines, as one sample of both.
LineSample mergedSample(const LineSample& a, const LineSample& b) {
    LineSample merged;
    std::array<std::uint64_t, 2 * LineSample::kept> first{};
    const auto aKept = std::min<std::uint64_t>(a.count, LineSample::kept);
    const auto bKept = std::min<std::uint64_t>(b.count, LineSample::kept);
    const auto end = std::merge(a.first.begin(), a.first.begin() + aKept, b.first.begin(),
                                b.first.begin() + bKept, first.begin());
    std::for_each(first.begin(), end, [&](std::uint64_t line) { merged.add(line); });
    merged.count = a.count + b.count;
    return merged;
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

// A frame written with a minus sign.
bool isNegativeFrame(std::string_view token) {
    return token.size() > 1 && token[0] == '-' && wholeFrame(token.substr(1));
}

} // namespace

namespace {

// Up to eight digits read as one word, with no branch on their count: a frame
// is parsed on every line, and its length follows no pattern. The bytes from
// p + size to p + 8 must be readable; they are ignored.
bool parseEightDigits(const char* p, std::size_t size, std::uint64_t& value) {
    std::uint64_t w = scan::loadWord(reinterpret_cast<const scan::Byte*>(p));
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
    if (token.size() <= 8 && readable >= 8) {
        return parseEightDigits(token.data(), token.size(), value);
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

std::string NumberFormat::whole(std::uint64_t n) const {
    std::string digits = std::to_string(n);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), groupSeparator);
    }
    return digits;
}

std::optional<KeyLine> keyLine(const TimingLine& line) {
    const auto& tokens = line.tokens;
    std::uint64_t frame = 0;
    // The frame opens the line, so the line's bytes may be read past it.
    if (tokens.size() != 2 || tokens[1].text.empty() ||
        !parseFrame(tokens[0].text, frame, line.text.size())) {
        return std::nullopt;
    }
    return KeyLine{frame, &tokens[1]};
}

std::string quotedText(std::string_view text) {
    return shownText(text, 40, "'");
}

std::optional<std::uint64_t> wholeFrame(std::string_view token) {
    std::uint64_t value = 0;
    return parseFrame(token, value) ? std::optional(value) : std::nullopt;
}

std::optional<MeantKey> meantKey(std::string_view name, std::span<const std::string_view> keys) {
    std::optional<MeantKey> meant;
    for (const std::string_view key : keys) {
        if (key.size() != name.size()) {
            continue;
        }
        // Where the two differ, case aside: nowhere, or at two neighbours swapped.
        std::size_t differences = 0;
        std::size_t first = 0;
        for (std::size_t i = 0; i < key.size() && differences <= 2; ++i) {
            if (asciiLower(key[i]) != asciiLower(name[i])) {
                first = differences == 0 ? i : first;
                ++differences;
            }
        }
        Finding::Hint hint = Finding::Hint::DifferentCase;
        if (differences == 2) {
            const bool swapped = first + 1 < key.size() &&
                                 asciiLower(key[first]) == asciiLower(name[first + 1]) &&
                                 asciiLower(key[first + 1]) == asciiLower(name[first]);
            if (!swapped) {
                continue;
            }
            hint = Finding::Hint::SwappedLetters;
        } else if (differences != 0) {
            continue;
        }
        if (meant) {
            return std::nullopt; // two keys fit: no guess
        }
        meant = MeantKey{key, hint};
    }
    return meant;
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

std::uint64_t TimingReport::unknownNameLines() const {
    return mouthkey::unknownNameLines(findings);
}

std::uint64_t unknownNameLines(std::span<const Finding> findings) {
    std::uint64_t lines = 0;
    for (const Finding& f : findings) {
        if (f.kind == Finding::Kind::UnknownPhoneme ||
            f.kind == Finding::Kind::OtherUnknownPhonemes) {
            lines += f.lines.count;
        }
    }
    return lines;
}

// The checker's state, and the rules it applies line by line.
struct TimingChecker::Impl {
    struct NameTally {
        std::string name;
        LineSample lines;
    };

    struct Lines;

    explicit Impl(bool letters);
    ~Impl();
    void feed(std::string_view chunk);
    void feedLine(std::uint64_t number, std::string_view frame, std::string_view name);
    TimingReport finish();

    const unsigned char* takeLines(const unsigned char* p, const unsigned char* end,
                                   std::uint64_t& lines);
    // Where the lines naming `name` are counted.
    LineSample& linesNaming(std::string_view name);
    void check(const TimingLine& line);
    void checkHeader(const TimingLine& line);

    std::unique_ptr<Lines> m_lines;
    TimingSummary m_summary;
    bool m_headerSeen = false;
    bool m_cueLines = false; // fed line by line, by feedLine
    // A header worth a finding: one that looks like a keyframe, or a keyframe document's.
    std::optional<std::uint64_t> m_headerLine;
    Finding::Kind m_headerKind = Finding::Kind::HeaderLooksLikeKeyframe;
    std::string m_headerText;
    LineSample m_nul;
    std::vector<NameTally> m_names;
    LineSample m_knownNameLines; // phoneme names other than letters, whichever path counts them
    bool m_letters;
    // Lines naming each letter mouth shape, in chart order, unless they are read as letters.
    std::array<LineSample, letterShapes.size()> m_letterLines;
    // Names of up to eight bytes, as a word whose lowest byte is the first
    // (never 0: names hold no NUL), and where their lines are counted.
    struct NameSlot {
        std::uint64_t packed = 0;
        LineSample* lines = nullptr;
    };
    std::array<NameSlot, 512> m_nameSlots{}; // 256 sets of two
    LineSample m_otherNames;
    LineSample m_notWhole;
    std::string m_firstNotWhole;
    LineSample m_negative;
    std::string m_firstNegative;
    LineSample m_backwards;
    std::array<std::uint64_t, 2> m_firstBackwards{};
    LineSample m_shared;
    std::uint64_t m_firstShared = 0;
    LineSample m_tabs, m_missingFrame, m_missingPhoneme, m_extraSpaces, m_extraTokens;
    std::uint64_t m_frames = 0; // whole-number frames seen, in file order
    std::uint64_t m_lowestFrame = 0;
    std::uint64_t m_highestFrame = 0;
    std::uint64_t m_lastFrame = 0; // in file order, for frames going backwards or shared
};

// The line reader with the checks inlined into it: they run on every line.
struct TimingChecker::Impl::Lines {
    struct Check {
        Impl* checker;
        void operator()(const TimingLine& line) const { checker->check(line); }
        const scan::Byte* takeLines(const scan::Byte* p, const scan::Byte* end,
                                    std::uint64_t& lines) const {
            return checker->takeLines(p, end, lines);
        }
    };
    scan::LineReader<Check> reader;
};

TimingChecker::TimingChecker(bool letters) : m_impl(std::make_unique<Impl>(letters)) {}

TimingChecker::~TimingChecker() = default;

void TimingChecker::feed(std::string_view chunk) {
    m_impl->feed(chunk);
}

void TimingChecker::feedLine(std::uint64_t number, std::string_view frame, std::string_view name) {
    m_impl->feedLine(number, frame, name);
}

TimingReport TimingChecker::finish() {
    return m_impl->finish();
}

TimingChecker::Impl::Impl(bool letters)
    : m_lines(std::make_unique<Lines>(Lines{scan::LineReader<Lines::Check>({this})})),
      m_letters(letters) {
    m_names.reserve(namesListed); // the name cache points into it
}

TimingChecker::Impl::~Impl() = default;

void TimingChecker::Impl::feed(std::string_view chunk) {
    m_lines->reader.feed(chunk);
}

void TimingChecker::Impl::feedLine(std::uint64_t number, std::string_view frame,
                                   std::string_view name) {
    m_headerSeen = true;
    m_cueLines = true;
    const std::array<TimingToken, 2> tokens{{{frame}, {name}}};
    std::string text;
    text.reserve(frame.size() + 1 + name.size());
    text.append(frame).append(" ").append(name);
    check({number, false, text, tokens});
}

// The usual data line, "FRAME NAME" with a whole frame no smaller than the
// last one, taken 64 bytes at a time: the masks of a block tell at once
// whether all its lines have that shape, and where their spaces and ends
// are, so the lines need no cutting and the blocks no waiting on the lines.
// Anything else, and the last bytes of a text, go the long way through
// check(); the line numbers count on from here either way.
const scan::Byte* TimingChecker::Impl::takeLines(const scan::Byte* p, const scan::Byte* end,
                                                 std::uint64_t& lines) {
    using scan::Byte;
    // Locals, not members: the stores through a slot would force reloads.
    std::uint64_t count = lines;
    std::uint64_t keyframes = m_summary.keyframes;
    std::uint64_t frames = m_frames;
    // Frames rise within a run, so the lowest can only be the take's first.
    std::uint64_t lowest = m_lowestFrame;
    std::uint64_t last = m_lastFrame;

    const Byte* lineStart = p;
    const Byte* pendingSpace = nullptr; // the current line's space, in an earlier block
    // What the last block leaves to the next: whether its last byte lies
    // between a line's space and its end, starts a line, is a space or a CR.
    std::uint64_t inName = 0;
    std::uint64_t startsLine = 1;
    std::uint64_t spaceBefore = 0;
    std::uint64_t crBefore = 0;
    bool stopped = false; // at a line whose frame check() must read
    constexpr std::size_t block = 64;
    // A frame or a name is read eight bytes at a time, up to eight past the block.
    for (const Byte* b = p; static_cast<std::size_t>(end - b) >= block + 8; b += block) {
        const scan::ByteMasks m = scan::masksOf(b);
        const std::uint64_t lfAfter = b[block] == '\n' ? 1 : 0;
        // The first byte of each separator: a CR before an LF, or an LF alone.
        const std::uint64_t term =
            (m.cr & ((m.lf >> 1) | (lfAfter << 63))) | (m.lf & ~((m.cr << 1) | crBefore));
        // Between a space and the end of its line, inclusive of the space.
        const std::uint64_t name = scan::prefixParity(m.space | term) ^ inName;
        const std::uint64_t lineStarts = (m.lf << 1) | startsLine;
        const std::uint64_t bad =
            (m.special & ~(m.space | m.lf | m.cr)) |    // tabs, NULs, other separators
            (m.cr & ~((m.lf >> 1) | (lfAfter << 63))) | // a CR alone
            (m.space & ~name) | (term & name) |         // not one space per line
            (m.space & lineStarts) |                    // no frame
            (term & ((m.space << 1) | spaceBefore)) |   // no name
            (~name & ~(term | m.lf) & ~m.digit);        // a frame not of digits
        const unsigned firstBad = bad ? static_cast<unsigned>(std::countr_zero(bad)) : 64;

        std::uint64_t ends = term;
        std::uint64_t spaces = m.space;
        while (ends != 0) {
            const auto at = static_cast<unsigned>(std::countr_zero(ends));
            ends &= ends - 1;
            if (at >= firstBad) {
                break; // this line is not the usual kind
            }
            const Byte* space = pendingSpace;
            if (space == nullptr) {
                space = b + std::countr_zero(spaces);
                spaces &= spaces - 1;
            }
            pendingSpace = nullptr;

            const auto frameSize = static_cast<std::size_t>(space - lineStart);
            const auto* frameText = reinterpret_cast<const char*>(lineStart);
            std::uint64_t value = 0;
            const bool whole = frameSize - 1 < 8 ? parseEightDigits(frameText, frameSize, value)
                                                 : parseFrame({frameText, frameSize}, value);
            if (!whole || (frames > 0 && value <= last)) {
                stopped = true; // not whole, backwards or on the last frame: check() says where
                break;
            }
            lowest = frames == 0 ? value : lowest;
            last = value;
            ++frames;
            ++keyframes;
            ++count;

            // The name's lines are counted through a small cache keyed by the
            // name's bytes, known names and unknown alike: no branch on which it is.
            const Byte* const nameStart = space + 1;
            const auto nameSize = static_cast<std::size_t>(b + at - nameStart);
            const std::string_view nameText(reinterpret_cast<const char*>(nameStart), nameSize);
            LineSample* sample = nullptr;
            if (nameSize - 1 < 8) { // one to eight bytes
                const scan::Word packed =
                    scan::loadWord(nameStart) & (~scan::Word{0} >> (64 - 8 * nameSize));
                NameSlot* const set = &m_nameSlots[2 * ((packed * 0x9E3779B97F4A7C15u) >> 56)];
                const bool inFirst = set[0].packed == packed;
                sample = inFirst ? set[0].lines : set[1].lines;
                if (!inFirst && set[1].packed != packed) {
                    sample = &linesNaming(nameText);
                    set[set[0].packed == 0 ? 0 : 1] = {packed, sample};
                }
            } else {
                sample = &linesNaming(nameText);
            }
            sample->add(count);
            lineStart = b + at + 1 + ((m.cr >> at) & 1); // a CR LF is one separator
        }
        if (stopped || firstBad < block) {
            break;
        }
        if (spaces != 0) {
            pendingSpace = b + std::countr_zero(spaces);
        }
        inName = (name >> 63) ? ~std::uint64_t{0} : 0;
        startsLine = m.lf >> 63;
        spaceBefore = m.space >> 63;
        crBefore = m.cr >> 63;
    }
    lines = count;
    m_summary.keyframes = keyframes;
    m_frames = frames;
    m_lowestFrame = lowest;
    // And the run's highest is its last.
    m_highestFrame = std::max(m_highestFrame, last);
    m_lastFrame = last;
    return lineStart;
}

LineSample& TimingChecker::Impl::linesNaming(std::string_view name) {
    if (const int entry = MappingTable::entryIndex(name); entry >= 0) {
        const int letter = detail::letterShapeOf(name);
        if (m_letters || letter < 0) {
            return m_knownNameLines;
        }
        return m_letterLines[static_cast<std::size_t>(letter)];
    }
    const auto known = std::find_if(m_names.begin(), m_names.end(),
                                    [&](const NameTally& t) { return t.name == name; });
    if (known != m_names.end()) {
        return known->lines;
    }
    if (m_names.size() < namesListed && name.size() <= longestListedName) {
        return m_names.emplace_back(NameTally{std::string(name), {}}).lines;
    }
    return m_otherNames;
}

void TimingChecker::Impl::check(const TimingLine& line) {
    if (line.text.find('\0') != std::string_view::npos) {
        m_nul.add(line.number);
    }
    if (line.header) {
        checkHeader(line);
        return;
    }
    ++m_summary.keyframes;
    const auto& tokens = line.tokens;
    const std::optional<KeyLine> key = keyLine(line);
    if (key) {
        const std::uint64_t frame = key->frame;
        if (m_frames == 0) {
            m_lowestFrame = frame;
        } else if (frame < m_lastFrame) {
            m_lowestFrame = std::min(m_lowestFrame, frame); // only a frame going back is lower
            if (m_backwards.count == 0) {
                m_firstBackwards = {m_lastFrame, frame};
            }
            m_backwards.add(line.number);
        } else if (frame == m_lastFrame) {
            if (m_shared.count == 0) {
                m_firstShared = frame;
            }
            m_shared.add(line.number);
        }
        m_highestFrame = std::max(m_highestFrame, frame);
        m_lastFrame = frame;
        ++m_frames;
    } else if (tokens.size() != 2 || tokens[0].text.empty() || tokens[1].text.empty()) {
        // Why the line is no keyframe: its shape.
        if (line.text.find('\t') != std::string_view::npos) {
            m_tabs.add(line.number);
        } else if (tokens.size() == 1) {
            const bool frame = wholeFrame(tokens[0].text) || isNegativeFrame(tokens[0].text);
            (frame ? m_missingPhoneme : m_missingFrame).add(line.number);
        } else if (std::any_of(tokens.begin(), tokens.end(),
                               [](const TimingToken& t) { return t.text.empty(); })) {
            m_extraSpaces.add(line.number);
        } else {
            m_extraTokens.add(line.number);
        }
        return;
    } else {
        // Or its frame.
        const bool negative = isNegativeFrame(tokens[0].text);
        LineSample& lines = negative ? m_negative : m_notWhole;
        if (lines.count == 0) {
            (negative ? m_firstNegative : m_firstNotWhole) = quotedText(tokens[0].text);
        }
        lines.add(line.number);
    }

    linesNaming(tokens[1].text).add(line.number); // a known name may still be a letter
}

void TimingChecker::Impl::checkHeader(const TimingLine& line) {
    m_headerSeen = true;
    // A header that reads as a keyframe most likely is one: the file has none.
    if (keyLine(line)) {
        m_headerKind = Finding::Kind::HeaderLooksLikeKeyframe;
    } else if (isKeyframeDocumentTitle(line.text)) {
        m_headerKind = Finding::Kind::KeyframeDocument;
    } else {
        return;
    }
    m_headerLine = line.number;
    m_headerText = quotedText(line.text);
}

TimingReport TimingChecker::Impl::finish() {
    m_lines->reader.finish();
    TimingReport report;
    report.summary = m_summary;
    if (m_frames > 0) {
        report.summary.firstFrame = m_lowestFrame;
        report.summary.lastFrame = m_highestFrame;
    }
    auto& findings = report.findings;
    const auto add = [&](Finding::Kind kind, const LineSample& lines, std::string subject = {},
                         std::array<std::uint64_t, 2> frames = {}) {
        if (lines.count > 0) {
            findings.push_back({kind, lines, std::move(subject), Finding::Hint::None, {}, frames});
        }
    };

    LineSample header;
    if (m_headerLine) {
        header.add(*m_headerLine);
    }
    if (m_headerKind == Finding::Kind::KeyframeDocument && m_headerLine) {
        // Every line of it is off in some way; the one thing to say is what it
        // is. Its lines are no take's keyframes.
        report.summary = {};
        add(Finding::Kind::KeyframeDocument, header, m_headerText);
        return report;
    }
    add(Finding::Kind::NulCharacters, m_nul);
    add(Finding::Kind::HeaderLooksLikeKeyframe, header, m_headerText);

    // Letter-shaped: two letters at least that are no phoneme names here, and
    // more lines of letters than of phoneme names, so that reading its D and E
    // as letters is no risk to a file of phoneme names with a few letters in it.
    std::string lettersUsed;
    LineSample letterOnlyLines;
    std::uint64_t letterLines = 0;
    std::vector<NameTally> names = m_names;
    for (std::size_t i = 0; i < letterShapes.size(); ++i) {
        const LineSample& lines = m_letterLines[i];
        if (lines.count == 0) {
            continue;
        }
        lettersUsed += letterShapes[i].letter;
        letterLines += lines.count;
        if (MappingTable::keyIndex(letterShapes[i].letter) < 0) {
            letterOnlyLines = mergedSample(letterOnlyLines, lines);
            names.push_back({std::string(letterShapes[i].letter), lines});
        }
    }
    const std::size_t lettersOnlyUsed = names.size() - m_names.size();
    const bool letterShaped = lettersOnlyUsed >= 2 && letterLines > m_knownNameLines.count;
    if (letterShaped) {
        names.resize(m_names.size());
        findings.push_back({Finding::Kind::LetterMouthShapes,
                            letterOnlyLines,
                            std::move(lettersUsed),
                            Finding::Hint::None,
                            {}});
    }
    // A lone letter is listed where its first line puts it among the names.
    std::stable_sort(names.begin(), names.end(), [](const NameTally& a, const NameTally& b) {
        return a.lines.first[0] < b.lines.first[0];
    });
    for (const NameTally& tally : names) {
        Finding f{Finding::Kind::UnknownPhoneme,
                  tally.lines,
                  quotedText(tally.name),
                  Finding::Hint::None,
                  {}};
        if (const auto meant = meantKey(tally.name)) {
            f.hint = meant->hint;
            f.suggestion = meant->key;
        }
        findings.push_back(std::move(f));
    }
    add(Finding::Kind::OtherUnknownPhonemes, m_otherNames);
    add(Finding::Kind::FrameNotWholeNumber, m_notWhole, m_firstNotWhole);
    add(Finding::Kind::NegativeFrame, m_negative, m_firstNegative);
    add(Finding::Kind::FramesGoBackwards, m_backwards, {}, m_firstBackwards);
    add(Finding::Kind::SharedFrame, m_shared, {}, {m_firstShared, 0});
    add(Finding::Kind::TabInLine, m_tabs);
    add(Finding::Kind::MissingFrame, m_missingFrame);
    add(Finding::Kind::MissingPhoneme, m_missingPhoneme);
    add(Finding::Kind::ExtraSpaces, m_extraSpaces);
    add(Finding::Kind::ExtraTokens, m_extraTokens);
    if (!m_headerSeen) {
        findings.push_back({Finding::Kind::EmptyFile, {}, {}, Finding::Hint::None, {}});
    } else if (m_summary.keyframes == 0 && m_cueLines) {
        findings.push_back({Finding::Kind::NoCues, {}, {}, Finding::Hint::None, {}});
    } else if (m_summary.keyframes == 0) {
        findings.push_back({Finding::Kind::NoKeyframes, {}, {}, Finding::Hint::None, {}});
    }
    return report;
}

TimingReport checkTimingText(std::string_view text, bool letters) {
    TimingChecker checker(letters);
    checker.feed(text);
    return checker.finish();
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

std::string summaryText(const TimingSummary& summary, const FrameRate& rate,
                        const NumberFormat& numbers) {
    std::string text =
        numbers.whole(summary.keyframes) + (summary.keyframes == 1 ? " keyframe" : " keyframes");
    if (!summary.firstFrame || !summary.lastFrame) {
        return text;
    }
    text += " \xC2\xB7 ";
    text += *summary.firstFrame == *summary.lastFrame
                ? "frame " + numbers.whole(*summary.firstFrame)
                : "frames " + numbers.whole(*summary.firstFrame) + "\xE2\x80\x93" +
                      numbers.whole(*summary.lastFrame);

    const std::string duration = frameTimeText(*summary.lastFrame, rate, numbers);
    if (duration.empty()) {
        return text;
    }
    return text + " \xC2\xB7 " + duration + " at " + std::string(rate.title()) + " fps";
}

std::string summaryText(const TimingSummary& summary, int rateIndex, const NumberFormat& numbers) {
    return summaryText(summary, FrameRate(rateIndex), numbers);
}

double framesPerSecond(const FrameRate& rate) {
    const std::string_view title = rate.title();
    double fps = 0;
    std::from_chars(title.data(), title.data() + title.size(), fps);
    return fps;
}

double framesPerSecond(int rateIndex) {
    return framesPerSecond(FrameRate(rateIndex));
}

std::string frameTimeText(std::uint64_t frame, int rateIndex, const NumberFormat& numbers) {
    return frameTimeText(frame, FrameRate(rateIndex), numbers);
}

std::string frameTimeText(std::uint64_t frame, const FrameRate& rate, const NumberFormat& numbers) {
    const double fps = framesPerSecond(rate);
    // Tenths of a second, rounded once, so that 59.95 s never shows as 0:60.0.
    // A frame past a thousand years of footage is a typo, not a duration.
    const double tenthsExact = static_cast<double>(frame) / fps * 10.0;
    if (!(tenthsExact < 3e11)) {
        return {};
    }
    const auto tenths = static_cast<std::uint64_t>(std::llround(tenthsExact));
    const std::uint64_t seconds = tenths / 10;
    char clock[40];
    if (seconds >= 3600) {
        std::snprintf(clock, sizeof clock, "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    } else {
        std::snprintf(clock, sizeof clock, "%llu:%02llu",
                      static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    }
    return clock + numbers.decimalPoint + static_cast<char>('0' + tenths % 10);
}

} // namespace mouthkey
