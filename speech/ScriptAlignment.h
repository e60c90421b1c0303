#pragma once

#include "Recognizer.h"
#include "speech/SoundTiming.h"

#include <string>
#include <utility>
#include <vector>

namespace mouthkey::speech {

// How each word's phones are timed within the word's time.
enum class PhoneTiming {
    Heard,  // aligned to the sound by a grammar of the words' phones
    Shared, // the word's time shared by the phones' usual lengths
};

struct AlignmentSettings {
    PhoneTiming phoneTiming = PhoneTiming::Heard;
    // The word pass is tried with each of these in turn, until the decoder
    // follows its grammar to the end: the probability of the speaker leaving
    // out each word of the script. The smallest that works times best.
    std::vector<double> skipLadder{1e-60, 1e-20, 1e-6, 0.02};
    // Decoder options over our own, for tuning.
    DecoderOptions options;
};

// The phones of a sound timed against its script: the script's words are
// found in the sound in their order (any may be missed), then each run of
// words' phones within the words' time.
SoundTiming alignScript(const Sound& sound, const TimingRequest& request, const ModelFiles& model);

// alignScript with `settings`: the seam the tuning and the benchmark use.
SoundTiming alignScriptWith(const Sound& sound, const TimingRequest& request,
                            const ModelFiles& model, const AlignmentSettings& settings);

} // namespace mouthkey::speech
