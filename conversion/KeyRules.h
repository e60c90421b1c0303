#pragma once

// The rules every target's keys follow, decided here once before a key
// reaches a target: the offset, the hold steps, what falls before frame 0
// and which cues have no drawing. Private to the conversion library.
#include "conversion/DocumentTarget.h"
#include "conversion/MappingTables.h"
#include "conversion/Take.h"

#include "DrawingTarget.h"
#include "KeyframeLinesTarget.h"
#include "LineScan.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

// The frame a cue's key lands on after the offset; nothing before frame 0.
// Frames past the counter's end saturate rather than wrap.
inline std::optional<std::uint64_t> shiftedFrame(std::uint64_t frame, std::int64_t offset) {
    if (offset >= 0) {
        const auto by = static_cast<std::uint64_t>(offset);
        return frame > std::numeric_limits<std::uint64_t>::max() - by
                   ? std::numeric_limits<std::uint64_t>::max()
                   : frame + by;
    }
    // -(offset + 1) + 1 stays in range for the most negative offset too.
    const std::uint64_t by = static_cast<std::uint64_t>(-(offset + 1)) + 1;
    if (frame < by) {
        return std::nullopt;
    }
    return frame - by;
}

// Whether a key at `frame` gets a hold step, a key one frame earlier that
// repeats the key before at `before`: with hold steps on, when it shows
// something new and lies at least two frames after that key. Without
// branches: which way they would go follows the take.
MOUTHKEY_INLINE bool holdStepBefore(bool holds, bool changed, std::uint64_t frame,
                                    std::uint64_t before) {
    return holds & changed & (frame >= before) & (frame - before >= 2);
}

// Cues in, keys out to the target: each cue's frame moved by the offset; a
// hold step before a key that shows something new; of the keys shifted
// before frame 0, the last becomes the key at frame 0, where it is in force
// (After Effects holds a property's first key before it), unless one lands
// there, and the others are left out with a finding.
class KeyRules {
public:
    KeyRules(const TargetChoices& choices, std::unique_ptr<DocumentTarget> target);

    // A cue for a target that pastes the set's values: the key shows the
    // name's value, a name the set does not know being its own.
    void named(std::uint64_t cueFrame, std::string_view name, const CuePlace& place);

    // A cue for a target that draws by a chart, with its name's drawing;
    // `digits` as TargetKey's, for a cue read from a text. Inlined into the
    // loops over a text's cues.
    MOUTHKEY_INLINE void drawn(std::uint64_t cueFrame, std::string_view name,
                               std::optional<std::size_t> drawing, const CuePlace& place,
                               std::string_view digits) {
        if (!drawing) {
            noDrawing(name, place);
            return;
        }
        const auto frame = keyFrame(cueFrame, place, *drawing, {});
        if (!frame) {
            return;
        }
        if (m_offset != 0) {
            digits = {};
        }
        const bool step =
            holdStepBefore(m_holds, *drawing != m_before.drawing, *frame, m_before.frame);
        if (m_drawings) {
            m_drawings->putHeld(step, *frame, m_before.drawing, *drawing, digits);
        } else {
            if (step) {
                m_target->key({*frame - 1, {}, m_before.drawing, {}});
                ++m_holdSteps;
            }
            m_target->key({*frame, name, *drawing, digits});
        }
        m_before = {*frame, *drawing};
    }

    // A cue whose name has no drawing is left out. One the set does not know
    // is the checks' to report: they name it, and may say which was meant.
    MOUTHKEY_COLD void noDrawing(std::string_view name, const CuePlace& place);

    // Writes the tail; call it once, at the end.
    TargetResult finish();

    // For a loop that keys a run of cues itself, through the drawing
    // target's own type: the target (nothing when it is of another type),
    // the choices' hold and offset, and the key before, which the loop takes
    // and hands back.
    DrawingTarget* drawingTarget() const { return m_drawings; }
    // For a loop that writes keyframe lines itself, with no offset, hold
    // steps or key before frame 0 to decide: the target, when it takes them.
    KeyframeLinesTarget* keyframeLinesTarget() const { return m_keyframeLines; }
    bool holds() const { return m_holds; }
    std::int64_t offset() const { return m_offset; }
    // Whether a key shifted before frame 0 waits for the next key.
    bool holdsForZero() const { return m_early.has_value(); }
    struct Before {
        std::uint64_t frame;
        std::size_t drawing;
    };
    Before before() const { return m_before; }
    void setBefore(const Before& before) { m_before = before; }

private:
    // The last cue shifted before frame 0, while no key is written yet.
    struct Early {
        std::uint64_t cueFrame = 0;
        CuePlace place;
        std::size_t drawing = 0;
        std::string name;
    };

    // The frame a cue's key lands on; nothing when it falls before frame 0,
    // where the last such cue is held for frame 0. `drawing` and `name` are
    // the cue's, for that key.
    std::optional<std::uint64_t> keyFrame(std::uint64_t cueFrame, const CuePlace& place,
                                          std::size_t drawing, std::string_view name) {
        const auto frame = shiftedFrame(cueFrame, m_offset);
        if (!frame) {
            holdBeforeZero(cueFrame, place, drawing, name);
        } else if (m_early) {
            settleEarly(*frame);
        }
        return frame;
    }
    MOUTHKEY_COLD void holdBeforeZero(std::uint64_t cueFrame, const CuePlace& place,
                                      std::size_t drawing, std::string_view name);
    MOUTHKEY_COLD void settleEarly(std::uint64_t frame);
    void writeAtZero(const Early& held);
    MOUTHKEY_COLD void leaveOutBeforeZero(std::uint64_t cueFrame, const CuePlace& place);

    // Before the first key, a frame no key lies two after.
    static constexpr std::uint64_t noKeyYet = std::numeric_limits<std::uint64_t>::max();

    std::int64_t m_offset;
    bool m_holds;
    MappingTable m_mapping;
    std::unique_ptr<DocumentTarget> m_target;
    DrawingTarget* m_drawings;            // the target, when it is of that type
    KeyframeLinesTarget* m_keyframeLines; // the same
    ReaderFindings m_findings;
    std::optional<std::uint64_t> m_firstBeforeZero;
    std::optional<Early> m_early;
    Before m_before{noKeyYet, 0};
    std::uint64_t m_holdSteps = 0; // of those not written through m_drawings
    // For a target that pastes values: the key before's name and value.
    std::string m_beforeName;
    std::string m_beforeValue;
};

} // namespace mouthkey
