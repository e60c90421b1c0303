#pragma once

// Edits of a take's cues, as values: each takes cues in frame order and keeps
// them so, which the window's undo steps and the converter both rely on.

#include "conversion/Take.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mouthkey {

// Cues [first, last] of a take, by their index in frame order.
struct CueRange {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t size() const noexcept { return last - first + 1; }
    bool contains(std::size_t index) const noexcept { return index >= first && index <= last; }
    friend bool operator==(const CueRange&, const CueRange&) = default;
};

// Cues sorted by frame, those on one frame in the order they came.
std::vector<Cue> inFrameOrder(std::vector<Cue> cues);
// Whether no cue comes before the one before it.
bool framesRise(std::span<const Cue> cues);

// How far a range of cues may move by `frames` (negative: earlier) as a
// whole: it stops one frame short of the cues beside it, and never goes
// before frame 1. The result has the sign of `frames`, or is 0.
std::int64_t moveLimit(std::span<const Cue> cues, CueRange range, std::int64_t frames);

// The same for a range from frame `first` to frame `last`, between the
// frames of the cues beside it, where there are any: the rule itself.
std::int64_t moveLimit(std::uint64_t first, std::uint64_t last, std::optional<std::uint64_t> before,
                       std::optional<std::uint64_t> after, std::int64_t frames);

// Moves the range by `frames`, which moveLimit allows.
void moveCues(std::span<Cue> cues, CueRange range, std::int64_t frames);

// The cue in force at a frame: the last at or before it, if any.
std::optional<std::size_t> cueInForce(std::span<const Cue> cues, std::uint64_t frame);

// Where a cue inserted at `frame` goes: the frame itself when no cue stands
// on it, else the next free frame before the following cue; nothing when
// there is none. The index is where it goes in the cues.
struct InsertPlace {
    std::size_t index = 0;
    std::uint64_t frame = 0;
};
std::optional<InsertPlace> insertPlace(std::span<const Cue> cues, std::uint64_t frame);

// The frame a single cue may be given, as a table cell edits it: the
// nearest to `frame` that keeps it between its neighbours, one frame apart.
std::uint64_t frameWithin(std::span<const Cue> cues, std::size_t index, std::uint64_t frame);

} // namespace mouthkey
