#include "TargetWriter.h"

#include "DatLines.h"

#include "conversion/CueEdits.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace mouthkey {

namespace {

bool datCuesInFrameOrder(std::string_view text) {
    if (!datlines::endsLinesOtherwise(text)) {
        return datlines::framesRise(text);
    }
    bool ordered = true;
    std::uint64_t last = 0;
    LineSample others;
    datlines::forEachDatCue(
        text,
        [&](std::uint64_t frame, std::string_view, const CuePlace&, const char*, std::string_view) {
            ordered = ordered && frame >= last;
            last = frame;
        },
        others);
    return ordered;
}

} // namespace

std::string_view TargetWriter::Impl::lasting(std::string_view name, std::string_view text) {
    const std::less_equal<const char*> atOrBefore;
    if (atOrBefore(text.data(), name.data()) &&
        atOrBefore(name.data() + name.size(), text.data() + text.size())) {
        return name;
    }
    return keptNames.emplace_back(name);
}

TargetWriter::Impl::Impl(const TargetChoices& choices, ChunkSink sink)
    : sink(std::move(sink)), letters(choices.letters), charted(usesChart(choices.target)),
      chart(charted ? choices.chartInUse() : MouthChart({})),
      names([this](std::string_view name) { return chart.drawingOf(name, letters); }),
      rules(choices, targetRow(choices.target)
                         .make(choices, charted ? chart.drawings().size() : 0, this->sink)) {
    if (choices.cleanUp.any()) {
        cleaner = std::make_unique<CueCleaner>(
            choices.cleanUp, [this](std::uint64_t frame, std::string_view name,
                                    const CuePlace& place) { key(frame, name, place); });
    }
}

TargetWriter::TargetWriter(const TargetChoices& choices, ChunkSink sink)
    : m_impl(std::make_unique<Impl>(choices, std::move(sink))) {}

TargetWriter::~TargetWriter() = default;

void TargetWriter::feed(std::uint64_t frame, std::string_view name, const CuePlace& place) {
    m_impl->feed(frame, name, place);
}

void TargetWriter::feedDat(std::string_view text, LineSample& others) {
    Impl& impl = *m_impl;
    // Cleaned up in frame order: a text out of order is put in order first.
    if (impl.cleaner && !datCuesInFrameOrder(text)) {
        std::vector<Cue> cues;
        datlines::forEachDatCue(
            text,
            [&cues](std::uint64_t frame, std::string_view name, const CuePlace& place, const char*,
                    std::string_view) {
                cues.push_back({frame, std::string(name), place});
            },
            others);
        impl.ordered = inFrameOrder(std::move(cues));
        for (const Cue& cue : impl.ordered) {
            impl.feed(cue.frame, cue.name, cue.place);
        }
        return;
    }
    if (impl.charted && impl.rules.drawingTarget() && !impl.cleaner) {
        feedQuickDrawings(text, others, impl.rules, impl.names);
        return;
    }
    datlines::forEachDatCue(
        text,
        [&impl, text](std::uint64_t frame, std::string_view name, const CuePlace& place,
                      const char*, std::string_view) {
            impl.feed(frame, impl.cleaner ? impl.lasting(name, text) : name, place);
        },
        others);
}

TargetResult TargetWriter::finish() {
    Impl& impl = *m_impl;
    const CleanUpEffects cleaned = impl.cleaner ? impl.cleaner->finish() : CleanUpEffects();
    TargetResult result = impl.rules.finish();
    result.cleaned = cleaned;
    return result;
}

void TargetWriter::feed(std::span<const Cue> cues) {
    Impl& impl = *m_impl;
    if (impl.cleaner && !framesRise(cues)) {
        impl.ordered = inFrameOrder({cues.begin(), cues.end()});
        cues = impl.ordered;
    }
    for (const Cue& cue : cues) {
        impl.feed(cue.frame, cue.name, cue.place);
    }
}

TargetResult writeTargetDocument(std::span<const Cue> cues, const TargetChoices& choices,
                                 const ChunkSink& sink) {
    TargetWriter writer(choices, sink);
    writer.feed(cues);
    return writer.finish();
}

} // namespace mouthkey
