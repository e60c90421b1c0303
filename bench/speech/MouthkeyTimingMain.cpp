// Mouthkey's own timing from sound on the evaluation set, without or with
// each take's script (NAME.txt).
//
//   speech-eval-mouthkey SET_DIR OUT_DIR [--script]
//
// Writes OUT_DIR/NAME.phones for every take timed; a take that fails gets
// none, and its error is printed.

#include "PhoneText.h"

#include "speech/SoundTiming.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace mouthkey;

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool withScript = std::erase(args, std::string("--script")) > 0;
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: speech-eval-mouthkey SET_DIR OUT_DIR [--script]\n");
        return 2;
    }
    std::vector<fs::path> wavs;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(args[0], ec)) {
        if (entry.path().extension() == ".wav") {
            wavs.push_back(entry.path());
        }
    }
    if (ec || wavs.empty()) {
        std::fprintf(stderr, "speech-eval-mouthkey: no *.wav in %s\n", args[0].c_str());
        return 1;
    }
    std::sort(wavs.begin(), wavs.end());
    const fs::path out = args[1];
    fs::create_directories(out, ec);

    using Clock = std::chrono::steady_clock;
    double soundSeconds = 0, timingSeconds = 0, cpuSeconds = 0;
    std::size_t failed = 0;
    for (const fs::path& wav : wavs) {
        const fs::path target = out / (wav.stem().string() + ".phones");
        fs::remove(target, ec);
        const auto start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        const speech::SoundRead read = speech::readSound(wav.string());
        if (!read.sound) {
            std::fprintf(stderr, "speech-eval-mouthkey: %s\n", read.error.c_str());
            ++failed;
            continue;
        }
        speech::TimingRequest request;
        if (withScript) {
            std::ifstream in(fs::path(wav).replace_extension(".txt"));
            std::ostringstream text;
            text << in.rdbuf();
            request.script = text.str();
        }
        const speech::SoundTiming timing = speech::timeSound(*read.sound, request);
        timingSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        cpuSeconds += double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        soundSeconds += read.sound->seconds();
        if (!timing.error.empty() || timing.phones.empty()) {
            std::fprintf(stderr, "speech-eval-mouthkey: %s failed: %s\n", wav.filename().c_str(),
                         timing.error.empty() ? "no phones" : timing.error.c_str());
            ++failed;
            continue;
        }
        if (std::string error =
                speecheval::writeTextFile(target, speecheval::phonesText(timing.phones));
            !error.empty()) {
            std::fprintf(stderr, "speech-eval-mouthkey: %s\n", error.c_str());
            return 1;
        }
    }
    const double minutes = soundSeconds / 60;
    std::printf("mouthkey-%s: %zu takes (%zu failed), %.2f min of sound timed in %.2f s wall, "
                "%.2f s CPU: %.2f s wall, %.2f s CPU per minute of sound\n",
                withScript ? "script" : "sound", wavs.size(), failed, minutes, timingSeconds,
                cpuSeconds, timingSeconds / minutes, cpuSeconds / minutes);
    return 0;
}
