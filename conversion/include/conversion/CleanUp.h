#pragma once

// The clean-up of a take's cues before they are keyed: rules that take cues
// in frame order and give cues in frame order, each off unless asked for.
// A cue's hold is the next cue's frame less its own; the last has none.

#include "conversion/Finding.h"
#include "conversion/Take.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mouthkey {

struct CleanUpRules {
    // A rest held for fewer frames than this, between two mouths, is left
    // out; 0 is off.
    std::uint64_t bridgeRests = 0;
    // No mouth but the last shows for fewer frames than this; 1 (or 0) keeps
    // every cue.
    std::uint64_t minHold = 1;
    // Keys fall only on every Nth frame, counted from frame 1; 1 (or 0) is
    // every frame.
    std::uint64_t onEvery = 1;
    // The names are letter mouth shapes: A is the closed mouth, X the rest.
    bool letters = false;

    bool any() const noexcept { return bridgeRests > 0 || minHold > 1 || onEvery > 1; }
    friend bool operator==(const CleanUpRules&, const CleanUpRules&) = default;
};

// What one rule did, to be told to the user.
struct RuleEffect {
    LineSample dropped;      // the cues it left out, by their lines
    std::uint64_t moved = 0; // the cues it kept at a frame other than their own
    friend bool operator==(const RuleEffect&, const RuleEffect&) = default;
};

struct RuleResult {
    std::vector<Cue> cues;
    RuleEffect effect;
};

// A rest held for fewer than `frames` frames between two cues that are not
// rests is left out, so the mouth before it holds on. A rest that starts or
// ends the take stays.
RuleResult bridgeShortRests(std::span<const Cue> cues, std::uint64_t frames, bool letters);

// Keeps the first cue, then each cue `frames` or more after the last kept one.
// A closed mouth too soon after a kept cue that is not one takes that cue's
// place and frame: it must be seen, and earlier is better than later. The
// take's last cue always stays; the kept cue too close before it goes instead
// (a closed mouth then takes the place of the cue before it, as above),
// unless it is the first, which a take shorter than `frames` keeps.
RuleResult holdMouths(std::span<const Cue> cues, std::uint64_t frames, bool letters);

// Keys only on frames 1, 1 + frames, 1 + 2 * frames, ...: each shows the
// mouth in force there, or a closed mouth that came and went since the grid
// frame before it, which would otherwise never be seen. A grid frame showing
// the mouth of the one before it has no key. The last cue keys on the first
// grid frame at or after its own, so the take may end up to frames - 1 later.
RuleResult keyOnGrid(std::span<const Cue> cues, std::uint64_t frames, bool letters);

struct CleanUpResult {
    std::vector<Cue> cues;
    RuleEffect bridged; // by bridgeShortRests
    RuleEffect held;    // by holdMouths
    RuleEffect gridded; // by keyOnGrid
};

// The rules asked for, in the order bridge, hold, grid.
CleanUpResult cleanUp(std::span<const Cue> cues, const CleanUpRules& rules);

// The mouths shown for a single frame, by their lines; the last cue, which
// holds to the take's end, is not one of them.
LineSample singleFrameMouths(std::span<const Cue> cues);

} // namespace mouthkey
