#pragma once

// A target whose keys are Position's keyframe lines, which a loop over a
// text's cues may write itself, a batch at a time: Position. Private to the
// conversion library.
#include "conversion/DocumentTarget.h"

#include "PositionLines.h"

#include <cstdint>
#include <string_view>

namespace mouthkey {

class KeyframeLinesTarget : public DocumentTarget {
public:
    // The values its lines show.
    virtual const PositionValues& values() const = 0;
    // `count` lines as keyframeLineAt writes them with values(), after the
    // keys of key().
    virtual void keyframeLines(std::string_view lines, std::uint64_t count) = 0;
};

} // namespace mouthkey
