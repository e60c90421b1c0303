#pragma once

#include "conversion/Finding.h"
#include "conversion/FindingText.h"
#include "conversion/KeyframeDocument.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace mouthkey {

// Where in its file a cue was written. Lines count from 1, as the checks
// number them; column 0 means the format has none.
struct CuePlace {
    std::uint64_t line = 0;
    std::uint64_t column = 0;
    friend bool operator==(const CuePlace&, const CuePlace&) = default;
};

// One mouth change: from this frame (counted from 1, as a .dat file counts)
// the mouth shows the shape of this name.
struct Cue {
    std::uint64_t frame = 0;
    std::string name;
    CuePlace place;
    friend bool operator==(const Cue&, const Cue&) = default;
};

// A cue timed in seconds, before a frame rate makes it a frame.
struct TimedCue {
    double seconds = 0;
    std::string name;
    CuePlace place;
    // It closes the mouth after a cue that ends, rather than starting one.
    bool closing = false;
    friend bool operator==(const TimedCue&, const TimedCue&) = default;
};

// One speaker of a project and its cues, as the project's own .dat export of
// that voice writes them.
struct TakeVoice {
    std::string name;
    std::vector<Cue> cues;
    friend bool operator==(const TakeVoice&, const TakeVoice&) = default;
};

// Which of the seconds-timed cues that land on one frame the frame keeps.
enum class SameFrame {
    // The first; the take's last cue, which closes it, moves one frame later
    // instead when it lands on the frame of the cue before.
    FirstWins,
    // The first that is not closing, else the first: a mouth that opens
    // wins over one that closes on the same frame.
    OpeningWins,
};

// What a reader makes of a file.
struct Take {
    // Formats timed in seconds: the cues in time order (file order among
    // equal times), for FirstWins the closing one (the end of the take) last.
    std::vector<TimedCue> timed;
    SameFrame sameFrame = SameFrame::FirstWins;
    // Each cue keys on the frame whose start is nearest its time, rather than
    // the frame it falls in: for times measured, not chosen on frames.
    bool nearestFrames = false;
    // Formats timed in frames: one entry per voice, never empty for them.
    std::vector<TakeVoice> voices;
    // The rate the project was timed at; for formats timed in frames only.
    std::optional<double> framesPerSecond;
    std::string framesPerSecondText; // as the project writes it
    std::string soundFile;           // as the project names it; empty when none
    // The names are letter mouth shapes, to be read by their chart.
    bool letters = false;
    // What the reader could not read, in the checks' words.
    std::vector<Finding> findings;

    bool timedInSeconds() const noexcept { return voices.empty(); }
};

struct TimingTextStyle; // conversion/TimingWriting.h

// How well a text fits a format, as the format's probe tells by the text alone.
enum class Fit {
    No,
    Fallback, // the format of a text no other format claims
    OwnName,  // the format's only when the file's name has one of its extensions
    Yes,
};

// A timing format Mouthkey reads: one row of the readers' registry
// (textinput/TimingFormats.h), and the format's identity wherever a format is
// named, so that a format is added by its reader and its row alone.
struct TimingFormat {
    std::string_view name;                        // what --from takes: "tsv"
    std::string_view title;                       // as messages name it: "Rhubarb TSV"
    std::span<const std::string_view> extensions; // without the dot, lower case
    Fit (*probe)(std::string_view text);          // may see only the text's start
    Take (*read)(std::string_view text);
    // What --help says of it: one line, then example lines indented by ten spaces.
    std::string_view help;
    // Its text is converted as it streams, line by line, rather than read whole.
    bool streams = false;
    // The text of cues in this format, which `read` reads back to the same
    // cues; nullptr for a format Mouthkey does not write.
    std::string (*write)(std::span<const Cue> cues, const TimingTextStyle& style) = nullptr;
};

// What a reader finds, one finding per kind in the order of kinds, as the
// checks give theirs: a kind met again only adds its line, as the subject
// (text, or a function that makes it, called only for the first) names the first.
class ReaderFindings {
public:
    template <class Subject>
    void add(Finding::Kind kind, const CuePlace& place, Subject&& subject) {
        for (Finding& f : m_findings) {
            if (f.kind == kind) {
                f.lines.add(place.line);
                return;
            }
        }
        std::string text;
        if constexpr (std::is_invocable_v<Subject>) {
            text = std::string(subject());
        } else {
            text = std::string(subject);
        }
        Finding f{kind, {}, std::move(text), Finding::Hint::None, {}, {}, place.column};
        f.lines.add(place.line);
        m_findings.push_back(std::move(f));
    }
    bool has(Finding::Kind kind) const;
    std::vector<Finding> take();

private:
    std::vector<Finding> m_findings;
};

// The frame a cue at `seconds` lands on: 1 + floor(seconds * fps), 1 for a
// time before 0, saturating for times no frame counter reaches.
std::uint64_t frameAtSeconds(double seconds, double framesPerSecond);

// The cues of seconds-timed cues at a rate, each on its frameAtSeconds; of
// cues landing on one frame, `sameFrame` says which stays. FirstWins is the
// rule by which the tool that writes Rhubarb's files exports the same take as
// a .dat file. With `nearest`, each lands on the frame whose start is
// nearest its time instead (see Take::nearestFrames).
std::vector<Cue> cuesAt(std::span<const TimedCue> timed, double framesPerSecond,
                        SameFrame sameFrame = SameFrame::FirstWins, bool nearest = false);

// The cues a take gives at a rate: a voice's cues (an index past the last
// gives the first), or its seconds-timed cues at that rate.
std::vector<Cue> takeCues(const Take& take, std::size_t voice, double framesPerSecond);

// The .dat text of cues: "MohoSwitch1", then one "FRAME NAME" line a cue, as
// datTimingText writes it with the default style. Converting it gives the
// document of those cues, as converting the .dat export of the same take gives.
std::string datText(std::span<const Cue> cues);

// What is found about a take's file as a whole, whichever voice is read: the
// reader's findings, then, for a project timed at a rate other than `rate`, a
// finding saying so.
std::vector<Finding> takeFindings(const Take& take, const FrameRate& rate);

// The checks of cues a take gives, with their findings at the lines the cues
// came from; an empty take gets no finding of its own where the reader
// already names what went wrong.
TimingReport checkTakeCues(const Take& take, std::span<const Cue> cues);

// Both: the take's findings, then those of its cues.
TimingReport checkCues(const Take& take, std::span<const Cue> cues, const FrameRate& rate);

} // namespace mouthkey
