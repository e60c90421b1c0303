#pragma once

#include "conversion/PapagayoProject.h"
#include "conversion/Take.h"

#include <string_view>
#include <vector>

namespace mouthkey {

// Reads a Papagayo-NG JSON project ("version": 2): the sound path, the frame
// rate and the voices, each with its phrases, words and phonemes. Each part
// takes the line and column of its object in the text.
PapagayoProject readPapagayoPg2Project(std::string_view text, std::vector<Finding>& findings);

// The take of such a project: each voice's cues as the tool's .dat export
// of it writes them.
Take readPapagayoPg2(std::string_view text);

} // namespace mouthkey
