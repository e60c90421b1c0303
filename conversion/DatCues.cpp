// The cues of a .dat text, for a document written from cues.
#include "conversion/Targets.h"

#include "DatLines.h"

namespace mouthkey {

std::vector<Cue> datCues(std::string_view text, std::vector<Finding>* findings) {
    std::vector<Cue> cues;
    LineSample others;
    datlines::forEachDatCue(
        text,
        [&](std::uint64_t frame, std::string_view name, const CuePlace& place, const char*,
            std::string_view) {
            cues.push_back({frame, std::string(name), place});
        },
        others);
    if (findings && others.count > 0) {
        findings->push_back(linesLeftOut(others));
    }
    return cues;
}

} // namespace mouthkey
