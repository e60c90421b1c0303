#include "conversion/CleanUp.h"

#include "conversion/CueEdits.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace mouthkey {

namespace {

// A cue as the rules hold it: its name is the caller's, kept valid until
// the end, so that moving a cue costs no more than its bytes.
struct HeldCue {
    std::uint64_t frame = 0;
    std::string_view name;
    CuePlace place;
};

// A letter take may still hold phoneme names, which its table reads as they are.
bool isClosedMouth(const HeldCue& cue, bool letters) {
    return cue.name == "MBP" || (letters && cue.name == "A");
}

bool isRest(const HeldCue& cue, bool letters) {
    return cue.name == "rest" || (letters && cue.name == "X");
}

// One rule: cues in, cues out to the next stage, each given out as soon as
// no later cue can change it.
class Stage {
public:
    explicit Stage(bool letters) : m_letters(letters) {}
    virtual ~Stage() = default;
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // The next rule asked for, or else where the cleaned cues go.
    void setNext(Stage* next, const CueCleaner::Out* out) {
        m_next = next;
        m_out = out;
    }
    virtual void feed(const HeldCue& cue) = 0;
    virtual void finish() = 0;
    const RuleEffect& effect() const { return m_effect; }

protected:
    bool closed(const HeldCue& cue) const { return isClosedMouth(cue, m_letters); }
    bool rest(const HeldCue& cue) const { return isRest(cue, m_letters); }
    void give(const HeldCue& cue) {
        if (m_next) {
            m_next->feed(cue);
        } else {
            (*m_out)(cue.frame, cue.name, cue.place);
        }
    }
    void drop(const HeldCue& cue) { m_effect.dropped.add(cue.place.line); }

    RuleEffect m_effect;

private:
    bool m_letters;
    Stage* m_next = nullptr;
    const CueCleaner::Out* m_out = nullptr;
};

// A short rest is held back until the cue after it says whether it goes.
class BridgeRests final : public Stage {
public:
    BridgeRests(std::uint64_t frames, bool letters) : Stage(letters), m_frames(frames) {}

    void feed(const HeldCue& cue) override {
        if (m_rest) {
            if (!rest(cue) && cue.frame - m_rest->frame < m_frames) {
                drop(*m_rest);
            } else {
                give(*m_rest);
            }
            m_rest.reset();
        }
        // Only a rest after a cue that is not one may be bridged.
        const bool held = rest(cue) && m_seen && !m_lastWasRest;
        m_seen = true;
        m_lastWasRest = rest(cue);
        if (held) {
            m_rest = cue;
        } else {
            give(cue);
        }
    }
    void finish() override {
        if (m_rest) {
            give(*m_rest); // the take ends on it
            m_rest.reset();
        }
    }

private:
    std::uint64_t m_frames;
    std::optional<HeldCue> m_rest;
    bool m_seen = false;
    bool m_lastWasRest = false;
};

// The last two kept cues stay held, since the take's last cue may drop the
// one before it and put a closed mouth in the place of the one before that;
// the newest cue is held too, until a later one shows it is not the last.
class HoldMouths final : public Stage {
public:
    HoldMouths(std::uint64_t frames, bool letters) : Stage(letters), m_frames(frames) {}

    void feed(const HeldCue& cue) override {
        if (m_newest) {
            middle(*m_newest);
            m_newest.reset();
        }
        if (m_keptCount == 0) {
            keep(cue); // the first always stays
            return;
        }
        m_newest = cue;
    }
    void finish() override {
        if (m_newest) {
            last(*m_newest);
            m_newest.reset();
        }
        while (m_size > 0) {
            giveOldest();
        }
    }

private:
    struct Kept {
        HeldCue cue;
        bool moved; // already at a frame not its own, so not counted twice
    };

