#pragma once

#include "conversion/Take.h"

#include <string_view>

namespace mouthkey {

// The takes of the lip-sync tool's XML and JSON results: the mouth cues in
// file order, then an X closing the take at the end of the last cue, at that
// cue's place. No cues where the list is empty. What cannot be read is left
// out with a finding; malformed text stops the reading there, with the cues
// read before it kept.
//
// XML: <rhubarbResult>, its <metadata> (<soundFile>, <duration>) and its
// <mouthCues>, one <mouthCue start=".." end="..">SHAPE</mouthCue> a cue.
Take readRhubarbXml(std::string_view text);

// JSON: {"metadata": {"soundFile": .., "duration": ..}, "mouthCues":
// [{"start": .., "end": .., "value": "SHAPE"}, ..]}.
Take readRhubarbJson(std::string_view text);

} // namespace mouthkey
