#pragma once

// Each target's own file makes it; the registry names them. Private to the
// conversion library.
#include "conversion/DocumentTarget.h"

namespace mouthkey {

std::unique_ptr<DocumentTarget> makePositionTarget(const TargetChoices& choices,
                                                   std::size_t drawings, const ChunkSink& sink);
std::unique_ptr<DocumentTarget> makeTimeRemapTarget(const TargetChoices& choices,
                                                    std::size_t drawings, const ChunkSink& sink);
std::unique_ptr<DocumentTarget>
makeSliderControlTarget(const TargetChoices& choices, std::size_t drawings, const ChunkSink& sink);

} // namespace mouthkey
