#pragma once

// The --min-hold rule on its own: for the cleaner's stage, and for the
// writer's lane that keys a .dat text's lines as it reads them, with no
// stage between. Private to the conversion library.
#include "conversion/CleanUp.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace mouthkey {

// A cue as the rules hold it: its name is the caller's, kept valid until
// the end, so that moving a cue costs no more than its bytes.
struct HeldCue {
    std::uint64_t frame = 0;
    std::string_view name;
    CuePlace place;
    // Its own line in the text, for a caller that keys lines as they stand:
    // empty once the cue is at a frame not its own.
    std::string_view line;
};

// A letter take may still hold phoneme names, which its table reads as they are.
inline bool isClosedMouth(const HeldCue& cue, bool letters) {
    return cue.name == "MBP" || (letters && cue.name == "A");
}

inline bool isRest(const HeldCue& cue, bool letters) {
    return cue.name == "rest" || (letters && cue.name == "X");
}

// The last two kept cues stay held, since the take's last cue may drop the
// one before it and put a closed mouth in the place of the one before that;
// the newest cue is held too, until a later one shows it is not the last.
// Cues given out go to `give(cue)`; what the rule did, to `effect`.
template <class Give> class HoldRule {
public:
    HoldRule(std::uint64_t frames, bool letters, RuleEffect& effect, Give give)
        : m_frames(frames), m_letters(letters), m_effect(effect), m_give(std::move(give)) {}

    void feed(const HeldCue& cue) {
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
    void finish() {
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

    bool closed(const HeldCue& cue) const { return isClosedMouth(cue, m_letters); }
    void drop(const HeldCue& cue) { m_effect.dropped.add(cue.place.line); }
    Kept& back() { return m_held[(m_oldest + m_size - 1) & 1]; }
    void giveOldest() {
        m_give(m_held[m_oldest].cue);
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
        closedMouth.line = {};
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
    bool m_letters;
    RuleEffect& m_effect;
    Give m_give;
    // The two last kept, as a ring: the oldest at m_oldest.
    std::array<Kept, 2> m_held;
    std::size_t m_oldest = 0;
    std::size_t m_size = 0;
    std::uint64_t m_keptCount = 0;
    std::optional<HeldCue> m_newest;
};

} // namespace mouthkey
