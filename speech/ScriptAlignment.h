#pragma once

#include "Recognizer.h"
#include "speech/SoundTiming.h"

namespace mouthkey::speech {

// The phones of a sound timed against its script. Not built yet: it says so
// rather than timing the sound as if it had no script.
SoundTiming alignScript(const Sound& sound, const TimingRequest& request,
                        const ModelFiles& model);

} // namespace mouthkey::speech
