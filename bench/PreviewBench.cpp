// What the window's keyframe preview costs on a timing file of 1,000,000
// lines: building its track once per load, thinning it, and painting it.
#include "app/FileChooser.h"
#include "app/MainWindow.h"
#include "app/TimelinePreview.h"
#include "app/ViewController.h"
#include "conversion/KeyframeTrack.h"
#include "conversion/TimingCheck.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
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

class NoChooser final : public FileChooser {
public:
    FileChoice chooseDatFile(QWidget*, const QString&) override { return {}; }
    FileChoice chooseChartFile(QWidget*, const QString&) override { return {}; }
    FileChoice chooseSoundFile(QWidget*, const QString&) override { return {}; }
    FileChoice chooseDrawingsFolder(QWidget*, const QString&) override { return {}; }
    FileChoice chooseSaveFile(QWidget*, const QString&, const QStringList&) override {
        return {};
    }
};

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
    MainWindow window(std::make_unique<NoChooser>(), diagnostics);
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

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