    Kept& back() { return m_held[(m_oldest + m_size - 1) & 1]; }
    void giveOldest() {
        give(m_held[m_oldest].cue);
        m_oldest ^= 1;
        --m_size;
    }
    void keep(const HeldCue& cue) {
        if (m_size == 2) {
            giveOldest();
        }
        ++m_size;
        back().cue = cue;
        back().moved = false;
        ++m_keptCount;
    }
    // A closed mouth too soon after the kept cue takes its place and frame.
    void takePlace(Kept& kept, HeldCue closedMouth, bool alreadyMoved) {
        drop(kept.cue);
        closedMouth.frame = kept.cue.frame;
        kept.cue = closedMouth;
        kept.moved = true;
        m_effect.moved += alreadyMoved ? 0 : 1;
    }
    void middle(const HeldCue& cue) {
        Kept& kept = back();
        if (cue.frame - kept.cue.frame >= m_frames) {
            keep(cue);
        } else if (closed(cue) && !closed(kept.cue)) {
            takePlace(kept, cue, false);
        } else {
            drop(cue);
        }
    }
    void last(const HeldCue& cue) {
        // A take shorter than the hold keeps its first cue.
        if (cue.frame - back().cue.frame < m_frames && m_keptCount > 1) {
            Kept tooClose = back();
            --m_size;
            --m_keptCount;
            // Kept cues stand the hold apart, so the one before is far
            // enough from the last for a closed mouth to take its place.
            if (closed(tooClose.cue) && !closed(back().cue)) {
                takePlace(back(), tooClose.cue, tooClose.moved);
            } else {
                drop(tooClose.cue);
            }
        }
        keep(cue);
    }

    std::uint64_t m_frames;
    // The two last kept, as a ring: the oldest at m_oldest.
    std::array<Kept, 2> m_held;
    std::size_t m_oldest = 0;
    std::size_t m_size = 0;
    std::uint64_t m_keptCount = 0;
    std::optional<HeldCue> m_newest;
};

// The cues since the grid frame before are held until a cue past the grid
// frame shows that they are all there is.
class KeyOnGrid final : public Stage {
public:
    KeyOnGrid(std::uint64_t frames, bool letters)
        : Stage(letters), m_frames(frames), m_lastSteps((maxFrame - 1) / frames),
          m_lastGrid(1 + m_lastSteps * frames) {}

    void feed(const HeldCue& cue) override {
        const std::uint64_t grid = gridAtOrAfter(cue.frame);
        if (!m_group.empty() && grid != m_grid) {
            settle();
        }
        m_grid = grid;
        m_group.push_back(cue);
    }
    void finish() override {
        if (!m_group.empty()) {
            settle();
        }
        if (m_resume) {
            key(*m_resume, m_resumeGrid);
            m_resume.reset();
        }
    }

private:
    static constexpr std::uint64_t maxFrame = std::numeric_limits<std::uint64_t>::max();

    // Frames past the last grid frame a counter holds key on that one.
    std::uint64_t gridAtOrAfter(std::uint64_t frame) const {
        if (frame <= 1) {
            return 1;
        }
        const std::uint64_t steps = (frame - 2) / m_frames + 1;
        return steps > m_lastSteps ? m_lastGrid : 1 + steps * m_frames;
    }

    void key(HeldCue cue, std::uint64_t grid) {
        if (m_keyed && m_keyedName == cue.name) {
            drop(cue);
            return;
        }
        if (cue.frame != grid) {
            cue.frame = grid;
            ++m_effect.moved;
        }
        m_keyed = true;
        m_keyedName = cue.name;
        give(cue);
    }

