#include "TargetWriter.h"

#include "DatLines.h"
#include "HoldRule.h"

#include "conversion/CueEdits.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

namespace mouthkey {

namespace {

// For a text that ends lines otherwise than at LF or CR LF, read as the line reader cuts it.
bool readCuesInFrameOrder(std::string_view text) {
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

// Whether cues can go from a text's lines through --min-hold straight to
// their keys: to Position, with nothing else between a cue and its key.
bool holdsLinesStraight(const TargetChoices& choices) {
    const CleanUpRules& rules = choices.cleanUp;
    return choices.target == Target::Position && choices.offset == 0 && !choices.holds() &&
           rules.minHold > 1 && rules.bridgeRests == 0 && rules.onEvery <= 1;
}

} // namespace

// The lines of a text in frame order, read by the block lane where they are
// usual, each cue through the hold and on to its keyframe line, with no
// stage between: --min-hold to Position is the clean-up a long take meets
// most.
void TargetWriter::Impl::holdLines(std::string_view text, LineSample& others) {
    KeyframeLinesTarget& target = *rules.keyframeLinesTarget();
    KeyframeBatch kept(target.values(), [&target](std::string_view lines, std::uint64_t count) {
        target.keyframeLines(lines, count);
    });
    const char* const textEnd = text.data() + text.size();
    const auto give = [&kept, textEnd](const HeldCue& cue) {
        // Every name lies in the text.
        kept.add(cue.frame, cue.digits, cue.name,
                 static_cast<std::size_t>(textEnd - cue.name.data()));
    };
    HoldRule<decltype(give)> hold(cleanUpRules.minHold, cleanUpRules.letters, heldStraight, give);
    const auto each = [&hold](std::uint64_t frame, std::string_view name, const CuePlace& place,
                              const char*, std::string_view) {
        hold.feed({frame, name, place, {}});
    };
    const auto take = [&hold](std::uint64_t frame, std::string_view name, std::uint64_t line,
                              std::string_view digits) {
        // A frame is written as it stands where that is as it would be
        // written out: eight digits at most, without a leading zero.
        const bool asWritten = digits.size() <= 8 && (digits[0] != '0' || digits.size() == 1);
        hold.feed({frame, name, CuePlace{line, 0}, asWritten ? digits : std::string_view()});
        return true;
    };
    datlines::QuickLines quick(text);
    while (quick.p < quick.end) {
        if (quick.header) {
            quick.p = reinterpret_cast<const char*>(datlines::takeBlockLines(
                datlines::bytesAt(quick.p), datlines::bytesAt(quick.end), quick.number, take));
            if (quick.p >= quick.end) {
                break;
            }
        }
        quick.step(each, others);
    }
    hold.finish();
    kept.flush();
    heldStraightUsed = true;
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
    : sink(std::move(sink)), letters(choices.letters), charted(usesChart(choices.target)),
      chart(charted ? choices.chartInUse() : MouthChart({})),
      names([this](std::string_view name) { return chart.drawingOf(name, letters); }),
      rules(choices, targetRow(choices.target)
                         .make(choices, charted ? chart.drawings().size() : 0, this->sink)),
      cleanUpRules(choices.cleanUp), holdsStraight(holdsLinesStraight(choices)) {
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

void TargetWriter::feedDat(std::string_view text, LineSample& others, DatOrder order) {
    Impl& impl = *m_impl;
    // Cleaned up in frame order: a text out of order is put in order first.
    const bool checked = impl.cleaner && order == DatOrder::Unknown;
    const bool oddEnds = checked && datlines::endsLinesOtherwise(text);
    const bool inOrder =
        !checked || (oddEnds ? readCuesInFrameOrder(text) : datlines::framesRise(text));
    if (inOrder && !oddEnds && impl.holdsStraight && impl.rules.keyframeLinesTarget()) {
        impl.holdLines(text, others);
        return;
    }
    if (!inOrder) {
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
    CleanUpEffects cleaned = impl.cleaner ? impl.cleaner->finish() : CleanUpEffects();
    if (impl.heldStraightUsed) {
        cleaned.held = impl.heldStraight;
    }
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
