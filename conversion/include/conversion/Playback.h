#pragma once

#include "conversion/FrameTime.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/KeyframeTrack.h"
#include "conversion/TimingCheck.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

// The frame of the take at a sound position: 1 + floor(t × fps), a position
// exactly on a frame's edge belonging to the later frame. Before 0 is frame 1.
std::uint64_t frameAtMs(std::int64_t ms, const FrameRate& rate);
// The first millisecond frameAtMs gives that frame for; 0 for frames up to 1.
std::int64_t msOfFrame(std::uint64_t frame, const FrameRate& rate);

// What the player shows at a sound position.
struct PlaybackPoint {
    std::uint64_t frame = 1; // as frameAtMs counts it
    // The track's keyframe in force at that frame once the shift moves every
    // keyframe by `offset` frames; nothing before the first one.
    std::optional<std::size_t> keyframe;
    KeyframeTrack::Name name = KeyframeTrack::Name::Phoneme;
    // The shape as the user wrote it: a phoneme key, in a letter take the
    // letter, an unknown name as kept; empty before the first keyframe or for
    // a line that is no keyframe, or an unknown name not kept.
    std::string_view shape;
    // "0:12.4 · frame 298 · AI"
    std::string label;
};

// A keyframe's shape as the user wrote it, as PlaybackPoint::shape gives it.
std::string_view shapeOf(const KeyframeTrack::Keyframe& keyframe, bool letters);

// The cue in force at `ms`, by binary search, and its label. `letters`: the
// track was read with letter mouth shapes, whose letters show again as written.
PlaybackPoint playbackAt(const KeyframeTrack& track, std::int64_t ms, const FrameRate& rate,
                         std::int64_t offset, bool letters, const NumberFormat& numbers = {});

// A sound position as the label writes it, minutes not wrapped into hours:
// "0:12.4", "61:02.3"; tenths are cut, not rounded, as a playhead reads.
std::string playbackTimeText(std::int64_t ms, const NumberFormat& numbers = {});

} // namespace mouthkey
