// What one edit of a 1,000,000-cue take costs the window, from the undo
// step to the painted timeline: the cues changed, the checks and findings
// made again, the track rebuilt and the preview drawn.
#include "QtBench.h"
#include "app/MainWindow.h"
#include "app/TakeEdits.h"
#include "app/TimelinePreview.h"
#include "app/ViewController.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QUndoStack>

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <sstream>
#include <string>

using namespace mouthkey;

namespace {

constexpr std::size_t cueCount = 1'000'000;

std::string millionCues() {
    const std::array<std::string_view, 10> names{"AI", "E", "L",  "FV",  "MBP",
                                                 "O",  "U", "WQ", "etc", "rest"};
    std::mt19937 rng(11);
    std::uniform_int_distribution<std::size_t> pick(0, names.size() - 1);
    std::uniform_int_distribution<int> step(2, 5);
    std::string t = "MohoSwitch1\n";
    long frame = 1;
    for (std::size_t i = 0; i < cueCount; ++i) {
        t += std::to_string(frame) + ' ' + std::string(names[pick(rng)]) + '\n';
        frame += step(rng);
    }
    return t;
}

struct LoadedWindow {
    QTemporaryDir dir;
    std::ostringstream diagnostics;
    MainWindow window{std::make_unique<bench::NoChooser>(), diagnostics};
    TimelinePreview* preview = nullptr;
    bool ok = false;

    LoadedWindow() {
        const QString path = dir.filePath(QStringLiteral("million.dat"));
        QFile file(path);
        const std::string text = millionCues();
        ok = file.open(QIODevice::WriteOnly) &&
             file.write(text.data(), static_cast<qint64>(text.size())) ==
                 static_cast<qint64>(text.size());
        file.close();
        window.resize(760, 540);
        window.controller().openFile(QUrl::fromLocalFile(path));
        preview = window.findChild<TimelinePreview*>();
    }
};

// An edit, then the timeline painted as the user then sees it.
template <class Edit> void editAndPaint(benchmark::State& state, Edit&& edit) {
    LoadedWindow loaded;
    if (!loaded.ok || !loaded.window.controller().loaded()) {
        state.SkipWithError("cannot load the take");
        return;
    }
    TakeEdits& edits = loaded.window.controller().edits();
    edits.selectCue(cueCount / 2, false); // reads the cues, once
    QPixmap target(loaded.preview->size());
    bool forth = true;
    for (auto _ : state) {
        edit(edits, forth);
        forth = !forth;
        loaded.preview->render(&target);
    }
}

void BM_moveOneOfMillionCues(benchmark::State& state) {
    editAndPaint(state, [](TakeEdits& edits, bool forth) { edits.moveSelection(forth ? 1 : -1); });
}

void BM_changeOneOfMillionCues(benchmark::State& state) {
    editAndPaint(state,
                 [](TakeEdits& edits, bool forth) { edits.changeMouth(forth ? "MBP" : "O"); });
}

// Deleting and undoing it: the cues after it move each time.
void BM_deleteOneOfMillionCues(benchmark::State& state) {
    editAndPaint(state, [](TakeEdits& edits, bool forth) {
        if (forth) {
            edits.deleteSelection();
        } else {
            edits.undoStack()->undo();
        }
    });
}

} // namespace

BENCHMARK(BM_moveOneOfMillionCues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_changeOneOfMillionCues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_deleteOneOfMillionCues)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return mouthkey::bench::runInApplication(argc, argv);
}
