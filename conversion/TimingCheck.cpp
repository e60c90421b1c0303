#include "conversion/TimingCheck.h"

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"

#include "DatLines.h"
#include "KeySlots.h"
#include "LineReader.h"

#include <algorithm>

namespace mouthkey {

namespace {

// Names longer than any key are typos of none; they are counted, not listed.
constexpr std::size_t longestListedName = 32;

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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

// A name's bytes as a word, its first byte lowest, as the block lane packs
// them; 0 for a name it never packs: empty, past eight bytes, or holding NUL.
scan::Word packedName(std::string_view name) {
    if (name.empty() || name.size() > 8 || name.find('\0') != std::string_view::npos) {
        return 0;
    }
    std::array<scan::Byte, 8> bytes{};
    std::copy(name.begin(), name.end(), bytes.begin());
    return scan::loadWord(bytes.data());
}

// A frame written with a minus sign.
bool isNegativeFrame(std::string_view token) {
    return token.size() > 1 && token[0] == '-' && wholeFrame(token.substr(1));
}

} // namespace

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

std::size_t problemCount(std::span<const Finding> findings) {
    return static_cast<std::size_t>(std::count_if(
        findings.begin(), findings.end(), [](const Finding& f) { return !isAdvice(f.kind); }));
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
    void feedCue(std::uint64_t number, std::uint64_t frame, std::string_view name);
    TimingReport finish();

    // What a run of usual keyframes moves on, kept in locals while it lasts.
    // A run starts after a keyframe, so its lowest frame is never lower than
    // the take's first; the lines it takes are counted by its caller, each a
    // keyframe with a whole frame.
    struct Run {
        std::uint64_t last;
        scan::Word lastPacked; // the name on `last`, packed; 0 for one in m_lastName
        std::uint64_t singles; // mouths shown for a single frame
    };
    Run run() const { return {m_lastFrame, m_lastPacked, m_singleFrame.count}; }
    void endRun(const Run& run, std::uint64_t taken);
    // A whole frame above the last with a name of `packed`'s bytes (up to
    // eight, else 0): taken, unless it is not above the last. A run's lines
    // follow one another from m_runFrom, whose keyframe before is on m_lastLine:
    // the line before each is known without a register to keep it in.
    bool takeUsual(std::uint64_t frame, std::string_view name, scan::Word packed,
                   std::uint64_t line, Run& run);

    const unsigned char* takeLines(const unsigned char* p, const unsigned char* end,
                                   std::uint64_t& lines);
    // Whether a keyframe of `packed` (or, unpacked, `name`) names another
    // mouth than the last one, of `lastPacked`.
    bool namesOtherThanLast(scan::Word packed, std::string_view name, scan::Word lastPacked) const {
        return packed != lastPacked || (packed == 0 && otherThanLastName(name));
    }
    // Names too long to pack, out of the block lane's way.
    MOUTHKEY_COLD bool otherThanLastName(std::string_view name) const { return name != m_lastName; }
    MOUTHKEY_COLD LineSample& linesNamingUnpacked(std::string_view name) {
        m_lastName.assign(name);
        return linesNaming(name);
    }
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
    // The keyframe on the last frame: its line and name, for a mouth held a single frame.
    std::uint64_t m_lastLine = 0;
    std::uint64_t m_runFrom = 0; // the line a run starts at
    scan::Word m_lastPacked = 0;
    std::string m_lastName; // a name too long to pack, or holding NUL
    LineSample m_singleFrame;
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

void TimingChecker::feedCue(std::uint64_t number, std::uint64_t frame, std::string_view name) {
    m_impl->feedCue(number, frame, name);
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

// The usual data lines, with whole frames each above the last, in bulk, by
// the block lane. Anything else, and the last bytes of a text, go the long
// way through check(); the line numbers count on from here either way.
const scan::Byte* TimingChecker::Impl::takeLines(const scan::Byte* p, const scan::Byte* end,
                                                 std::uint64_t& lines) {
    if (m_frames == 0) {
        return p; // the take's first keyframe goes the long way
    }
    // Locals, not members: the stores through a slot would force reloads.
    Run counts = run();
    m_runFrom = lines + 1;
    const auto take = [&](std::uint64_t frame, std::string_view name, std::uint64_t line,
                          std::string_view) {
        const scan::Word packed = name.size() - 1 < 8 // one to eight bytes, with eight readable
                                      ? scan::loadWord(datlines::bytesAt(name.data())) &
                                            (~scan::Word{0} >> (64 - 8 * name.size()))
                                      : 0;
        return takeUsual(frame, name, packed, line, counts);
    };
    const scan::Byte* const stop = datlines::takeBlockLines(p, end, lines, take);
    // Every line the lane passes it takes.
    const std::uint64_t taken = lines + 1 - m_runFrom;
    if (taken > 0) {
        m_lastLine = lines;
    }
    endRun(counts, taken);
    return stop;
}

void TimingChecker::Impl::endRun(const Run& run, std::uint64_t taken) {
    m_summary.keyframes += taken;
    m_frames += taken;
    // Frames rise within a run, so its highest is its last.
    m_highestFrame = std::max(m_highestFrame, run.last);
    m_lastFrame = run.last;
    m_lastPacked = run.lastPacked;
    m_singleFrame.count = run.singles;
}

inline bool TimingChecker::Impl::takeUsual(std::uint64_t frame, std::string_view name,
                                           scan::Word packed, std::uint64_t line, Run& run) {
    if (frame <= run.last) {
        return false; // backwards or on the last frame: check() says where
    }
    // The last keyframe's mouth showed for this one frame. Steps of one
    // frame follow no pattern, so it is counted without a branch on them.
    bool other = packed != run.lastPacked;
    if (packed == 0 && run.lastPacked == 0) [[unlikely]] {
        other = otherThanLastName(name);
    }
    const bool single = (frame - run.last == 1) & other;
    if (run.singles < LineSample::kept && single) [[unlikely]] {
        m_singleFrame.first[run.singles] = line == m_runFrom ? m_lastLine : line - 1;
    }
    run.singles += single;
    run.last = frame;
    run.lastPacked = packed;
    // The name's lines are counted through a small cache keyed by the
    // name's bytes, known names and unknown alike: no branch on which it is.
    LineSample* sample = nullptr;
    if (packed != 0) {
        NameSlot* const set = &m_nameSlots[2 * ((packed * 0x9E3779B97F4A7C15u) >> 56)];
        const bool inFirst = set[0].packed == packed;
        sample = inFirst ? set[0].lines : set[1].lines;
        if (!inFirst && set[1].packed != packed) {
            sample = &linesNaming(name);
            set[set[0].packed == 0 ? 0 : 1] = {packed, sample};
        }
    } else {
        sample = &linesNamingUnpacked(name);
    }
    sample->add(line);
    return true;
}

void TimingChecker::Impl::feedCue(std::uint64_t number, std::uint64_t frame,
                                  std::string_view name) {
    // A usual name: visible ASCII alone, as a data line's would be.
    const bool usual = !name.empty() && std::all_of(name.begin(), name.end(),
                                                    [](char c) { return c > ' ' && c < 0x7F; });
    m_headerSeen = true;
    m_cueLines = true;
    if (usual && m_frames > 0) {
        Run counts = run();
        m_runFrom = number;
        if (takeUsual(frame, name, packedName(name), number, counts)) {
            endRun(counts, 1);
            m_lastLine = number;
            return;
        }
    }
    feedLine(number, std::to_string(frame), name);
}

LineSample& TimingChecker::Impl::linesNaming(std::string_view name) {
    if (const int entry = MappingTable::entryIndex(name); entry >= 0) {
        const int letter = keys::letterShapeOf(name);
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
        const std::string_view name = key->name->text;
        const scan::Word packed = packedName(name);
        if (m_frames > 0 && frame > m_lastFrame && frame - m_lastFrame == 1 &&
            namesOtherThanLast(packed, name, m_lastPacked)) {
            m_singleFrame.add(m_lastLine);
        }
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
        m_lastLine = line.number;
        m_lastPacked = packed;
        if (packed == 0) {
            m_lastName.assign(name);
        }
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
    add(Finding::Kind::SingleFrameMouths, m_singleFrame);
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

} // namespace mouthkey
