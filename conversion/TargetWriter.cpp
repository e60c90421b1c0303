#include "TargetWriter.h"

#include "DatLines.h"

#include <utility>

namespace mouthkey {

TargetWriter::Impl::Impl(const TargetChoices& choices, ChunkSink sink)
    : sink(std::move(sink)), letters(choices.letters), charted(usesChart(choices.target)),
      chart(charted ? choices.chartInUse() : MouthChart({})),
      names([this](std::string_view name) { return chart.drawingOf(name, letters); }),
      rules(choices, targetRow(choices.target)
                         .make(choices, charted ? chart.drawings().size() : 0, this->sink)) {}

TargetWriter::TargetWriter(const TargetChoices& choices, ChunkSink sink)
    : m_impl(std::make_unique<Impl>(choices, std::move(sink))) {}

TargetWriter::~TargetWriter() = default;

void TargetWriter::feed(std::uint64_t frame, std::string_view name, const CuePlace& place) {
    m_impl->feed(frame, name, place);
}

void TargetWriter::feedDat(std::string_view text, LineSample& others) {
    Impl& impl = *m_impl;
    if (impl.charted && impl.rules.drawingTarget()) {
        feedQuickDrawings(text, others, impl.rules, impl.names);
        return;
    }
    datlines::forEachDatCue(
        text,
        [&impl](std::uint64_t frame, std::string_view name, const CuePlace& place, const char*,
                std::string_view) { impl.feed(frame, name, place); },
        others);
}

TargetResult TargetWriter::finish() {
    return m_impl->rules.finish();
}

TargetResult writeTargetDocument(std::span<const Cue> cues, const TargetChoices& choices,
                                 const ChunkSink& sink) {
    TargetWriter writer(choices, sink);
    for (const Cue& cue : cues) {
        writer.feed(cue);
    }
    return writer.finish();
}

} // namespace mouthkey
