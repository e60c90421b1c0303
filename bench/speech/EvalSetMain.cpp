// Writes the evaluation set of timing from sound: takes synthesized by
// espeak-ng, each a WAV, its script and the phones it truly holds.
//
//   speech-eval-set SENTENCES OUT_DIR [--takes N]

#include "PhoneText.h"
#include "TruthPhones.h"

#include <espeak-ng/speak_lib.h>
#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace mouthkey;
using namespace mouthkey::speecheval;

namespace {

struct Synthesis {
    std::vector<std::int16_t> samples;
    std::vector<PhonemeEvent> events;
};

// Synchronous synthesis calls back on this thread, within espeak_Synth.
Synthesis* current = nullptr;

int collect(short* wav, int count, espeak_EVENT* events) {
    if (current == nullptr) {
        return 0;
    }
    if (wav != nullptr && count > 0) {
        current->samples.insert(current->samples.end(), wav, wav + count);
    }
    for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type == espeakEVENT_PHONEME) {
            // audio_position is in ms from the start of the message.
            current->events.push_back(
                {e->audio_position / 1000.0, std::string(e->id.string, strnlen(e->id.string, 8))});
        }
    }
    return 0;
}

// The takes differ by voice, rate and pitch, chosen from the take's number
// alone so that every run writes the same set.
struct TakePlan {
    std::string name, text, voice;
    int rate = 175, pitch = 50;
    double lead = 0.5, tail = 0.5;
};

TakePlan planTake(int i, const std::vector<std::string>& sentences) {
    static const char* const voices[] = {"en-us",    "en",         "en-us+f3",      "en+m3",
                                         "en-us+f4", "en-gb-x-rp", "en-gb-scotland"};
    TakePlan plan;
    char name[16];
    std::snprintf(name, sizeof name, "take%02d", i + 1);
    plan.name = name;
    const std::size_t n = sentences.size();
    plan.text = sentences[std::size_t(i) % n];
    if (i % 2 == 1) {
        plan.text += " " + sentences[std::size_t(i + 1) % n];
    }
    plan.voice = voices[i % 7];
    plan.rate = 140 + (i * 23) % 61;
    plan.pitch = 30 + (i * 17) % 41;
    plan.lead = 0.5 + ((i * 37) % 51) / 100.0;
    plan.tail = 0.5 + ((i * 53) % 51) / 100.0;
    return plan;
}

std::string writeWav(const fs::path& path, const std::vector<std::int16_t>& samples, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) {
        return "cannot write " + path.string() + ": " + sf_strerror(nullptr);
    }
    const auto written = sf_write_short(f, samples.data(), sf_count_t(samples.size()));
    const bool ok = sf_close(f) == 0 && written == sf_count_t(samples.size());
    return ok ? std::string() : "cannot write " + path.string();
}

int fail(const std::string& message) {
    std::fprintf(stderr, "speech-eval-set: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--takes") == 0)) {
        std::fprintf(stderr, "usage: speech-eval-set SENTENCES OUT_DIR [--takes N]\n");
        return 2;
    }
    const int takes = argc == 5 ? std::atoi(argv[4]) : 40;
    if (takes <= 0) {
        return fail("--takes needs a positive number");
    }
    std::vector<std::string> sentences;
    {
        std::ifstream in(argv[1]);
        if (!in) {
            return fail(std::string("cannot open ") + argv[1]);
        }
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty() && line[0] != '#') {
                sentences.push_back(line);
            }
        }
    }
    if (sentences.empty()) {
        return fail(std::string("no sentences in ") + argv[1]);
    }
    const fs::path out = argv[2];
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) {
        return fail("cannot make " + out.string() + ": " + ec.message());
    }

    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                          espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) {
        return fail("espeak-ng did not start (is espeak-ng-data installed?)");
    }
    espeak_SetSynthCallback(collect);

    std::string manifest = "name\tvoice\trate\tpitch\tseconds\ttext\n";
    std::map<std::string, int> mnemonics;
    SilenceFit fit;
    double speechSeconds = 0, totalSeconds = 0;
    for (int i = 0; i < takes; ++i) {
        const TakePlan plan = planTake(i, sentences);
        if (espeak_SetVoiceByName(plan.voice.c_str()) != EE_OK) {
            return fail("espeak-ng has no voice " + plan.voice);
        }
        espeak_SetParameter(espeakRATE, plan.rate, 0);
        espeak_SetParameter(espeakPITCH, plan.pitch, 0);
        Synthesis synthesis;
        current = &synthesis;
        const bool spoke = espeak_Synth(plan.text.c_str(), plan.text.size() + 1, 0, POS_CHARACTER,
                                        0, espeakCHARS_UTF8, nullptr, nullptr) == EE_OK &&
                           espeak_Synchronize() == EE_OK;
        current = nullptr;
        if (!spoke || synthesis.samples.empty()) {
            return fail("espeak-ng did not speak " + plan.name);
        }
        for (const PhonemeEvent& e : synthesis.events) {
            ++mnemonics[e.mnemonic];
        }
        const Truth truth =
            truthPhones(synthesis.events, synthesis.samples, rate, plan.lead, plan.tail);
        if (!truth.unknown.empty()) {
            return fail("no ARPAbet for espeak-ng's \"" + truth.unknown.front() + "\" (voice " +
                        plan.voice + ", \"" + plan.text + "\"): add it to EspeakPhones.cpp");
        }
        std::vector<std::int16_t> sound(std::size_t(plan.lead * rate), 0);
        sound.insert(sound.end(), synthesis.samples.begin(), synthesis.samples.end());
        sound.resize(sound.size() + std::size_t(plan.tail * rate), 0);
        // The truth's end is the sound's.
        std::vector<TimedPhone> phones = truth.phones;
        phones.back().end = double(sound.size()) / rate;
        fit += silenceFit(phones, sound, rate);

        std::string error = writeWav(out / (plan.name + ".wav"), sound, rate);
        if (error.empty()) {
            error = writeTextFile(out / (plan.name + ".txt"), plan.text + "\n");
        }
        if (error.empty()) {
            error = writeTextFile(out / (plan.name + ".phones"), phonesText(phones));
        }
        if (!error.empty()) {
            return fail(error);
        }
        const double seconds = double(sound.size()) / rate;
        speechSeconds += double(synthesis.samples.size()) / rate;
        totalSeconds += seconds;
        char row[128];
        std::snprintf(row, sizeof row, "%s\t%s\t%d\t%d\t%.3f\t", plan.name.c_str(),
                      plan.voice.c_str(), plan.rate, plan.pitch, seconds);
        manifest += row + plan.text + "\n";
    }
    espeak_Terminate();

    std::string counts;
    for (const auto& [m, n] : mnemonics) {
        counts += m + "\t" + std::to_string(n) + "\n";
    }
    if (std::string error = writeTextFile(out / "set.tsv", manifest); !error.empty()) {
        return fail(error);
    }
    if (std::string error = writeTextFile(out / "mnemonics.tsv", counts); !error.empty()) {
        return fail(error);
    }
    std::printf("speech-eval-set: %d takes, %.1f min of sound (%.1f min of speech) in %s\n", takes,
                totalSeconds / 60, speechSeconds / 60, out.c_str());
    std::printf("truth against sound, 10 ms windows: %.2f%% of speech windows (not stops) quiet, "
                "%.2f%% of SIL windows sounding\n",
                100.0 * double(fit.silentSpeechWindows) /
                    double(std::max<std::size_t>(1, fit.speechWindows)),
                100.0 * double(fit.soundingSilWindows) /
                    double(std::max<std::size_t>(1, fit.silWindows)));
    return 0;
}
