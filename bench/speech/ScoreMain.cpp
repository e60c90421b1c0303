// Scores phones against the evaluation set's truth, by the mouth class shown
// at each frame at 24 fps.
//
//   speech-eval-score TRUTH_DIR HYP_DIR [--label NAME] [--quiet]
//
// Every TRUTH_DIR/NAME.phones is a take; HYP_DIR/NAME.phones is what was
// recognized in it. A take without one (or with an empty or unreadable one)
// failed: it is counted, and scored as showing rest throughout.

#include "FrameScore.h"
#include "PhoneText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace mouthkey::speecheval;

namespace {

constexpr double fps = 24;

void printLine(const char* name, const Agreement& a, const std::string& note) {
    std::printf("%-14s %6zu frames  all %.3f  speech %.3f%s%s\n", name, a.frames, a.all(),
                a.speech(), note.empty() ? "" : "  ", note.c_str());
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string label = "hypothesis";
    bool quiet = false;
    std::vector<std::string> dirs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--label" && i + 1 < args.size()) {
            label = args[++i];
        } else if (args[i] == "--quiet") {
            quiet = true;
        } else {
            dirs.push_back(args[i]);
        }
    }
    if (dirs.size() != 2) {
        std::fprintf(stderr,
                     "usage: speech-eval-score TRUTH_DIR HYP_DIR [--label NAME] [--quiet]\n");
        return 2;
    }
    const fs::path truthDir = dirs[0], hypDir = dirs[1];
    std::vector<fs::path> takes;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(truthDir, ec)) {
        if (entry.path().extension() == ".phones") {
            takes.push_back(entry.path());
        }
    }
    if (ec || takes.empty()) {
        std::fprintf(stderr, "speech-eval-score: no truth (*.phones) in %s\n", truthDir.c_str());
        return 2;
    }
    if (!fs::is_directory(hypDir)) {
        std::fprintf(stderr, "speech-eval-score: %s is not a folder\n", hypDir.c_str());
        return 2;
    }
    std::sort(takes.begin(), takes.end());

    Agreement set, withOutput;
    std::size_t failed = 0;
    double seconds = 0;
    for (const fs::path& truthPath : takes) {
        const PhonesRead truth = readPhonesFile(truthPath);
        if (!truth.error.empty() || truth.phones.empty()) {
            std::fprintf(stderr, "speech-eval-score: bad truth %s\n",
                         truth.error.empty() ? truthPath.c_str() : truth.error.c_str());
            return 2;
        }
        // The scorer is held to its own truth: perfect phones score 1.
        const Agreement self = scoreTake(truth.phones, truth.phones, fps);
        if (self.agreeing != self.frames || self.speechAgreeing != self.speechFrames) {
            std::fprintf(stderr, "speech-eval-score: self-check failed on %s\n", truthPath.c_str());
            return 3;
        }
        seconds += truth.phones.back().end;
        const std::string name = truthPath.stem().string();
        const fs::path hypPath = hypDir / truthPath.filename();
        std::string note;
        PhonesRead hyp;
        if (!fs::exists(hypPath)) {
            note = "FAILED: no " + hypPath.filename().string();
        } else {
            hyp = readPhonesFile(hypPath);
            if (!hyp.error.empty()) {
                note = "FAILED: " + hyp.error;
            } else if (hyp.phones.empty()) {
                note = "FAILED: no phones";
            }
        }
        const bool ok = note.empty();
        const Agreement a =
            scoreTake(truth.phones, ok ? hyp.phones : std::vector<mouthkey::TimedPhone>{}, fps);
        set += a;
        if (ok) {
            withOutput += a;
        } else {
            ++failed;
        }
        if (!quiet || !ok) {
            printLine(name.c_str(), a, note);
        }
    }
    std::printf("%s: %zu takes (%zu failed), %.2f min; all frames %.3f, speech frames %.3f\n",
                label.c_str(), takes.size(), failed, seconds / 60, set.all(), set.speech());
    if (failed > 0 && failed < takes.size()) {
        std::printf("%s, takes with output only: all frames %.3f, speech frames %.3f\n",
                    label.c_str(), withOutput.all(), withOutput.speech());
    }
    return 0;
}
