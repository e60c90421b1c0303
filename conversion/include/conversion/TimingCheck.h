#pragma once

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "conversion/TimingReader.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// Where a finding occurs: how many lines, and the first few of them. Never a
// list per line, so memory stays bounded on any input.
struct LineSample {
    static constexpr std::size_t kept = 3;

    std::uint64_t count = 0;
    std::array<std::uint64_t, kept> first{};

    void add(std::uint64_t line) {
        if (count < kept) {
            first[count] = line;
        }
        ++count;
    }
    friend bool operator==(const LineSample&, const LineSample&) = default;
};

// Something in a timing text that will not animate as its author expects.
struct Finding {
    enum class Kind {
        NulCharacters,           // the text holds NUL characters
        UnknownPhoneme,          // subject: the name; hint may say which key was meant
        OtherUnknownPhonemes,    // names beyond the ones listed one by one
        LetterMouthShapes,       // names are letter mouth shapes; subject: the letters, as "ABDX"
        FrameNotWholeNumber,     // subject: the first such frame
        NegativeFrame,           // subject: the first such frame
        FramesGoBackwards,       // frames: the first pair, as 52 then 40
        SharedFrame,             // frames: the first frame a keyframe shares with the one before
        TabInLine,               // a tab where a space belongs
        MissingFrame,            // a line holding only a name
        MissingPhoneme,          // a line holding only a frame
        ExtraSpaces,             // empty tokens: two spaces, or one at an end
        ExtraTokens,             // more than a frame and a name
        HeaderLooksLikeKeyframe, // subject: the header line
        KeyframeDocument,        // subject: the header line; the only finding then listed
        NoKeyframes,
        EmptyFile, // not a line, or only line separators
        // What the readers of other formats find; column set where the format has one.
        MalformedText,    // subject: what stopped the reading, as "XML: expected '>'"
        UnreadableLine,   // subject: what is wrong with the first such line; those are left out
        TimeNotANumber,   // subject: the first such time
        NegativeTime,     // subject: the first such time
        CountsDisagree,   // subject: what a count says and what follows it
        FrameRateDiffers, // subject: the project's rate; frames unused
        NoCues,           // a file of another format with no mouth cue in it
        // What writing a target leaves out.
        NoDrawing,       // subject: the first name the mouth chart has no drawing for
        BeforeFrameZero, // frames: the first such key's frame, as written
        EmptyChart,      // a mouth chart that lists no drawing
    };
    enum class Hint {
        None,
        DifferentCase,  // suggestion: the key that differs only in case
        SwappedLetters, // suggestion: the key with two neighbouring letters swapped back
    };

    Kind kind;
    LineSample lines;
    std::string subject;
    Hint hint = Hint::None;
    std::string suggestion;
    // Frames the words name, kept as numbers to be written in the caller's format.
    std::array<std::uint64_t, 2> frames{};
    // The column of the first line's place, counted from 1; 0 where there is none.
    std::uint64_t column = 0;
    // The document leaves these lines out, whatever the kind's own outcome:
    // a target that takes cues has no place for them.
    bool leftOut = false;

    friend bool operator==(const Finding&, const Finding&) = default;
};

// What a timing text holds, as the converter will read it.
struct TimingSummary {
    // Data lines, one keyframe line each; none for a keyframe document, whose
    // lines are pasted all the same but are no take's keyframes.
    std::uint64_t keyframes = 0;
    // The lowest and highest whole-number frames, wherever they are in the
    // file: the take's first and last in time, the last giving its duration.
    std::optional<std::uint64_t> firstFrame;
    std::optional<std::uint64_t> lastFrame;
};

struct TimingReport {
    TimingSummary summary;
    std::vector<Finding> findings; // in a fixed order of kinds; empty for a clean file

    // Data lines whose phoneme name has no entry, whatever the name. Letter
    // mouth shapes in a file of them are not counted: they have their own finding.
    std::uint64_t unknownNameLines() const;
};

// The same, over findings as a target's document gives them.
std::uint64_t unknownNameLines(std::span<const Finding> findings);

