#include "conversion/CleanUp.h"

#include <limits>

namespace mouthkey {

namespace {

// A letter take may still hold phoneme names, which its table reads as they are.
bool isClosedMouth(const Cue& cue, bool letters) {
    return cue.name == "MBP" || (letters && cue.name == "A");
}

bool isRest(const Cue& cue, bool letters) {
    return cue.name == "rest" || (letters && cue.name == "X");
}

std::uint64_t holdOf(std::span<const Cue> cues, std::size_t i) {
    return cues[i + 1].frame - cues[i].frame;
}

} // namespace

RuleResult bridgeShortRests(std::span<const Cue> cues, std::uint64_t frames, bool letters) {
    RuleResult result;
    result.cues.reserve(cues.size());
    for (std::size_t i = 0; i < cues.size(); ++i) {
        const bool inside = i > 0 && i + 1 < cues.size();
        if (inside && isRest(cues[i], letters) && holdOf(cues, i) < frames &&
            !isRest(cues[i - 1], letters) && !isRest(cues[i + 1], letters)) {
            result.effect.dropped.add(cues[i].place.line);
            continue;
        }
        result.cues.push_back(cues[i]);
    }
    return result;
}

RuleResult holdMouths(std::span<const Cue> cues, std::uint64_t frames, bool letters) {
    if (frames <= 1 || cues.size() < 2) {
        return {{cues.begin(), cues.end()}, {}};
    }
    RuleResult result;
    std::vector<Cue>& kept = result.cues;
    RuleEffect& effect = result.effect;
    // Whether the last kept cue already stands at a frame not its own, so
    // that moving it again does not count it twice.
    bool backMoved = false;
    const auto takePlaceOfBack = [&](Cue closed, bool alreadyMoved) {
        effect.dropped.add(kept.back().place.line);
        closed.frame = kept.back().frame;
        kept.back() = std::move(closed);
        effect.moved += alreadyMoved ? 0 : 1;
        backMoved = true;
    };

    kept.push_back(cues.front());
    for (std::size_t i = 1; i + 1 < cues.size(); ++i) {
        const Cue& cue = cues[i];
        if (cue.frame - kept.back().frame >= frames) {
            kept.push_back(cue);
            backMoved = false;
        } else if (isClosedMouth(cue, letters) && !isClosedMouth(kept.back(), letters)) {
            takePlaceOfBack(cue, false);
        } else {
            effect.dropped.add(cue.place.line);
        }
    }

    const Cue& last = cues.back();
    if (last.frame - kept.back().frame < frames && kept.size() > 1) {
        Cue tooClose = std::move(kept.back());
        const bool tooCloseMoved = backMoved;
        kept.pop_back();
        // Kept cues stand `frames` apart, so the one before is far enough
        // from the last for a closed mouth to take its place.
        if (isClosedMouth(tooClose, letters) && !isClosedMouth(kept.back(), letters)) {
            takePlaceOfBack(std::move(tooClose), tooCloseMoved);
        } else {
            effect.dropped.add(tooClose.place.line);
        }
    }
    kept.push_back(last);
    return result;
}

RuleResult keyOnGrid(std::span<const Cue> cues, std::uint64_t frames, bool letters) {
    if (frames <= 1 || cues.empty()) {
        return {{cues.begin(), cues.end()}, {}};
    }
    constexpr std::uint64_t maxFrame = std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t lastSteps = (maxFrame - 1) / frames;
    const std::uint64_t lastGrid = 1 + lastSteps * frames;
    // Frames past the last grid frame a counter holds key on that one.
    const auto gridAtOrAfter = [&](std::uint64_t frame) -> std::uint64_t {
        if (frame <= 1) {
            return 1;
        }
        const std::uint64_t steps = (frame - 2) / frames + 1;
        return steps > lastSteps ? lastGrid : 1 + steps * frames;
    };

    RuleResult result;
    RuleEffect& effect = result.effect;
    const auto key = [&](const Cue& cue, std::uint64_t grid) {
        if (!result.cues.empty() && result.cues.back().name == cue.name) {
            effect.dropped.add(cue.place.line);
            return;
        }
        result.cues.push_back(cue);
        if (cue.frame != grid) {
            result.cues.back().frame = grid;
            ++effect.moved;
        }
    };

    // The mouth a closed one was shown instead of, in force again from the
    // next grid frame unless a cue comes before it; none is cues.size().
    std::size_t resume = cues.size();
    std::uint64_t resumeGrid = 0;
    for (std::size_t first = 0; first < cues.size();) {
        // The cues that start since the grid frame before this one.
        const std::uint64_t grid = gridAtOrAfter(cues[first].frame);
        std::size_t last = first;
        while (last + 1 < cues.size() && gridAtOrAfter(cues[last + 1].frame) == grid) {
            ++last;
        }
        if (resume < cues.size()) {
            if (resumeGrid < grid) {
                key(cues[resume], resumeGrid);
            } else {
                effect.dropped.add(cues[resume].place.line);
            }
            resume = cues.size();
        }
        std::size_t unseen = last;
        if (!isClosedMouth(cues[last], letters)) {
            for (std::size_t i = first; i < last; ++i) {
                unseen = isClosedMouth(cues[i], letters) ? i : unseen;
            }
        }
        for (std::size_t i = first; i < last; ++i) {
            if (i != unseen) {
                effect.dropped.add(cues[i].place.line);
            }
        }
        key(cues[unseen], grid);
        if (unseen != last) {
            if (grid < lastGrid) {
                resume = last;
                resumeGrid = grid + frames;
            } else {
                effect.dropped.add(cues[last].place.line);
            }
        }
        first = last + 1;
    }
    if (resume < cues.size()) {
        key(cues[resume], resumeGrid);
    }
    return result;
}

CleanUpResult cleanUp(std::span<const Cue> cues, const CleanUpRules& rules) {
    CleanUpResult result;
    RuleResult bridged = bridgeShortRests(cues, rules.bridgeRests, rules.letters);
    RuleResult held = holdMouths(bridged.cues, rules.minHold, rules.letters);
    RuleResult gridded = keyOnGrid(held.cues, rules.onEvery, rules.letters);
    result.cues = std::move(gridded.cues);
    result.bridged = bridged.effect;
    result.held = held.effect;
    result.gridded = gridded.effect;
    return result;
}

LineSample singleFrameMouths(std::span<const Cue> cues) {
    LineSample sample;
    for (std::size_t i = 0; i + 1 < cues.size(); ++i) {
        if (holdOf(cues, i) == 1) {
            sample.add(cues[i].place.line);
        }
    }
    return sample;
}

} // namespace mouthkey
