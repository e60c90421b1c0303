#pragma once

// Frames as times, and a text's summary with its duration.

#include "conversion/Finding.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/NumberFormat.h"

#include <cstdint>
#include <string>

namespace mouthkey {

// A frame rate as an exact fraction of whole numbers, read from the digits of
// its title ("29.97" is 2997/100), so that frames are counted without float drift.
// Digits past the sixth decimal are dropped: no sound clock is that fine.
struct ExactRate {
    std::uint64_t frames = 24; // per `seconds`
    std::uint64_t seconds = 1;
};
ExactRate exactRate(const FrameRate& rate);

// The rate as a number, every digit of its title counted.
double framesPerSecond(const FrameRate& rate);
double framesPerSecond(int rateIndex);

// The time of a frame at a rate, in tenths of a second ("2:13.5",
// "1:02:03.4"); empty for a frame too late to be a time.
std::string frameTimeText(std::uint64_t frame, const FrameRate& rate,
                          const NumberFormat& numbers = {});
std::string frameTimeText(std::uint64_t frame, int rateIndex, const NumberFormat& numbers = {});

// "312 keyframes · frames 1–3,204 · 2:13.5 at 24 fps".
std::string summaryText(const TimingSummary& summary, const FrameRate& rate,
                        const NumberFormat& numbers = {});
// For a frame-rate index.
std::string summaryText(const TimingSummary& summary, int rateIndex,
                        const NumberFormat& numbers = {});

} // namespace mouthkey
