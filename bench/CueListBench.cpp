// What an edit costs the cue list of a take of 1,000,000 cues, shown: one
// cue changed, one inserted, one deleted, each with the events that follow
// it (the view's layout and paint) handled.
#include "QtBench.h"
#include "app/CueList.h"
#include "app/CueListModel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

using namespace mouthkey;

namespace {

constexpr std::size_t cueCount = 1'000'000;

std::vector<Cue> millionCues() {
    const std::array<std::string_view, 4> names{"AI", "MBP", "rest", "E"};
    std::vector<Cue> cues(cueCount);
    for (std::size_t i = 0; i < cueCount; ++i) {
        cues[i] = {3 * i + 1, std::string(names[i % names.size()]), {i + 2, 0}};
    }
    return cues;
}

enum class Edit { Change, Insert, Delete };

// The list scrolled to the middle, where the edits are, with a row selected.
void BM_cueListSplice(benchmark::State& state) {
    const auto edit = static_cast<Edit>(state.range(0));
    const bool events = state.range(1) != 0;
    std::vector<Cue> cues = millionCues();
    CueList list;
    list.resize(420, 300);
    list.cues().setCues(&cues, FrameRate(0), false);
    list.show();
    const std::size_t middle = cueCount / 2;
    list.setSelection(CueRange{middle, middle});
    QApplication::processEvents();
    std::size_t n = 0;
    for (auto _ : state) {
        CueListModel& model = list.cues();
        switch (edit) {
        case Edit::Change:
            model.beginSplice(middle, 1, 1);
            cues[middle].name = n++ % 2 == 0 ? "O" : "AI";
            model.endSplice();
            break;
        case Edit::Insert:
            // Each between two cues three frames apart, so frame order holds.
            model.beginSplice(middle, 0, 1);
            cues.insert(cues.begin() + static_cast<std::ptrdiff_t>(middle),
                        Cue{cues[middle].frame, "FV", {}});
            model.endSplice();
            break;
        case Edit::Delete:
            model.beginSplice(middle, 1, 0);
            cues.erase(cues.begin() + static_cast<std::ptrdiff_t>(middle));
            model.endSplice();
            break;
        }
        if (events) {
            QApplication::processEvents();
        }
    }
    state.counters["rows"] = static_cast<double>(list.cues().rowCount());
}

// A take shown anew, as a load or a change of reading does it.
void BM_cueListSetCues(benchmark::State& state) {
    const std::vector<Cue> cues = millionCues();
    CueList list;
    list.resize(420, 300);
    list.show();
    bool letters = false;
    for (auto _ : state) {
        list.cues().setCues(&cues, FrameRate(0), letters = !letters);
        QApplication::processEvents();
    }
}

// The same edits of the cues alone, with no table to tell: what the owner's
// vector costs whatever the table does.
void BM_cueVectorSplice(benchmark::State& state) {
    const auto edit = static_cast<Edit>(state.range(0));
    std::vector<Cue> cues = millionCues();
    const std::size_t middle = cueCount / 2;
    std::size_t n = 0;
    for (auto _ : state) {
        switch (edit) {
        case Edit::Change:
            cues[middle].name = n++ % 2 == 0 ? "O" : "AI";
            break;
        case Edit::Insert:
            cues.insert(cues.begin() + static_cast<std::ptrdiff_t>(middle),
                        Cue{cues[middle].frame, "FV", {}});
            break;
        case Edit::Delete:
            cues.erase(cues.begin() + static_cast<std::ptrdiff_t>(middle));
            break;
        }
        benchmark::DoNotOptimize(cues.data());
    }
}

} // namespace

BENCHMARK(BM_cueListSetCues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_cueVectorSplice)->ArgName("edit")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
// Arguments: the edit, and whether the events it posts are handled too.
BENCHMARK(BM_cueListSplice)
    ->ArgNames({"edit", "events"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return mouthkey::bench::runInApplication(argc, argv);
}
