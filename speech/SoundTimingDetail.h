#pragma once

#include "Recognizer.h"
#include "speech/SoundTiming.h"

namespace mouthkey::speech {

// timeSound without a script, heard with `settings`: the seam the tuning and
// the benchmark use to compare ways of listening.
SoundTiming timeSoundWith(const Sound& sound, const TimingRequest& request, const ModelFiles& model,
                          const RecognizerSettings& settings);

} // namespace mouthkey::speech
