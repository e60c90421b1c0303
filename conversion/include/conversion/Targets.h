#pragma once

#include "conversion/ChunkSink.h"
#include "conversion/CleanUp.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MouthChart.h"
#include "conversion/Take.h"
#include "conversion/TimingCheck.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// What a keyframe document animates.
enum class Target {
    Position,      // a strip of drawings slid sideways, as the phoneme set places them
    TimeRemap,     // the layer's Time Remap, on a precomp of one drawing a frame
    SliderControl, // a Slider Control effect holding the drawing's number
};

inline constexpr std::array<Target, 3> targets{Target::Position, Target::TimeRemap,
                                               Target::SliderControl};

// What a document animates when nothing is chosen.
inline constexpr Target defaultTarget = Target::Position;

// The name --target takes: "position", "time-remap", "slider".
std::string_view targetName(Target target);
std::optional<Target> targetNamed(std::string_view name);
// As the window and messages name it: "Position", "Time Remap", "Slider Control".
std::string_view targetTitle(Target target);
// Hold steps are on by default for Time Remap and Slider Control, off for Position.
bool holdsByDefault(Target target);
// Whether a target draws by a mouth chart (Time Remap, Slider Control)
// rather than pasting the set's values (Position).
bool usesChart(Target target);

// What a document is written for.
struct TargetChoices {
    Target target = Target::Position;
    int setIndex = 0;
    FrameRate rate;
    bool letters = false;     // letter mouth shapes read by their chart
    std::optional<bool> hold; // nothing: the target's default
    std::int64_t offset = 0;  // added to every whole-number frame
    // The chart for Time Remap and Slider Control; nothing: the set's.
    std::optional<MouthChart> chart;
    // What the cues pass through before they are keyed; none by default.
    CleanUpRules cleanUp;

    // Hold steps: on by default for Time Remap and Slider Control, off for Position.
    bool holds() const { return hold ? *hold : holdsByDefault(target); }
    // The chart in use: the one given, or the set's.
    MouthChart chartInUse() const;
};

// What writing a target's document found and did.
struct TargetResult {
    std::uint64_t keyframes = 0;   // key lines written, hold steps included
    std::uint64_t holdSteps = 0;   // of those, the hold steps
    std::vector<Finding> findings; // keys left out: names without a drawing, frames before 0
    CleanUpEffects cleaned;        // what the choices' clean-up rules did to the cues
};

// One output target: cues and choices in, a document streamed out, in the
// shape of After Effects' own copied keyframe text ("Adobe After Effects 8.0
// Keyframe Data", the rate, the source block, the property, its keys, the end).
//
// Position writes each cue as the converter writes its .dat line, so that
// unknown names pass through as ever; with an offset or hold steps it works
// from the cues. Time Remap writes, for each cue, the time in seconds that
// lands inside its drawing's frame of the precomp ((drawing + 0.5) / fps);
// Slider Control writes the drawing's number. Both leave out a cue whose
// name has no drawing, with a finding that says so for a name the phoneme
// set knows; one it does not know is the checks' to name, as unknown.
//
// Hold steps: before each key whose drawing (for Position, whose value)
// differs from the key before it, and which lies at least two frames after
// it, a key one frame earlier repeats the earlier value. The offset is added
// to every frame. Keys that would fall before frame 0 are left out, with a
// finding, but for the last of them, which becomes a key at frame 0 (unless
// one lands there): what is in force at frame 0 after the shift, as the
// first key's value holds before it.
TargetResult writeTargetDocument(std::span<const Cue> cues, const TargetChoices& choices,
                                 const ChunkSink& sink);

// writeTargetDocument one cue at a time, for cues read as a text streams by,
// so that no list of them is ever held.
class TargetWriter {
public:
    TargetWriter(const TargetChoices& choices, ChunkSink sink);
    ~TargetWriter();
    TargetWriter(const TargetWriter&) = delete;
    TargetWriter& operator=(const TargetWriter&) = delete;

    // Cues in file order. Where the choices clean them up, they come in
    // frame order, and a cue's name, held until later cues settle it, must
    // stay valid until finish(); else it is only read during the call.
    void feed(std::uint64_t frame, std::string_view name, const CuePlace& place);
    void feed(const Cue& cue) { feed(cue.frame, cue.name, cue.place); }
    // A take's cues, put in frame order first where the choices clean them up.
    void feed(std::span<const Cue> cues);
    // What a caller knows of a .dat text's order.
    enum class DatOrder {
        Unknown,
        // Every line ends at LF or CR LF and the frames that open them never
        // fall: the caller has found it so, or finds it before it keeps what
        // is written.
        Rising,
    };
    // Every cue of a .dat text, as datCues reads them, put in frame order
    // first where the choices clean them up; the text too must then stay
    // valid until finish().
    void feedDat(std::string_view text, LineSample& others, DatOrder order = DatOrder::Unknown);
    // Writes the tail; call it once, at the end.
    TargetResult finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The cues of a .dat text: one per line the keyframe-line rule takes, at
// that line. Data lines of other shapes have no place in a document written
// from cues: with `findings`, one finding naming them as left out is added.
std::vector<Cue> datCues(std::string_view text, std::vector<Finding>* findings = nullptr);

// The finding for data lines a document from cues leaves out.
Finding linesLeftOut(const LineSample& lines);

// A take's findings as the chosen target's document gives them, each line
// with one outcome: the checks' own (`checked`), then what writing the
// document found (`written`: linesLeftOut and the writer's findings). A
// document from cues leaves out the lines that are not "FRAME NAME", and
// Time Remap and Slider Control the names without a drawing, so the checks'
// findings about those say "left out"; an unknown name the chart lists is
// no finding there, and the writer's own finding for lines the checks
// already name is dropped.
std::vector<Finding> targetFindings(std::vector<Finding> checked, std::vector<Finding> written,
                                    const TargetChoices& choices);

// What writing the chosen target's document finds that the checks do not,
// to join theirs by targetFindings: the lines left out, the names without a
// drawing, the keys before frame 0. Found by writing to nowhere, but for a
// choice that writes a .dat text's own lines, where there is nothing to find.
std::vector<Finding> writingFindings(std::string_view datText, const TargetChoices& choices);
std::vector<Finding> writingFindings(std::span<const Cue> cues, const TargetChoices& choices);

std::string keyNumberText(double value);

} // namespace mouthkey
