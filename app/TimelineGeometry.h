#pragma once

// The measures the timeline's drawing and its mouse share.

#include "app/NoPositionColor.h"

#include <QColor>

namespace mouthkey::timeline {

// Every set's positions lie in [-50, 43]; one scale for all keeps sets comparable.
inline constexpr double lowest = -56;
inline constexpr double highest = 50;
inline constexpr int markLane = 12; // above the plot, where keyframes without a position are marked
inline constexpr double snapPixels = 3;

inline QColor markColor() {
    return noPositionColor();
}

} // namespace mouthkey::timeline
