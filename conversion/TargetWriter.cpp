#include "TargetWriter.h"

#include "DatLines.h"
#include "Handoff.h"

#include "conversion/CueEdits.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <thread>
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

// Below this a second thread costs more than the reading it would take over.
constexpr std::size_t cleanAlongsideFrom = 4 << 20;

// A cue cleaned on the reading thread, its name in the text.
struct CleanedCue {
    std::uint64_t frame;
    std::string_view name;
    CuePlace place;
};
using CueBatch = std::vector<CleanedCue>;

using CueHandoff = Handoff<CueBatch>;

} // namespace

// A large text's cues read and cleaned on a thread of their own while they
// are keyed and written on this one. The thread keeps to state of its own,
// so that the two never write to the same cache line.
void TargetWriter::Impl::feedDatAlongside(std::string_view text, LineSample& others) {
    constexpr std::size_t batchSize = 1024;
    CueHandoff handoff;
    LineSample othersRead;
    CleanUpEffects effects;
    {
        const std::jthread reading([&] {
            CueBatch batch;
            batch.reserve(batchSize);
            CueCleaner alongside(
                cleanUp, [&](std::uint64_t frame, std::string_view name, const CuePlace& place) {
                    batch.push_back({frame, name, place});
                    if (batch.size() == batchSize) {
                        handoff.put(std::move(batch));
                        batch = CueBatch();
                        batch.reserve(batchSize);
                    }
                });
            LineSample found;
            datlines::forEachDatCue(
                text,
                [&](std::uint64_t frame, std::string_view name, const CuePlace& place, const char*,
                    std::string_view) { alongside.feed(frame, lasting(name, text), place); },
                found);
            const CleanUpEffects done = alongside.finish();
            if (!batch.empty()) {
                handoff.put(std::move(batch));
            }
            effects = done;
            othersRead = found;
            handoff.close();
        });
        while (const std::optional<CueBatch> taken = handoff.take()) {
            for (const CleanedCue& cue : *taken) {
                key(cue.frame, cue.name, cue.place);
            }
        }
    }
    others = othersRead;
    cleanedAlongside = effects;
}

std::string_view TargetWriter::Impl::lasting(std::string_view name, std::string_view text) {
    const std::less_equal<const char*> atOrBefore;
    if (atOrBefore(text.data(), name.data()) &&
        atOrBefore(name.data() + name.size(), text.data() + text.size())) {
        return name;
    }
    return keptNames.emplace_back(name);
}

TargetWriter::Impl::Impl(const TargetChoices& choices, ChunkSink sink)
    : sink(std::move(sink)), letters(choices.letters), cleanUp(choices.cleanUp),
      charted(usesChart(choices.target)), chart(charted ? choices.chartInUse() : MouthChart({})),
      names([this](std::string_view name) { return chart.drawingOf(name, letters); }),
      rules(choices, targetRow(choices.target)
                         .make(choices, charted ? chart.drawings().size() : 0, this->sink)) {
    if (cleanUp.any()) {
        cleaner = std::make_unique<CueCleaner>(
            cleanUp, [this](std::uint64_t frame, std::string_view name, const CuePlace& place) {
                key(frame, name, place);
            });
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
    if (impl.cleaner && text.size() >= cleanAlongsideFrom) {
        impl.feedDatAlongside(text, others);
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
    const CleanUpEffects cleaned = impl.cleanedAlongside ? *impl.cleanedAlongside
                                   : impl.cleaner        ? impl.cleaner->finish()
                                                         : CleanUpEffects();
    TargetResult result = impl.rules.finish();
    result.cleaned = cleaned;
    return result;
}

void TargetWriter::feed(std::span<const Cue> cues) {
    Impl& impl = *m_impl;
    const auto byFrame = [](const Cue& a, const Cue& b) {
        return a.frame < b.frame;
    };
    if (impl.cleaner && !std::is_sorted(cues.begin(), cues.end(), byFrame)) {
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