// Checks a timing text fed in chunks cut anywhere, reading it exactly as the
// converter does. Memory is bounded by the longest line: only counts, the
// first few line numbers and a few distinct names are kept.
//
// Two or more of the letter mouth shapes that are no phoneme names here (A,
// B, C, F, G, H, X), on more lines than the other phoneme names (D and E
// count as letters), make the text letter-shaped: they are one finding, not
// unknown names. Otherwise a letter is an unknown name like any other. With
// `letters`, the text is read as the converter reads it with letters: all
// nine letters are known.
class TimingChecker {
public:
    // Distinct unknown names reported one by one; the rest are counted together.
    static constexpr std::size_t namesListed = 8;

    explicit TimingChecker(bool letters = false);
    ~TimingChecker();
    TimingChecker(const TimingChecker&) = delete;
    TimingChecker& operator=(const TimingChecker&) = delete;

    void feed(std::string_view chunk);
    // A data line already cut into its frame and name, as the readers of
    // other formats give their cues; such a text has no header. Not to be
    // mixed with feed().
    void feedLine(std::uint64_t number, std::string_view frame, std::string_view name);
    // Call once, at the end.
    TimingReport finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

TimingReport checkTimingText(std::string_view text, bool letters = false);

// The key a name was most likely meant to be: equal to it but for case, or
// but for one swapped pair of neighbouring letters (whatever their case).
// Nothing where two keys would fit.
struct MeantKey {
    std::string_view key;
    Finding::Hint hint;
};
std::optional<MeantKey> meantKey(std::string_view name,
                                 std::span<const std::string_view> keys = phonemeKeys);

// Input text as a message or a tooltip shows it: at most `maxBytes` bytes,
// cut at a character boundary and then marked with an ellipsis, control
// characters as '?' so that it never moves a terminal's cursor, between quotes.
std::string shownText(std::string_view text, std::size_t maxBytes, std::string_view quote = {});

// A data line that is a keyframe as its author meant one: a whole-number
// frame, one space, a name. The one statement of that rule: the checks, the
// header check and the preview's track read lines by it, and the fast block
// readers are held to it by the property test and the fuzzer.
struct KeyLine {
    std::uint64_t frame = 0;
    const TimingToken* name = nullptr;
};
std::optional<KeyLine> keyLine(const TimingLine& line);

// An excerpt of input text as findings quote it: short enough for one line,
// between single quotes.
std::string quotedText(std::string_view text);

// A whole-number frame: decimal digits only. Longer numbers than a frame
// counter needs saturate rather than wrap.
std::optional<std::uint64_t> wholeFrame(std::string_view token);

// How the words write numbers. The converter keeps these defaults, so its
// messages read the same everywhere; the window passes its locale's.
struct NumberFormat {
    std::string groupSeparator = ","; // may be empty: no grouping
    std::string decimalPoint = ".";

    // 1234567 as "1,234,567".
    std::string whole(std::uint64_t n) const;
};

// The words, shared by every front end. A finding as one clause naming the
// lines ("unknown phoneme 'ai' on 3 lines (4, 40, 41)"), what happens to those
// lines ("pasted unchanged"), and a hint ("did you mean 'AI'?"), which may be empty.
std::string findingText(const Finding& finding, const NumberFormat& numbers = {});
std::string_view findingOutcome(Finding::Kind kind);
// The outcome for the finding's own lines: "left out" where the document leaves them out.
std::string_view findingOutcome(const Finding& finding);
std::string findingHint(const Finding& finding);

// "312 keyframes · frames 1–3,204 · 2:13.5 at 24 fps".
std::string summaryText(const TimingSummary& summary, const FrameRate& rate,
                        const NumberFormat& numbers = {});
// For a frame-rate index.
std::string summaryText(const TimingSummary& summary, int rateIndex,
                        const NumberFormat& numbers = {});

// The time of a frame at a rate, in tenths of a second ("2:13.5",
// "1:02:03.4"); empty for a frame too late to be a time.
std::string frameTimeText(std::uint64_t frame, const FrameRate& rate,
                          const NumberFormat& numbers = {});
std::string frameTimeText(std::uint64_t frame, int rateIndex, const NumberFormat& numbers = {});
double framesPerSecond(const FrameRate& rate);
double framesPerSecond(int rateIndex);

} // namespace mouthkey
