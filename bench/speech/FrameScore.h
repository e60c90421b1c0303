#pragma once

#include "conversion/PhoneMouths.h"

#include <cstddef>
#include <span>
#include <vector>

namespace mouthkey::speecheval {

// How many frames of a take show the mouth class its truth holds there, over
// all frames and over the frames of speech (truth not rest).
struct Agreement {
    std::size_t frames = 0;
    std::size_t agreeing = 0;
    std::size_t speechFrames = 0;
    std::size_t speechAgreeing = 0;

    double all() const { return frames ? double(agreeing) / double(frames) : 0.0; }
    double speech() const {
        return speechFrames ? double(speechAgreeing) / double(speechFrames) : 0.0;
    }
    Agreement& operator+=(const Agreement& other);
};

// Frames count from 1; the take has as many as have their middle, (f-0.5)/fps
// seconds, before the truth's last end.
std::size_t frameCount(std::span<const TimedPhone> truth, double fps);

// The truth's class at each frame: the phone in force at the frame's middle,
// rest where no phone is.
std::vector<MouthClass> truthFrames(std::span<const TimedPhone> truth, double fps,
                                    std::size_t frames);

// The class a recognizer's phones show at each frame, as their take shows
// them: each phone a cue on its nearest frame, round(start*fps)+1, showing
// until the next cue's frame (of cues on one frame the last is seen); rest
// before the first and from the last phone's end.
std::vector<MouthClass> cueFrames(std::span<const TimedPhone> phones, double fps,
                                  std::size_t frames);

Agreement scoreTake(std::span<const TimedPhone> truth, std::span<const TimedPhone> hypothesis,
                    double fps = 24);

} // namespace mouthkey::speecheval
