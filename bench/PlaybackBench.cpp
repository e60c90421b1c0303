// What the player costs per displayed frame on a take of 1,000,000 lines: the
// frame at a sound position, the cue in force there and its label.
#include "conversion/KeyframeTrack.h"
#include "conversion/Playback.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

using namespace mouthkey;

namespace {

const KeyframeTrack& millionLineTrack() {
    static const KeyframeTrack track = [] {
        std::string text = "MohoSwitch1\n";
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> step(1, 4);
        std::uniform_int_distribution<std::size_t> pick(0, phonemeKeys.size() - 1);
        long frame = 1;
        for (int i = 0; i < 1'000'000; ++i) {
            text += std::to_string(frame) + ' ' + std::string(phonemeKeys[pick(rng)]) + '\n';
            frame += step(rng);
        }
        return KeyframeTrack::fromText(text);
    }();
    return track;
}

// Positions spread over the whole take, as scrubbing visits them.
void BM_playbackAtScattered(benchmark::State& state) {
    const KeyframeTrack& track = millionLineTrack();
    const FrameRate rate(1); // 29.97
    const std::int64_t end = msOfFrame(track.lastFrame(), rate);
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<std::int64_t> at(0, end);
    for (auto _ : state) {
        benchmark::DoNotOptimize(playbackAt(track, at(rng), rate, -1, false).keyframe);
    }
}

// One position a displayed frame, as playing visits them.
void BM_playbackAtPlaying(benchmark::State& state) {
    const KeyframeTrack& track = millionLineTrack();
    const FrameRate rate(0);
    std::int64_t ms = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(playbackAt(track, ms, rate, 0, false).keyframe);
        ms += 16;
    }
}

} // namespace

BENCHMARK(BM_playbackAtScattered);
BENCHMARK(BM_playbackAtPlaying);
BENCHMARK_MAIN();
