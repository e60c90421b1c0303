#pragma once

#include "conversion/Take.h"

#include <string_view>

namespace mouthkey {

// The take of an Audacity label track, as its Export Labels writes it: one
// "START<TAB>END<TAB>LABEL" line a label, in seconds, START = END for a point
// label; the extended format's "\<TAB>LOW<TAB>HIGH" line of frequencies after
// a label is skipped. Labels may overlap. Each label gives a cue at its start,
// named by its text, trimmed; a region label also closes the mouth at its end
// unless another label starts after its start and no later than its end. Of
// the cues on one frame, a label wins over a closing one, an earlier label
// over a later. A line it cannot read, or a label without text, is left out
// with a finding.
Take readLabelTrack(std::string_view text);

// Yes for a text whose first line is two decimal numbers and a text, each
// after a tab.
Fit labelTrackFit(std::string_view text);

} // namespace mouthkey
