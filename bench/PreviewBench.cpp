// What the window's keyframe preview costs on a timing file of 1,000,000
// lines: building its track once per load, thinning it, and painting it, at
// the whole take and at single frames with a sound's waveform behind it.
#include "QtBench.h"
#include "app/MainWindow.h"
#include "app/TimelinePreview.h"
#include "app/ViewController.h"
#include "conversion/KeyframeTrack.h"
#include "conversion/TimingCheck.h"
#include "conversion/WaveformSummary.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>

using namespace mouthkey;

namespace {

constexpr std::size_t lines = 1'000'000;

const std::string& millionLines() {
    static const std::string text = [] {
        const std::array<std::string_view, 16> names{
            "AI",  "E",    "L",  "FV", "MBP", "O", "U",    "WQ",
            "etc", "rest", "TH", "CH", "D",   "K", "rest", "ai",
        };
        std::mt19937 rng(7);
        std::uniform_int_distribution<std::size_t> pick(0, names.size() - 1);
        std::uniform_int_distribution<int> step(1, 4);
        std::string t = "MohoSwitch1\n";
        long frame = 1;
        for (std::size_t i = 0; i < lines; ++i) {
            t += std::to_string(frame) + ' ' + std::string(names[pick(rng)]) + '\n';
            frame += step(rng);
        }
        return t;
    }();
    return text;
}

void BM_checkMillionLines(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(checkTimingText(millionLines()).summary.keyframes);
    }
}

void BM_trackFromMillionLines(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto track = KeyframeTrack::fromText(millionLines());
        bytes = track.memoryBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes_per_keyframe"] = static_cast<double>(bytes) / lines;
}

void BM_thinMillionKeyframes(benchmark::State& state) {
    const auto track = KeyframeTrack::fromText(millionLines());
    for (auto _ : state) {
        auto thinned = track.thin(0, track.lastFrame() + 1, 640, 3);
        benchmark::DoNotOptimize(thinned.columns.data());
    }
}

// A paint after the set changes: the lines are made again from the track.
void BM_paintMillionKeyframes(benchmark::State& state) {
    TimelinePreview preview;
    preview.resize(680, 220);
    preview.setTrack(KeyframeTrack::fromText(millionLines()));
    QPixmap target(preview.size());
    int set = 0;
    for (auto _ : state) {
        preview.setSetIndex(set++ % 5);
        preview.render(&target);
    }
}

// Ten minutes of a 48 kHz sound, a tone that swells and fades each second.
std::shared_ptr<const WaveformSummary> tenMinutes() {
    static const auto summary = [] {
        constexpr int rate = 48000;
        auto made = std::make_shared<WaveformSummary>(rate, 1);
        std::vector<float> second(rate);
        for (int s = 0; s < 600; ++s) {
            for (int i = 0; i < rate; ++i) {
                const double t = s + static_cast<double>(i) / rate;
                second[static_cast<std::size_t>(i)] =
                    static_cast<float>(std::sin(t * 1382.3) * std::abs(std::sin(t * 3.1)));
            }
            made->append(second);
        }
        made->finish();
        return made;
    }();
    return summary;
}

void BM_summarizeTenMinutesOfSound(benchmark::State& state) {
    std::vector<float> second(48000);
    for (std::size_t i = 0; i < second.size(); ++i) {
        second[i] = static_cast<float>(std::sin(static_cast<double>(i) * 0.0288));
    }
    for (auto _ : state) {
        WaveformSummary summary(48000, 1);
        for (int s = 0; s < 600; ++s) {
            summary.append(second);
        }
        summary.finish();
        benchmark::DoNotOptimize(summary.frames());
    }
}

void BM_waveformPeaksOfTenMinutes(benchmark::State& state) {
    const auto summary = tenMinutes();
    for (auto _ : state) {
        auto peaks = summary->peaks(0, 600, 640);
        benchmark::DoNotOptimize(peaks.data());
    }
}

// A paint after the set changes, zoomed in as close as the timeline goes
// (24 px a frame), at a frame within the sound and one far past it; the
// second argument: with the sound's waveform behind the keys.
void BM_paintMillionKeyframesAtSingleFrames(benchmark::State& state) {
    TimelinePreview preview;
    preview.resize(680, 220);
    preview.setTrack(KeyframeTrack::fromText(millionLines()));
    if (state.range(1) != 0) {
        preview.setWaveform(tenMinutes());
    }
    for (int i = 0; i < 40; ++i) {
        preview.zoomBy(2, 340);
    }
    preview.scrollTo(static_cast<std::uint64_t>(state.range(0)));
    QPixmap target(preview.size());
    int set = 0;
    for (auto _ : state) {
        preview.setSetIndex(set++ % 5);
        preview.render(&target);
    }
    state.counters["px_per_frame"] = preview.pixelsPerFrame();
}

// The whole load as the window does it: read, decode, check, build the
// track, show the findings, and paint the preview once.
void BM_openMillionLineFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("million.dat"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(millionLines().data(), static_cast<qint64>(millionLines().size())) < 0) {
        state.SkipWithError("cannot write the timing file");
        return;
    }
    file.close();
    std::ostringstream diagnostics;
    MainWindow window(std::make_unique<bench::NoChooser>(), diagnostics);
    window.resize(760, 540);
    auto* preview = window.findChild<TimelinePreview*>();
    QPixmap target(preview->size());
    for (auto _ : state) {
        window.controller().openFile(QUrl::fromLocalFile(path));
        preview->render(&target);
        diagnostics.str({});
    }
}

} // namespace

BENCHMARK(BM_openMillionLineFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_checkMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_trackFromMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_thinMillionKeyframes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_paintMillionKeyframes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_paintMillionKeyframesAtSingleFrames)
    ->Args({7000, 1})
    ->Args({7000, 0})
    ->Args({1250000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_summarizeTenMinutesOfSound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_waveformPeaksOfTenMinutes)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return mouthkey::bench::runInApplication(argc, argv);
}