    // The cues that start after the grid frame before m_grid and by it.
    void settle() {
        if (m_resume) {
            if (m_resumeGrid < m_grid) {
                key(*m_resume, m_resumeGrid);
            } else {
                drop(*m_resume);
            }
            m_resume.reset();
        }
        // The mouth in force at the grid frame, or the latest closed mouth
        // that came and went before it, which would otherwise go unseen.
        const std::size_t last = m_group.size() - 1;
        std::size_t shown = last;
        if (!closed(m_group[last])) {
            for (std::size_t i = 0; i < last; ++i) {
                shown = closed(m_group[i]) ? i : shown;
            }
        }
        for (std::size_t i = 0; i < last; ++i) {
            if (i != shown) {
                drop(m_group[i]);
            }
        }
        // The mouth it was shown instead of is in force again from the next
        // grid frame, unless a cue comes before it.
        if (shown != last) {
            if (m_grid < m_lastGrid) {
                m_resume = m_group[last];
                m_resumeGrid = m_grid + m_frames;
            } else {
                drop(m_group[last]);
            }
        }
        key(m_group[shown], m_grid);
        m_group.clear();
    }

    std::uint64_t m_frames;
    std::uint64_t m_lastSteps;
    std::uint64_t m_lastGrid;
    std::vector<HeldCue> m_group;
    std::uint64_t m_grid = 0;
    std::optional<HeldCue> m_resume;
    std::uint64_t m_resumeGrid = 0;
    bool m_keyed = false;
    std::string_view m_keyedName;
};

} // namespace

struct CueCleaner::Impl {
    Impl(const CleanUpRules& rules, Out out) : out(std::move(out)) {
        if (rules.bridgeRests > 0) {
            bridged = std::make_unique<BridgeRests>(rules.bridgeRests, rules.letters);
        }
        if (rules.minHold > 1) {
            held = std::make_unique<HoldMouths>(rules.minHold, rules.letters);
        }
        if (rules.onEvery > 1) {
            gridded = std::make_unique<KeyOnGrid>(rules.onEvery, rules.letters);
        }
        // Each rule hands its cues to the next one asked for.
        for (Stage* stage : {gridded.get(), held.get(), bridged.get()}) {
            if (stage) {
                stage->setNext(first, &this->out);
                first = stage;
            }
        }
    }

    Out out;
    std::unique_ptr<Stage> bridged;
    std::unique_ptr<Stage> held;
    std::unique_ptr<Stage> gridded;
    Stage* first = nullptr; // none: no rule is asked for
};

CueCleaner::CueCleaner(const CleanUpRules& rules, Out out)
    : m_impl(std::make_unique<Impl>(rules, std::move(out))) {}

CueCleaner::~CueCleaner() = default;

void CueCleaner::feed(std::uint64_t frame, std::string_view name, const CuePlace& place) {
    if (m_impl->first) {
        m_impl->first->feed({frame, name, place});
    } else {
        m_impl->out(frame, name, place);
    }
}

CleanUpEffects CueCleaner::finish() {
    CleanUpEffects effects;
    // In the order they apply, so that each finishes into the next.
    const std::pair<Stage*, RuleEffect*> stages[] = {{m_impl->bridged.get(), &effects.bridged},
                                                     {m_impl->held.get(), &effects.held},
                                                     {m_impl->gridded.get(), &effects.gridded}};
    for (const auto& [stage, effect] : stages) {
        if (stage) {
            stage->finish();
            *effect = stage->effect();
        }
    }
    return effects;
}

CleanUpResult cleanUp(std::span<const Cue> cues, const CleanUpRules& rules) {
    CleanUpResult result;
    const auto byFrame = [](const Cue& a, const Cue& b) {
        return a.frame < b.frame;
    };
    std::vector<Cue> ordered;
    if (!std::is_sorted(cues.begin(), cues.end(), byFrame)) {
        ordered = inFrameOrder({cues.begin(), cues.end()});
        cues = ordered;
    }
    result.cues.reserve(cues.size());
    CueCleaner cleaner(rules,
                       [&](std::uint64_t frame, std::string_view name, const CuePlace& place) {
                           result.cues.push_back({frame, std::string(name), place});
                       });
    for (const Cue& cue : cues) {
        cleaner.feed(cue.frame, cue.name, cue.place);
    }
    result.effects = cleaner.finish();
    return result;
}

} // namespace mouthkey
