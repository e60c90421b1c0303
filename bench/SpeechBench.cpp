// Timing a minute of dialogue from sound without a script, on one and two
// threads. The dialogue is espeak-ng's: sentences with pauses between them.
#include "speech/SoundTiming.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

using namespace mouthkey::speech;

namespace {

constexpr double minute = 60;
constexpr double pauseSeconds = 0.7;

// A minute of spoken sentences, or nothing when espeak-ng cannot make them.
const Sound* dialogue() {
    static const std::optional<Sound> sound = []() -> std::optional<Sound> {
        const std::array<const char*, 8> lines{
            "Maybe my mother will make plum jam on Monday.",
            "Have you ever seen a fox fly over a fence?",
            "Where did you put the purple umbrella?",
            "The old owl flew low over the snowy road.",
            "Could you open the window a little, please?",
            "Every evening the fisherman mends his nets by the river.",
            "Thank you for the lovely flowers, they smell wonderful.",
            "Nobody told me the boat was leaving at seven.",
        };
        const auto wav = std::filesystem::temp_directory_path() /
                         ("mouthkey-bench-" + std::to_string(::getpid()) + ".wav");
        Sound all;
        const auto pause = static_cast<std::size_t>(pauseSeconds * soundRate);
        for (std::size_t i = 0; all.seconds() < minute; ++i) {
            const std::string command = "espeak-ng -v en-us -s " +
                                        std::to_string(140 + 10 * (i % 4)) + " -w '" +
                                        wav.string() + "' \"" + lines[i % lines.size()] + "\"";
            if (std::system(command.c_str()) != 0)
                return std::nullopt;
            SoundRead read = readSound(wav.string());
            if (!read.sound)
                return std::nullopt;
            all.samples.insert(all.samples.end(), pause, 0);
            all.samples.insert(all.samples.end(), read.sound->samples.begin(),
                               read.sound->samples.end());
        }
        std::filesystem::remove(wav);
        all.samples.resize(static_cast<std::size_t>(minute * soundRate));
        return all;
    }();
    return sound ? &*sound : nullptr;
}

void timeMinute(benchmark::State& state) {
    const Sound* sound = dialogue();
    if (!sound) {
        state.SkipWithError("espeak-ng could not speak the dialogue");
        return;
    }
    TimingRequest request;
    request.threads = static_cast<unsigned>(state.range(0));
    std::size_t phones = 0;
    for (auto _ : state) {
        const SoundTiming timing = timeSound(*sound, request);
        if (!timing.error.empty()) {
            state.SkipWithError(timing.error.c_str());
            return;
        }
        phones = timing.phones.size();
    }
    state.counters["phones"] = static_cast<double>(phones);
    state.counters["sound_s"] = sound->seconds();
}

} // namespace

BENCHMARK(timeMinute)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();
