#pragma once

#include "conversion/TimingCheck.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace mouthkey {

// The timing formats Mouthkey reads.
enum class TimingFormat {
    Dat,         // Moho switch data: a header, then "FRAME NAME" lines
    RhubarbTsv,  // "SECONDS<TAB>SHAPE" lines, the last one closing the take
    RhubarbXml,  // <rhubarbResult> with <mouthCue start=".." end="..">SHAPE</mouthCue>
    RhubarbJson, // {"mouthCues": [{"start": .., "end": .., "value": ".."}]}
    PapagayoPgo, // "lipsync version 1" projects
    PapagayoPg2, // the JSON projects, "version": 2
};

inline constexpr std::array<TimingFormat, 6> timingFormats{
    TimingFormat::Dat,         TimingFormat::RhubarbTsv,  TimingFormat::RhubarbXml,
    TimingFormat::RhubarbJson, TimingFormat::PapagayoPgo, TimingFormat::PapagayoPg2,
};

// The file name extensions timing files come with, in the order the Open
// dialog lists them.
inline constexpr std::array<std::string_view, 7> timingFileExtensions{
    "dat", "tsv", "txt", "xml", "json", "pgo", "pg2",
};

// The name --from takes: "dat", "tsv", "xml", "json", "pgo", "pg2".
std::string_view formatName(TimingFormat format);
std::optional<TimingFormat> formatNamed(std::string_view name);
// As messages name it: "Moho switch data", "Rhubarb TSV", "Papagayo-NG project (.pgo)", ...
std::string_view formatTitle(TimingFormat format);

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
    friend bool operator==(const TimedCue&, const TimedCue&) = default;
};

// One speaker of a project and its cues, as the project's own .dat export of
// that voice writes them.
struct TakeVoice {
    std::string name;
    std::vector<Cue> cues;
    friend bool operator==(const TakeVoice&, const TakeVoice&) = default;
};

// What a reader makes of a file in any format but .dat, whose text is read
// line by line as it stands.
struct Take {
    // Formats timed in seconds: the cues in file order, the closing one (the
    // end of the take, as an X) last.
    std::vector<TimedCue> timed;
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

// The cues of seconds-timed cues at a rate: a cue at t seconds lands on frame
// 1 + floor(t * fps); of cues landing on one frame the first wins, and the
// closing (last) cue moves one frame later when it lands on the frame of the
// cue written before it. These are the rules by which the tool that writes
// such files exports the same take as a .dat file.
std::vector<Cue> cuesAt(std::span<const TimedCue> timed, double framesPerSecond);

// The cues a take gives at a rate: a voice's cues (an index past the last
// gives the first), or its seconds-timed cues at that rate.
std::vector<Cue> takeCues(const Take& take, std::size_t voice, double framesPerSecond);

// The .dat text of cues: "MohoSwitch1", then one "FRAME NAME" line a cue.
// Converting it gives the document of those cues, as converting the .dat
// export of the same take gives.
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
