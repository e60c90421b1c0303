// Slider Control: an effect holding the drawing's number, for an expression
// on the precomp's Time Remap to read.
#include "DrawingTarget.h"
#include "TargetFactories.h"

namespace mouthkey {

std::unique_ptr<DocumentTarget>
makeSliderControlTarget(const TargetChoices& choices, std::size_t drawings, const ChunkSink& sink) {
    std::vector<double> numbers(drawings);
    for (std::size_t i = 0; i < drawings; ++i) {
        numbers[i] = static_cast<double>(i);
    }
    return std::make_unique<DrawingTarget>(
        choices.rate, "Effects\tSlider Control #1\tSlider #2\n\tFrame\t\t\n", numbers, sink);
}

} // namespace mouthkey
