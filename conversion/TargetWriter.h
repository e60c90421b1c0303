#pragma once

// What TargetWriter holds: the target made by its row, the rules its keys
// follow, and the drawings of names. Private to the conversion library.
#include "conversion/Targets.h"

#include "KeyRules.h"
#include "NameCache.h"

#include <deque>
#include <string>

namespace mouthkey {

struct TargetWriter::Impl {
    Impl(const TargetChoices& choices, ChunkSink sink);

    // A cue, through the clean-up rules where the choices ask for them.
    void feed(std::uint64_t cueFrame, std::string_view name, const CuePlace& place) {
        if (cleaner) {
            cleaner->feed(cueFrame, name, place);
        } else {
            key(cueFrame, name, place);
        }
    }
    // A cue of any target: a name without a drawing left out where the
    // target draws by a chart.
    void key(std::uint64_t cueFrame, std::string_view name, const CuePlace& place) {
        if (charted) {
            rules.drawn(cueFrame, name, names.find(name), place, {});
        } else {
            rules.named(cueFrame, name, place);
        }
    }

    ChunkSink sink;
    bool letters;
    bool charted;
    MouthChart chart;
    NameCache names;
    KeyRules rules;
    // A cue's name as the cleaner may hold it: in the text, or else (a name
    // the reader gave from a copy of the text's end) in a copy of its own.
    std::string_view lasting(std::string_view name, std::string_view text);

    std::unique_ptr<CueCleaner> cleaner;
    // A take's cues put in frame order to be cleaned, whose names the
    // cleaner holds until the end.
    std::vector<Cue> ordered;
    std::deque<std::string> keptNames;

    // --min-hold alone to Position, from a text's lines with no cleaner between.
    void holdLines(std::string_view text, LineSample& others);
    CleanUpRules cleanUpRules;
    bool holdsStraight; // min-hold alone, to Position, with no offset or hold steps
    RuleEffect heldStraight;
    bool heldStraightUsed = false;
};

// The cues of a .dat text, for a target written through a DrawingTarget:
// runs of usual lines by a quick loop of its own, other lines as QuickLines
// reads them, and from the first line that ends otherwise than at LF or CR
// LF on, the text as the line reader reads it.
void feedQuickDrawings(std::string_view text, LineSample& others, KeyRules& rules,
                       NameCache& names);

} // namespace mouthkey
