#pragma once

#include "conversion/PapagayoProject.h"
#include "conversion/Take.h"

#include <string_view>

namespace mouthkey {

// Reads a "lipsync version 1" project: the sound file, the frame rate, the
// sound's length and the voices, each with its phrases, words and phonemes,
// one tab deeper a level. Lines are read by their indentation, so a count
// that disagrees with the lines after it is a finding, not a misreading.
PapagayoProject readPapagayoPgoProject(std::string_view text, std::vector<Finding>& findings);

// The take of such a project: each voice's cues as the tool's .dat export
// of it writes them.
Take readPapagayoPgo(std::string_view text);

} // namespace mouthkey
