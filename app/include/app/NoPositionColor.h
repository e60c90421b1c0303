#pragma once

#include <QColor>

namespace mouthkey {

// The red that marks a keyframe without a position, wherever one is shown.
inline QColor noPositionColor() {
    return {0xC6, 0x28, 0x28};
}

} // namespace mouthkey
