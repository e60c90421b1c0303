// The baseline of timing from sound: PocketSphinx's plain phone recognition
// (allphone search with the English phone language model, its default
// settings otherwise but for keeping silent frames), each take decoded whole
// at 16 kHz.
//
//   speech-eval-baseline WAV_DIR OUT_DIR [--model DIR]
//
// Writes OUT_DIR/NAME.phones for every WAV_DIR/NAME.wav it recognizes
// anything in, and how long the recognition took.

#include "PhoneText.h"

#include <pocketsphinx.h>
#include <sndfile.h>
#include <soxr.h>
#include <sphinxbase/err.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace mouthkey;
using namespace mouthkey::speecheval;

namespace {

constexpr double modelRate = 16000;

// The sound as 16 kHz mono, or an error.
std::string readSound16k(const fs::path& path, std::vector<std::int16_t>& out) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f == nullptr) {
        return "cannot read " + path.string() + ": " + sf_strerror(nullptr);
    }
    std::vector<float> frames(std::size_t(info.frames) * std::size_t(info.channels));
    const sf_count_t got = sf_readf_float(f, frames.data(), info.frames);
    sf_close(f);
    if (got != info.frames || info.channels < 1) {
        return "cannot read " + path.string();
    }
    std::vector<float> mono(std::size_t(info.frames));
    for (std::size_t i = 0; i < mono.size(); ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c) {
            sum += frames[i * std::size_t(info.channels) + std::size_t(c)];
        }
        mono[i] = sum / float(info.channels);
    }
    out.assign(std::size_t(std::ceil(double(mono.size()) * modelRate / info.samplerate)) + 16, 0);
    std::size_t done = 0;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_INT16_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    if (soxr_error_t e =
            soxr_oneshot(info.samplerate, modelRate, 1, mono.data(), mono.size(), nullptr,
                         out.data(), out.size(), &done, &io, &quality, nullptr)) {
        return "cannot resample " + path.string() + ": " + e;
    }
    out.resize(done);
    return {};
}

int fail(const std::string& message) {
    std::fprintf(stderr, "speech-eval-baseline: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    fs::path model = "/usr/share/pocketsphinx/model/en-us";
    std::vector<std::string> dirs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--model" && i + 1 < args.size()) {
            model = args[++i];
        } else {
            dirs.push_back(args[i]);
        }
    }
    if (dirs.size() != 2) {
        std::fprintf(stderr, "usage: speech-eval-baseline WAV_DIR OUT_DIR [--model DIR]\n");
        return 2;
    }
    const fs::path hmm = model / "en-us", phoneLm = model / "en-us-phone.lm.bin";
    if (!fs::exists(hmm / "mdef") || !fs::exists(phoneLm)) {
        return fail("the English speech model is not installed (Debian: pocketsphinx-en-us)");
    }
    std::vector<fs::path> wavs;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dirs[0], ec)) {
        if (entry.path().extension() == ".wav") {
            wavs.push_back(entry.path());
        }
    }
    if (ec || wavs.empty()) {
        return fail("no *.wav in " + dirs[0]);
    }
    std::sort(wavs.begin(), wavs.end());
    const fs::path out = dirs[1];
    fs::create_directories(out, ec);
    if (ec) {
        return fail("cannot make " + out.string() + ": " + ec.message());
    }

    using Clock = std::chrono::steady_clock;
    const auto loadStart = Clock::now();
    err_set_logfp(nullptr);
    // The one departure from the defaults: PocketSphinx's voice activity
    // detection drops the silent frames before it decodes, and the segments'
    // frame numbers then skip them, so that every time after a silence comes
    // early (by the whole leading silence at the start). Frames must be times.
    cmd_ln_t* config =
        cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.c_str(), "-allphone", phoneLm.c_str(),
                    "-remove_silence", "no", "-logfn", "/dev/null", nullptr);
    ps_decoder_t* ps = config ? ps_init(config) : nullptr;
    if (ps == nullptr) {
        return fail("PocketSphinx did not start with the model in " + model.string());
    }
    const double frameSeconds = 1.0 / cmd_ln_int32_r(config, "-frate");
    const double loadSeconds = std::chrono::duration<double>(Clock::now() - loadStart).count();

    double audioSeconds = 0, workSeconds = 0, cpuSeconds = 0;
    std::size_t failed = 0;
    for (const fs::path& wav : wavs) {
        const auto start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        std::vector<std::int16_t> sound;
        if (std::string error = readSound16k(wav, sound); !error.empty()) {
            return fail(error);
        }
        std::vector<TimedPhone> phones;
        if (ps_start_utt(ps) == 0 &&
            ps_process_raw(ps, sound.data(), sound.size(), FALSE, TRUE) >= 0 &&
            ps_end_utt(ps) == 0) {
            for (ps_seg_t* seg = ps_seg_iter(ps); seg != nullptr; seg = ps_seg_next(seg)) {
                int first = 0, last = 0;
                ps_seg_frames(seg, &first, &last);
                phones.push_back(
                    {ps_seg_word(seg), first * frameSeconds, (last + 1) * frameSeconds});
            }
        }
        workSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        cpuSeconds += double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        audioSeconds += double(sound.size()) / modelRate;
        const fs::path target = out / (wav.stem().string() + ".phones");
        fs::remove(target, ec);
        if (phones.empty()) {
            ++failed;
            std::fprintf(stderr, "speech-eval-baseline: nothing recognized in %s\n", wav.c_str());
            continue;
        }
        if (std::string error = writeTextFile(target, phonesText(phones)); !error.empty()) {
            return fail(error);
        }
    }
    ps_free(ps);
    cmd_ln_free_r(config);
    const double minutes = audioSeconds / 60;
    std::printf("baseline: %zu takes (%zu with nothing recognized), %.2f min of sound; model "
                "loaded in %.2f s; recognized in %.2f s wall, %.2f s CPU: %.2f s wall, %.2f s CPU "
                "per minute of sound (one thread)\n",
                wavs.size(), failed, minutes, loadSeconds, workSeconds, cpuSeconds,
                workSeconds / minutes, cpuSeconds / minutes);
    return 0;
}
