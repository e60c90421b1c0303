#include "conversion/CueEdits.h"

#include <algorithm>

namespace mouthkey {

namespace {

bool earlier(const Cue& a, const Cue& b) {
    return a.frame < b.frame;
}

} // namespace

std::vector<Cue> inFrameOrder(std::vector<Cue> cues) {
    std::stable_sort(cues.begin(), cues.end(), earlier);
    return cues;
}

bool framesRise(std::span<const Cue> cues) {
    return std::is_sorted(cues.begin(), cues.end(), earlier);
}

std::int64_t moveLimit(std::span<const Cue> cues, CueRange range, std::int64_t frames) {
    if (range.last >= cues.size() || range.first > range.last) {
        return 0;
    }
    return moveLimit(cues[range.first].frame, cues[range.last].frame,
                     range.first > 0 ? std::optional(cues[range.first - 1].frame) : std::nullopt,
                     range.last + 1 < cues.size() ? std::optional(cues[range.last + 1].frame)
                                                  : std::nullopt,
                     frames);
}

std::int64_t moveLimit(std::uint64_t first, std::uint64_t last, std::optional<std::uint64_t> before,
                       std::optional<std::uint64_t> after, std::int64_t frames) {
    if (frames < 0) {
        // Frame 1 is the earliest, or one past the cue before.
        const std::uint64_t floor = before ? *before + 1 : 1;
        const std::uint64_t room = first > floor ? first - floor : 0;
        return -static_cast<std::int64_t>(
            std::min<std::uint64_t>(room, static_cast<std::uint64_t>(-frames)));
    }
    const std::uint64_t ceiling = after ? (*after > 0 ? *after - 1 : 0) : UINT64_MAX / 2;
    const std::uint64_t room = ceiling > last ? ceiling - last : 0;
    return static_cast<std::int64_t>(
        std::min<std::uint64_t>(room, static_cast<std::uint64_t>(frames)));
}

void moveCues(std::span<Cue> cues, CueRange range, std::int64_t frames) {
    for (std::size_t i = range.first; i <= range.last && i < cues.size(); ++i) {
        cues[i].frame =
            static_cast<std::uint64_t>(static_cast<std::int64_t>(cues[i].frame) + frames);
    }
}

std::optional<std::size_t> cueInForce(std::span<const Cue> cues, std::uint64_t frame) {
    const auto after = std::upper_bound(cues.begin(), cues.end(), frame,
                                        [](std::uint64_t f, const Cue& c) { return f < c.frame; });
    if (after == cues.begin()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(after - cues.begin()) - 1;
}

std::optional<InsertPlace> insertPlace(std::span<const Cue> cues, std::uint64_t frame) {
    frame = std::max<std::uint64_t>(frame, 1);
    const auto byFrame = [](const Cue& c, std::uint64_t f) {
        return c.frame < f;
    };
    const auto at = std::lower_bound(cues.begin(), cues.end(), frame, byFrame);
    if (at == cues.end() || at->frame != frame) {
        return InsertPlace{static_cast<std::size_t>(at - cues.begin()), frame};
    }
    // The frame is taken: the one after it, unless the following cue is there.
    const auto next = std::lower_bound(at, cues.end(), frame + 1, byFrame);
    if (next != cues.end() && next->frame == frame + 1) {
        return std::nullopt;
    }
    return InsertPlace{static_cast<std::size_t>(next - cues.begin()), frame + 1};
}

std::uint64_t frameWithin(std::span<const Cue> cues, std::size_t index, std::uint64_t frame) {
    if (index >= cues.size() || cues[index].frame == frame) {
        return frame;
    }
    const std::uint64_t floor = index == 0 ? 1 : cues[index - 1].frame + 1;
    const std::uint64_t ceiling =
        index + 1 < cues.size() ? cues[index + 1].frame - 1 : UINT64_MAX / 2;
    if (ceiling < floor) {
        return cues[index].frame; // neighbours leave it no other frame
    }
    return std::clamp(frame, floor, ceiling);
}

} // namespace mouthkey
