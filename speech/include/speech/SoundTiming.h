#pragma once

#include "conversion/PhoneMouths.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey::speech {

// The rate every sound is brought to: the English model's.
inline constexpr int soundRate = 16000;

// A sound as the recognizer hears it: 16 kHz, mono, 16-bit.
struct Sound {
    std::vector<std::int16_t> samples;
    double seconds() const { return static_cast<double>(samples.size()) / soundRate; }
};

// A sound, or why there is none, in the user's words, naming the file.
struct SoundRead {
    std::optional<Sound> sound;
    std::string error;
};

// The limits readSound holds a sound to.
inline constexpr double shortestSoundSeconds = 0.1;
inline constexpr double longestSoundSeconds = 3600;

// Reads WAV, FLAC, OGG or MP3 (whatever libsndfile decodes), mixed to mono and
// resampled. Silent, too short or too long sounds are errors. Never throws.
SoundRead readSound(const std::string& path);

// SoundTiming::error when the model is not installed, which a caller may
// tell from the sound's own faults.
inline constexpr std::string_view missingModelError =
    "the English speech model is not installed (Debian: pocketsphinx-en-us)";

struct TimingRequest {
    std::string script;                        // empty: phones recognised without one
    unsigned threads = 0;                      // 0: one per core
    std::function<bool(double done)> progress; // 0..1, on the caller's thread; false cancels
    std::string modelDirectory;                // empty: the installed English model
};

// Where the speech and its script part ways.
struct ScriptMismatch {
    double start = 0;
    double end = 0;
    std::string words;      // the script's words not heard there; may be none
    bool unwritten = false; // speech is heard there that the script does not have
};

struct SoundTiming {
    std::vector<TimedPhone> phones;         // in time order, covering the sound; silence as "SIL"
    std::vector<std::string> unknownWords;  // script words pronounced by rule
    std::vector<ScriptMismatch> mismatches; // where speech and script part ways
    std::string error;                      // non-empty: failed
    bool cancelled = false;
};

// The phones of a sound, split at its silences and timed on `threads`
// threads. Never throws.
SoundTiming timeSound(const Sound& sound, const TimingRequest& request);

// The installed English model's folder.
std::string defaultModelDirectory();

} // namespace mouthkey::speech
