#pragma once

// What the checks and the readers find about a text, as values every front
// end shows: where (a sample of lines), what (a kind and its subject), and
// the summary of a whole text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
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
        SingleFrameMouths,       // keyframes the next, of another name, follows one frame later
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
        // What timing a take from its sound noticed; subject: what, in the user's words.
        SoundTimingNote,
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

// Advice: the text animates as written, but likely not as its author
// meant. Listed like any finding, it is no problem: nothing refuses a take
// for it, and no front end warns of it.
constexpr bool isAdvice(Finding::Kind kind) {
    return kind == Finding::Kind::SingleFrameMouths || kind == Finding::Kind::SoundTimingNote;
}

// The findings that are problems: all but advice.
std::size_t problemCount(std::span<const Finding> findings);

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

} // namespace mouthkey
