#pragma once

#include "app/ViewController.h"
#include "conversion/KeyframeTrack.h"
#include "conversion/Targets.h"

namespace mouthkey {

// What the player shows at a position of a take's track for `choices`: the
// mouth of the cue in force, with the shift; for a target that leaves out
// keys without a drawing, the drawing before such a key holds on.
ViewController::PlayedMouth playedMouthAt(const KeyframeTrack& track, qint64 ms,
                                          const TargetChoices& choices);

// How long a take plays: to the end of its last cue's frame, which is held
// for that frame, with the shift; 0 without a cue.
qint64 takeLengthMs(const KeyframeTrack& track, std::int64_t offset, const FrameRate& rate);
// Where the player is when a frame of the track plays, with the shift.
qint64 positionOfFrame(std::uint64_t frame, std::int64_t offset, const FrameRate& rate);

} // namespace mouthkey
