#pragma once

// The clean-up of a take's cues before they are keyed: rules that take cues
// in frame order and give cues in frame order, each off unless asked for.
// A cue's hold is the next cue's frame less its own; the last has none.

#include "conversion/Finding.h"
#include "conversion/Take.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace mouthkey {

struct CleanUpRules {
    // A rest held for fewer frames than this, between two cues that are not
    // rests, is left out, so the mouth before it holds on. A rest that starts
    // or ends the take stays. 0 is off.
    std::uint64_t bridgeRests = 0;
    // No mouth but the last shows for fewer frames than this. Each cue too
    // soon after the last kept one is left out, but for a closed mouth after
    // one that is not: it takes that cue's place and frame, since it must be
    // seen and earlier is better than later. The take's last cue always
    // stays; the kept cue too close before it goes instead. 1 (or 0) keeps
    // every cue.
    std::uint64_t minHold = 1;
    // Keys fall only on frames 1, 1 + N, 1 + 2N, ...: each shows the mouth in
    // force there, or a closed mouth that came and went since the grid frame
    // before it, which would otherwise never be seen. A grid frame showing
    // the mouth of the one before it has no key. The last cue keys on the
    // first grid frame at or after its own. 1 (or 0) is every frame.
    std::uint64_t onEvery = 1;
    // The names are letter mouth shapes: A is a closed mouth too, X a rest.
    bool letters = false;

    bool any() const noexcept { return bridgeRests > 0 || minHold > 1 || onEvery > 1; }
    friend bool operator==(const CleanUpRules&, const CleanUpRules&) = default;
};

// What one rule did, to be told to the user.
struct RuleEffect {
    LineSample dropped;      // the cues it left out, by their lines
    std::uint64_t moved = 0; // the cues it kept at a frame other than their own
    bool any() const noexcept { return dropped.count > 0 || moved > 0; }
    friend bool operator==(const RuleEffect&, const RuleEffect&) = default;
};

// What each rule did, in the order they apply.
struct CleanUpEffects {
    RuleEffect bridged; // --bridge-rests
    RuleEffect held;    // --min-hold
    RuleEffect gridded; // --on
    bool any() const noexcept { return bridged.any() || held.any() || gridded.any(); }
    friend bool operator==(const CleanUpEffects&, const CleanUpEffects&) = default;
};

// The rules asked for, applied one cue at a time, so that a take of any
// length is cleaned without being held: cues in frame order in, the cleaned
// cues out to `out` as soon as no later cue can change them.
class CueCleaner {
public:
    // A cue given out, with the name it was fed with.
    using Out =
        std::function<void(std::uint64_t frame, std::string_view name, const CuePlace& place)>;

    CueCleaner(const CleanUpRules& rules, Out out);
    ~CueCleaner();
    CueCleaner(const CueCleaner&) = delete;
    CueCleaner& operator=(const CueCleaner&) = delete;

    // Cues in frame order. A cue is held until later ones settle it, so
    // its name must stay valid until finish() returns.
    void feed(std::uint64_t frame, std::string_view name, const CuePlace& place);
    // Gives out the cues still held; call it once, at the end.
    CleanUpEffects finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

struct CleanUpResult {
    std::vector<Cue> cues;
    CleanUpEffects effects;
};

// The rules applied to a whole take, its cues taken in frame order (a take
// out of order is put in order first, as the editor shows it).
CleanUpResult cleanUp(std::span<const Cue> cues, const CleanUpRules& rules);

} // namespace mouthkey
