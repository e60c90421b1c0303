#pragma once

// Which choices write a .dat text's own lines, as the converter always has:
// Position with no new option, by the streaming text path. Private to the
// conversion library, which alone picks a path.
#include "conversion/Targets.h"

namespace mouthkey {

inline bool writesDatLines(const TargetChoices& choices) {
    return choices.target == Target::Position && !choices.holds() && choices.offset == 0 &&
           !choices.cleanUp.any();
}

} // namespace mouthkey
