// Fuzzes a reader of the lip-sync tool's files, built once per format with
// MOUTHKEY_FUZZ_FORMAT 0 (TSV), 1 (XML) or 2 (JSON): the bytes as text, then
// the cues at a rate, their .dat text and the checks, with the invariants
// every take must keep; then the three output targets' documents of those
// cues, drawn by the set's chart or by a chart read from the same bytes.
#include "FuzzCheck.h"

#include "conversion/DocumentWriter.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "conversion/RhubarbTsv.h"
#include "conversion/Take.h"
#include "conversion/Targets.h"
#include "conversion/TimingCheck.h"
#include "conversion/TimingReader.h"
#include "textinput/RhubarbDocuments.h"

#include <QByteArrayView>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

using namespace mouthkey;
using mouthkey::fuzz::check;

namespace {

Take readTake(std::string_view text) {
#if MOUTHKEY_FUZZ_FORMAT == 0
    return readRhubarbTsv(text);
#elif MOUTHKEY_FUZZ_FORMAT == 1
    return readRhubarbXml(text);
#else
    return readRhubarbJson(text);
#endif
}

constexpr bool closedAtLastCue = MOUTHKEY_FUZZ_FORMAT != 0;

void checkFindings(const std::vector<Finding>& findings, std::uint64_t lines) {
    for (const Finding& f : findings) {
        check(f.lines.count >= 1, "a finding on no line");
        for (std::uint64_t i = 0; i < std::min<std::uint64_t>(f.lines.count, LineSample::kept);
             ++i) {
            check(f.lines.first[i] >= 1 && f.lines.first[i] <= lines, "a finding outside the text");
        }
        const std::string words = findingText(f) + std::string(findingOutcome(f.kind));
        check(QByteArrayView(words).isValidUtf8() &&
                  std::none_of(words.begin(), words.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
              "a finding's words are not one line of text");
    }
}

// The same bytes as a mouth chart: each drawing names something, no name
// holds a separator, and the chart reads back from its own text.
std::optional<MouthChart> readChart(std::string_view raw, std::uint64_t lines) {
    ChartReading reading = readMouthChart(raw);
    if (!reading.chart) {
        check(reading.findings.size() == 1 && reading.findings[0].kind == Finding::Kind::EmptyChart,
              "no chart, but not for want of drawings");
        return std::nullopt;
    }
    checkFindings(reading.findings, lines);
    for (const auto& names : reading.chart->drawings()) {
        check(!names.empty(), "a drawing without a name");
        for (const std::string& name : names) {
            check(!name.empty() && name.find_first_of(" \t#") == std::string::npos &&
                      rhubarb::fitsDatLine(name),
                  "a chart name holding a separator");
        }
    }
    check(readMouthChart(reading.chart->text()).chart == reading.chart,
          "a chart's text reads as another chart");
    return reading.chart;
}

// Each target's document: its head and end, one key line a keyframe, and
// every cue either keyed or named by a finding.
void checkTargets(std::span<const Cue> cues, const FrameRate& rate, std::size_t size,
                  const std::optional<MouthChart>& chart, const std::string& plainDocument,
                  std::uint64_t lines) {
    for (const Target target : targets) {
        TargetChoices choices;
        choices.target = target;
        choices.setIndex = static_cast<int>(size % 5);
        choices.rate = rate;
        choices.letters = true;
        choices.hold = size % 3 == 0 ? std::nullopt : std::optional(size % 3 == 1);
        choices.offset = static_cast<std::int64_t>(size % 7) - 3;
        if (target == Target::TimeRemap) {
            choices.chart = chart;
        }
        std::string document;
        const TargetResult result = writeTargetDocument(
            cues, choices, [&document](std::string_view chunk) { document.append(chunk); });
        checkFindings(result.findings, lines);
        // Every cue without a drawing is left out; the writer names those of
        // names the set knows, and the checks name the others as unknown.
        const MouthChart inUse = choices.chartInUse();
        const MappingTable mapping = buildMapping(choices.setIndex, choices.letters);
        std::uint64_t undrawn = 0;
        std::uint64_t undrawnKnown = 0;
        for (const Cue& cue : cues) {
            if (usesChart(target) && !inUse.drawingOf(cue.name, choices.letters)) {
                ++undrawn;
                undrawnKnown += mapping.find(cue.name) ? 1 : 0;
            }
        }
        std::uint64_t beforeZero = 0;
        std::uint64_t noDrawing = 0;
        for (const Finding& f : result.findings) {
            (f.kind == Finding::Kind::NoDrawing ? noDrawing : beforeZero) += f.lines.count;
        }
        check(noDrawing == undrawnKnown,
              "other cues named as without a drawing than those left out");
        const std::uint64_t leftOut = undrawn + beforeZero;
        check(leftOut <= cues.size(), "more cues left out than there are");
        const std::uint64_t keyed = cues.size() - leftOut;
        check(result.keyframes >= keyed &&
                  result.keyframes <= (choices.holds() ? 2 * keyed : keyed) &&
                  (keyed > 0 || result.keyframes == 0),
              "other keyframes than the cues kept and their hold steps");
        check(document.starts_with(headertop), "a document without its head");
        if (target == Target::Position) {
            check(document.ends_with(footer), "a Position document without its end");
            if (!choices.holds() && choices.offset == 0) {
                check(document == plainDocument, "plain Position is not the converter's document");
            }
            continue;
        }
        check(document.ends_with("\n\nEnd of Keyframe Data"), "a document without its end");
        const std::string property =
            target == Target::TimeRemap ? "\tFrame\tseconds\t\n" : "\tFrame\t\t\n";
        const std::size_t keys = document.find(property);
        check(keys != std::string::npos, "a document without its property");
        const std::string_view body(document.data() + keys + property.size(),
                                    document.size() - keys - property.size());
        check(static_cast<std::uint64_t>(std::count(body.begin(), body.end(), '\n')) ==
                  result.keyframes + 1,
              "other key lines than keyframes");
    }
}

FrameRate rateFor(std::size_t size) {
    constexpr const char* others[] = {"23.976", "48", "1", "1000", "7.5"};
    const std::size_t choice = size % (frameRateTitles.size() + std::size(others));
    return choice < frameRateTitles.size()
               ? FrameRate(static_cast<int>(choice))
               : *FrameRate::fromText(others[choice - frameRateTitles.size()]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    // Text arrives as UTF-8 from the decoder.
    if (!QByteArrayView(raw).isValidUtf8()) {
        return 0;
    }
    // Any of the separators a reader may count a line at: the checks' own,
    // or a lone CR, as XML counts lines.
    TimingReader counter([](const TimingLine&) {});
    counter.feed(raw);
    counter.finish();
    const std::uint64_t lines = std::max<std::uint64_t>(
        counter.lineCount(),
        1 + static_cast<std::uint64_t>(std::count(raw.begin(), raw.end(), '\n') +
                                       std::count(raw.begin(), raw.end(), '\r')));
    const Take take = readTake(raw);
    check(take.timedInSeconds() && take.letters, "a take of seconds-timed letters");
    for (const TimedCue& cue : take.timed) {
        check(std::isfinite(cue.seconds) && cue.seconds >= 0, "a time no frame can hold");
        check(!cue.name.empty() && rhubarb::fitsDatLine(cue.name), "a name no .dat line can hold");
        check(cue.place.line >= 1 && cue.place.line <= lines && cue.place.column >= 1,
              "a cue placed outside the text");
    }
    if (closedAtLastCue && !take.timed.empty()) {
        check(take.timed.size() >= 2 && take.timed.back().name == "X" &&
                  take.timed.back().place == take.timed[take.timed.size() - 2].place,
              "no closing X at the last cue");
    }
    checkFindings(take.findings, lines);

    const FrameRate rate = rateFor(size);
    const std::vector<Cue> cues = takeCues(take, 0, framesPerSecond(rate));
    check(cues.size() <= take.timed.size(), "more cues than timed cues");
    for (std::size_t i = 0; i < cues.size(); ++i) {
        check(cues[i].frame >= 1, "a frame before the first");
        check(i == 0 || cues[i].frame != cues[i - 1].frame, "two cues on one frame");
    }
    if (!take.timed.empty()) {
        check(!cues.empty() && cues.back().name == take.timed.back().name &&
                  cues.back().place == take.timed.back().place,
              "the closing cue is not last");
    }

    const std::string dat = datText(cues);
    check(static_cast<std::size_t>(std::count(dat.begin(), dat.end(), '\n')) == cues.size() + 1,
          "the .dat text has other lines than its cues");
    std::string document;
    DocumentWriter writer(buildMapping(static_cast<int>(size % 5), true), rate,
                          [&document](std::string_view chunk) { document.append(chunk); });
    writer.feed(dat);
    writer.finish();
    check(writer.keyframeCount() == cues.size(), "the document has other keyframes than cues");
    const TimingReport report = checkCues(take, cues, rate);
    check(report.summary.keyframes == cues.size(), "the checks count other keyframes than cues");
    check(report.findings.size() >= take.findings.size() &&
              std::equal(take.findings.begin(), take.findings.end(), report.findings.begin()),
          "the checks lost the reader's findings");
    checkTargets(cues, rate, size, readChart(raw, lines), document, lines);
    return 0;
}
