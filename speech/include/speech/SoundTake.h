#pragma once

#include "conversion/Take.h"
#include "speech/SoundTiming.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey::speech {

// A sound file timed as a take, and what the user is told of the timing.
struct SoundTake {
    std::optional<Take> take;
    // Words pronounced by rule, a script that is likely not English, and
    // where the speech and the script part ways; in the user's words.
    std::vector<std::string> notes;
    // The script's words were looked for in the speech: it had some.
    bool byScript = false;
    // Non-empty: no take. missingModelError when the model is why.
    std::string error;
    bool cancelled = false;
};

// The sound at `path` read and timed by `request`; with no model folder
// asked for, the one MOUTHKEY_SPEECH_MODEL names, else the installed one. Its script is named in
// notes as `scriptName` ("'take.txt'"); a script named is one given, even
// if empty. One with no English word to find is left out, with a note.
// Never throws.
SoundTake soundTake(const std::string& path, TimingRequest request,
                    std::string_view scriptName = {});

} // namespace mouthkey::speech
