#pragma once

// The --min-hold rule on its own: for the cleaner's stage, and for the
// writer's lane that keys a .dat text's lines as it reads them, with no
// stage between. Private to the conversion library.
#include "conversion/CleanUp.h"

#include <cstdint>
#include <string_view>

namespace mouthkey {

// A cue as the rules hold it: its name is the caller's, kept valid until
// the end, so that moving a cue costs no more than its bytes.
struct HeldCue {
    std::uint64_t frame = 0;
    std::string_view name;
    CuePlace place;
    // Its frame's digits as its line holds them, for a caller that copies
    // them: empty once the cue is at a frame not its own.
    std::string_view digits;
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

    void feed(HeldCue cue) {
        if (m_hasNewest) {
            middle(m_newest);
        } else if (m_kept == 0) {
            keep(cue); // the first always stays
            return;
        }
        m_newest = cue;
        m_hasNewest = true;
    }
    void finish() {
        if (m_hasNewest) {
            last(m_newest);
            m_hasNewest = false;
        }
        if (m_kept == 2) {
            m_give(m_before);
        }
        if (m_kept > 0) {
            m_give(m_back);
        }
        m_kept = 0;
    }

private:
    bool closed(const HeldCue& cue) const { return isClosedMouth(cue, m_letters); }
    void drop(const HeldCue& cue) { m_effect.dropped.add(cue.place.line); }
    void keep(const HeldCue& cue) {
        if (m_kept == 2) {
            m_give(m_before);
        } else {
            ++m_kept;
        }
        m_before = m_back;
        m_beforeMoved = m_backMoved;
        m_back = cue;
        m_backMoved = false;
    }
    // A closed mouth too soon after the kept cue takes its place and frame.
    void takePlace(HeldCue& kept, bool& keptMoved, HeldCue closedMouth, bool alreadyMoved) {
        drop(kept);
        closedMouth.frame = kept.frame;
        closedMouth.digits = {};
        kept = closedMouth;
        keptMoved = true;
        m_effect.moved += alreadyMoved ? 0 : 1;
    }
    void middle(const HeldCue& cue) {
        if (cue.frame - m_back.frame >= m_frames) {
            keep(cue);
        } else if (closed(cue) && !closed(m_back)) {
            takePlace(m_back, m_backMoved, cue, false);
        } else {
            drop(cue);
        }
    }
    void last(const HeldCue& cue) {
        // A take shorter than the hold keeps its first cue.
        if (cue.frame - m_back.frame < m_frames && m_kept == 2) {
            const HeldCue tooClose = m_back;
            const bool tooCloseMoved = m_backMoved;
            m_back = m_before;
            m_backMoved = m_beforeMoved;
            m_kept = 1;
            // Kept cues stand the hold apart, so the one before is far
            // enough from the last for a closed mouth to take its place.
            if (closed(tooClose) && !closed(m_back)) {
                takePlace(m_back, m_backMoved, tooClose, tooCloseMoved);
            } else {
                drop(tooClose);
            }
        }
        keep(cue);
    }

    std::uint64_t m_frames;
    bool m_letters;
    RuleEffect& m_effect;
    Give m_give;
    // The two last kept: m_back the newer, m_before the one before it,
    // each with whether it is already at a frame not its own, so that it
    // is not counted as moved twice.
    HeldCue m_before;
    HeldCue m_back;
    bool m_beforeMoved = false;
    bool m_backMoved = false;
    int m_kept = 0; // of the two, how many are held
    HeldCue m_newest;
    bool m_hasNewest = false;
};

} // namespace mouthkey
