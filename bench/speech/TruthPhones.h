#pragma once

#include "conversion/PhoneMouths.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mouthkey::speecheval {

// A phoneme the synthesizer reports: its mnemonic, from this time on.
struct PhonemeEvent {
    double seconds = 0;
    std::string mnemonic;
};

struct Truth {
    std::vector<TimedPhone> phones;   // cover the whole take, SIL where silent
    std::vector<std::string> unknown; // mnemonics the table lacks
};

// The truth of a synthesized take: each event's phones hold until the next
// event, the last until the speech ends (`samples`); `leadSeconds` and
// `tailSeconds` of silence added before and after are SIL.
//
// A stop's closure is silence the synthesizer writes before the stop's
// event, inside the span of the phone before; the lips (or tongue) are
// already closed there, so a silent run just before a stop goes to the stop.
Truth truthPhones(std::span<const PhonemeEvent> events, std::span<const std::int16_t> samples,
                  int sampleRate, double leadSeconds, double tailSeconds);

// How well a truth fits its sound, in 10 ms windows: the share of quiet
// windows inside speech phones other than stops, and of sounding windows
// inside SIL.
struct SilenceFit {
    std::size_t speechWindows = 0, silentSpeechWindows = 0;
    std::size_t silWindows = 0, soundingSilWindows = 0;
    SilenceFit& operator+=(const SilenceFit& o);
};
SilenceFit silenceFit(std::span<const TimedPhone> phones, std::span<const std::int16_t> samples,
                      int sampleRate);

} // namespace mouthkey::speecheval
