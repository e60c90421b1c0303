#include "conversion/CleanUp.h"

#include "conversion/CueEdits.h"

#include "HoldRule.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace mouthkey {

namespace {

// One rule: cues in, cues out, each given out as soon as no later cue can
// change it. Cues pass in batches, so that each rule runs as one loop.
class Stage {
public:
    explicit Stage(bool letters) : m_letters(letters) {}
    virtual ~Stage() = default;
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Each cue in turn, those given out appended to `out`.
    virtual void run(std::span<const HeldCue> cues, std::vector<HeldCue>& out) = 0;
    // Gives out the cues still held.
    void finish(std::vector<HeldCue>& out) {
        m_out = &out;
        finish();
    }
    const RuleEffect& effect() const { return m_effect; }

protected:
    virtual void finish() = 0;
    bool closed(const HeldCue& cue) const { return isClosedMouth(cue, m_letters); }
    bool rest(const HeldCue& cue) const { return isRest(cue, m_letters); }
    void give(const HeldCue& cue) { m_out->push_back(cue); }
    void drop(const HeldCue& cue) { m_effect.dropped.add(cue.place.line); }

    RuleEffect m_effect;
    std::vector<HeldCue>* m_out = nullptr;

private:
    bool m_letters;
};

// A rule's loop over a batch, with its own feed called directly.
template <class Rule> class RuleStage : public Stage {
public:
    using Stage::Stage;
    void run(std::span<const HeldCue> cues, std::vector<HeldCue>& out) final {
        m_out = &out;
        for (const HeldCue& cue : cues) {
            static_cast<Rule*>(this)->feed(cue);
        }
    }
};

// A short rest is held back until the cue after it says whether it goes.
class BridgeRests final : public RuleStage<BridgeRests> {
public:
    BridgeRests(std::uint64_t frames, bool letters) : RuleStage(letters), m_frames(frames) {}

    void feed(const HeldCue& cue) {
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
    void finish() final {
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

// --min-hold, as a stage.
class HoldMouths final : public Stage {
public:
    HoldMouths(std::uint64_t frames, bool letters)
        : Stage(letters), m_rule(frames, letters, m_effect, Give{this}) {}

    void run(std::span<const HeldCue> cues, std::vector<HeldCue>& out) final {
        m_out = &out;
        for (const HeldCue& cue : cues) {
            m_rule.feed(cue);
        }
    }
    void finish() final { m_rule.finish(); }

private:
    struct Give {
        HoldMouths* stage;
        void operator()(const HeldCue& cue) const { stage->give(cue); }
    };
    HoldRule<Give> m_rule;
};

// The cues since the grid frame before are held until a cue past the grid
// frame shows that they are all there is.
class KeyOnGrid final : public RuleStage<KeyOnGrid> {
public:
    KeyOnGrid(std::uint64_t frames, bool letters)
        : RuleStage(letters), m_frames(frames), m_lastSteps((maxFrame - 1) / frames),
          m_lastGrid(1 + m_lastSteps * frames) {}

    void feed(const HeldCue& cue) {
        const std::uint64_t grid = gridAtOrAfter(cue.frame);
        if (!m_group.empty() && grid != m_grid) {
            settle();
        }
        m_grid = grid;
        m_group.push_back(cue);
    }
    void finish() final {
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
            stages.push_back(std::make_unique<BridgeRests>(rules.bridgeRests, rules.letters));
            effects.push_back(&CleanUpEffects::bridged);
        }
        if (rules.minHold > 1) {
            stages.push_back(std::make_unique<HoldMouths>(rules.minHold, rules.letters));
            effects.push_back(&CleanUpEffects::held);
        }
        if (rules.onEvery > 1) {
            stages.push_back(std::make_unique<KeyOnGrid>(rules.onEvery, rules.letters));
            effects.push_back(&CleanUpEffects::gridded);
        }
        between.resize(stages.size());
        batch.reserve(batchSize);
    }

    // Cues through the rules from the one at `from` on, and out.
    void pass(std::span<const HeldCue> cues, std::size_t from) {
        for (std::size_t i = from; i < stages.size(); ++i) {
            between[i].clear();
            stages[i]->run(cues, between[i]);
            cues = between[i];
        }
        for (const HeldCue& cue : cues) {
            out(cue.frame, cue.name, cue.place);
        }
    }

    static constexpr std::size_t batchSize = 1024;

    Out out;
    std::vector<std::unique_ptr<Stage>> stages; // in the order they apply
    std::vector<RuleEffect CleanUpEffects::*> effects;
    std::vector<HeldCue> batch;
    std::vector<std::vector<HeldCue>> between; // each stage's cues out
};

CueCleaner::CueCleaner(const CleanUpRules& rules, Out out)
    : m_impl(std::make_unique<Impl>(rules, std::move(out))) {}

CueCleaner::~CueCleaner() = default;

void CueCleaner::feed(std::uint64_t frame, std::string_view name, const CuePlace& place) {
    Impl& impl = *m_impl;
    impl.batch.push_back({frame, name, place, {}});
    if (impl.batch.size() == Impl::batchSize) {
        impl.pass(impl.batch, 0);
        impl.batch.clear();
    }
}

CleanUpEffects CueCleaner::finish() {
    Impl& impl = *m_impl;
    impl.pass(impl.batch, 0);
    impl.batch.clear();
    // Each rule gives out what it held to the rules after it.
    CleanUpEffects effects;
    for (std::size_t i = 0; i < impl.stages.size(); ++i) {
        std::vector<HeldCue> held;
        impl.stages[i]->finish(held);
        impl.pass(held, i + 1);
        effects.*impl.effects[i] = impl.stages[i]->effect();
    }
    return effects;
}

CleanUpResult cleanUp(std::span<const Cue> cues, const CleanUpRules& rules) {
    CleanUpResult result;
    std::vector<Cue> ordered;
    if (!framesRise(cues)) {
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
