// Throughput of the conversion core on a realistic timing text of about 100 MB.
#include "conversion/DataLineConversion.h"
#include "conversion/DocumentWriter.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/Targets.h"
#include "conversion/TimingCheck.h"

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>
#include <thread>

using namespace mouthkey;

namespace {

const std::string& realisticText() {
    static const std::string text = [] {
        constexpr std::size_t targetSize = 100u * 1000u * 1000u;
        // Mostly phoneme names, with a few a tool might write that have no entry.
        const std::array<std::string_view, 18> names{
            "AI",   "E",  "L",  "FV", "MBP", "O",    "U",   "WQ",  "etc",
            "rest", "TH", "CH", "D",  "K",   "rest", "MBP", "sil", "X",
        };
        std::mt19937 rng(42);
        std::uniform_int_distribution<std::size_t> pick(0, names.size() - 1);
        std::uniform_int_distribution<int> step(1, 4);
        std::string t = "MohoSwitch1\n";
        t.reserve(targetSize + 64);
        long frame = 1;
        while (t.size() < targetSize) {
            t += std::to_string(frame);
            t += ' ';
            t += names[pick(rng)];
            t += '\n';
            frame += step(rng);
        }
        return t;
    }();
    return text;
}

// Counts what is written, and keeps the optimiser from dropping it.
auto countingSink(std::size_t& written) {
    return [&written](std::string_view s) {
        benchmark::DoNotOptimize(s.data());
        written += s.size();
    };
}

void BM_convertToString(benchmark::State& state) {
    const std::string& text = realisticText();
    const MappingTable mapping = buildMapping(0);
    for (auto _ : state) {
        std::string out = convertDataLines(text, mapping);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void convertStreaming(benchmark::State& state, const MappingTable& mapping) {
    const std::string& text = realisticText();
    for (auto _ : state) {
        std::size_t written = 0;
        DataLineConverter converter(mapping, countingSink(written));
        converter.feed(text);
        converter.finish();
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_convertStreaming(benchmark::State& state) {
    convertStreaming(state, buildMapping(4));
}

// The same with letter mouth shapes read by their chart: the one table does it.
void BM_convertStreamingLetters(benchmark::State& state) {
    convertStreaming(state, buildMapping(4, true));
}

void BM_convertInFileChunks(benchmark::State& state) {
    const std::string_view text = realisticText();
    const MappingTable mapping = buildMapping(0);
    const auto chunkSize = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        DataLineConverter converter(
            mapping, [&](std::string_view s) { benchmark::DoNotOptimize(s.data()); });
        for (std::size_t at = 0; at < text.size(); at += chunkSize) {
            converter.feed(text.substr(at, chunkSize));
        }
        converter.finish();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The converter's path: the whole document streamed in 1 MiB chunks.
void BM_writeDocument(benchmark::State& state) {
    const std::string& text = realisticText();
    for (auto _ : state) {
        std::size_t written = 0;
        DocumentWriter writer(4, 0, countingSink(written), std::size_t{1} << 20);
        writer.feed(text);
        writer.finish();
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The same, with every line checked as the converter writes it: both read
// each slice while it is still in cache.
void BM_writeDocumentChecked(benchmark::State& state) {
    const std::string_view text = realisticText();
    constexpr std::size_t slice = 256 * 1024;
    for (auto _ : state) {
        std::size_t written = 0;
        DocumentWriter writer(4, 0, countingSink(written), std::size_t{1} << 20);
        TimingChecker checker;
        for (std::size_t at = 0; at < text.size(); at += slice) {
            writer.feed(text.substr(at, slice));
            checker.feed(text.substr(at, slice));
        }
        writer.finish();
        TimingReport report = checker.finish();
        benchmark::DoNotOptimize(written);
        benchmark::DoNotOptimize(report.findings.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The converter's way with large texts: the checks on a second thread,
// over the same text in memory, while the document is written.
void BM_writeDocumentCheckedAlongside(benchmark::State& state) {
    const std::string& text = realisticText();
    for (auto _ : state) {
        TimingReport report;
        std::thread checks([&] { report = checkTimingText(text); });
        std::size_t written = 0;
        DocumentWriter writer(4, 0, countingSink(written), std::size_t{1} << 20);
        writer.feed(text);
        writer.finish();
        checks.join();
        benchmark::DoNotOptimize(written);
        benchmark::DoNotOptimize(report.findings.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The realistic text's document for the choices, as the converter streams
// it from a .dat text.
void writeFromDat(benchmark::State& state, const TargetChoices& choices) {
    const std::string& text = realisticText();
    for (auto _ : state) {
        std::size_t written = 0;
        TargetWriter writer(choices, countingSink(written));
        LineSample others;
        writer.feedDat(text, others);
        TargetResult result = writer.finish();
        benchmark::DoNotOptimize(written);
        benchmark::DoNotOptimize(result.findings.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Time Remap's and Slider Control's documents from the same .dat text, held:
// what their writer alone costs, without the checks. Position's own path is
// BM_writeDocument.
void BM_writeTarget(benchmark::State& state) {
    TargetChoices choices;
    choices.target = targets[static_cast<std::size_t>(state.range(0))];
    choices.setIndex = 4;
    writeFromDat(state, choices);
    state.SetLabel(std::string(targetName(choices.target)));
}

// Position from the same .dat text cleaned up by each rule at 2 (1: bridge
// rests, 2: hold, 3: on twos), as the converter writes it; against
// BM_writeDocument, the plain text's own path.
void BM_writeCleanedUp(benchmark::State& state) {
    TargetChoices choices;
    CleanUpRules& rules = choices.cleanUp;
    (state.range(0) == 1   ? rules.bridgeRests
     : state.range(0) == 2 ? rules.minHold
                           : rules.onEvery) = 2;
    writeFromDat(state, choices);
    state.SetLabel(state.range(0) == 1   ? "--bridge-rests 2"
                   : state.range(0) == 2 ? "--min-hold 2"
                                         : "--on 2");
}

void BM_checkTimingText(benchmark::State& state) {
    const std::string& text = realisticText();
    for (auto _ : state) {
        TimingReport report = checkTimingText(text);
        benchmark::DoNotOptimize(report.findings.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_wholeDocument(benchmark::State& state) {
    const std::string& text = realisticText();
    for (auto _ : state) {
        std::string document = assembleDocument(headertop, rateLine(3), headerbottom,
                                                convertDataLines(text, buildMapping(0)), footer);
        benchmark::DoNotOptimize(document.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(BM_convertToString)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_convertStreaming)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_convertStreamingLetters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_convertInFileChunks)->Arg(64 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_writeDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_writeDocumentChecked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_writeDocumentCheckedAlongside)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_writeTarget)->DenseRange(1, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_writeCleanedUp)->DenseRange(1, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_checkTimingText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_wholeDocument)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
