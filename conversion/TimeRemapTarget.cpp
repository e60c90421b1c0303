// Time Remap: the layer's Time Remap, on a precomp of one drawing a frame.
#include "DrawingTarget.h"
#include "TargetFactories.h"

namespace mouthkey {

std::unique_ptr<DocumentTarget> makeTimeRemapTarget(const TargetChoices& choices,
                                                    std::size_t drawings, const ChunkSink& sink) {
    // The time in seconds that lands inside the drawing's frame of the precomp.
    const double fps = framesPerSecond(choices.rate);
    std::vector<double> seconds(drawings);
    for (std::size_t i = 0; i < drawings; ++i) {
        seconds[i] = (static_cast<double>(i) + 0.5) / fps;
    }
    return std::make_unique<DrawingTarget>(choices.rate, "Time Remap\n\tFrame\tseconds\t\n",
                                           seconds, sink);
}

} // namespace mouthkey
