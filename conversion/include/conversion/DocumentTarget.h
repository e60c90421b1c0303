#pragma once

#include "conversion/ChunkSink.h"
#include "conversion/Targets.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace mouthkey {

// A key as it reaches a target: the offset, the hold steps and what falls
// before frame 0 are decided before, once for every target.
struct TargetKey {
    std::uint64_t frame = 0;
    std::string_view name;   // the cue's, valid during the call
    std::size_t drawing = 0; // the chart's, for a target that uses one
    // The frame's decimal digits when the caller has them, sixteen at most,
    // with sixteen bytes readable from their start; else the frame is
    // written out.
    std::string_view digits;
};

// One output target: a head, one line a key, a tail, into the sink it was
// made with.
class DocumentTarget {
public:
    virtual ~DocumentTarget() = default;
    virtual void head() = 0;
    virtual void key(const TargetKey& key) = 0;
    virtual void tail() = 0;
    virtual std::uint64_t keyframes() const = 0;
};

// The targets, one row each, in the order of `targets`.
struct TargetRow {
    Target target;
    std::string_view name;  // for --target
    std::string_view title; // as the window and messages name it
    bool holdsByDefault;
    bool usesChart; // draws by a mouth chart, rather than pasting the set's values
    // The target for `choices`, writing into `sink`, which outlives it; one
    // that uses a chart is told how many drawings it has.
    std::unique_ptr<DocumentTarget> (*make)(const TargetChoices& choices, std::size_t drawings,
                                            const ChunkSink& sink);
};

std::span<const TargetRow> targetRows();
const TargetRow& targetRow(Target target);

} // namespace mouthkey
