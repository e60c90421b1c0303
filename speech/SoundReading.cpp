#include "speech/SoundTiming.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

namespace mouthkey::speech {
namespace {

// Below this peak (about -60 dBFS) a sound holds nothing a recognizer could hear.
constexpr std::int16_t silentPeak = 33;

// As the user gave it, as the converter names every file it was given.
std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

std::string secondsText(double seconds) {
    char text[32];
    if (seconds < 60)
        std::snprintf(text, sizeof text, "%.2f s", seconds);
    else
        std::snprintf(text, sizeof text, "%d min %02d s", static_cast<int>(seconds / 60),
                      static_cast<int>(std::fmod(seconds, 60.0)));
    return text;
}

SoundRead failed(std::string error) {
    return {std::nullopt, std::move(error)};
}

std::string tooShort(const std::string& path, double seconds) {
    return quoted(path) + " is too short to time (" + secondsText(seconds) +
           "; a sound must last at least 0.1 s)";
}

std::string tooLong(const std::string& path, double seconds) {
    return quoted(path) + " is too long to time (" + secondsText(seconds) +
           "; a sound may last an hour at most)";
}

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
struct SoxrDeleter {
    void operator()(soxr* resampler) const { soxr_delete(resampler); }
};

std::int16_t toSample(float value) {
    const float scaled = std::round(value * 32767.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

SoundRead decode(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return failed("cannot read " + quoted(path) + ": there is no such file");
    if (std::filesystem::is_directory(path, ec))
        return failed("cannot read " + quoted(path) + ": it is a folder");

    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file || info.channels < 1 || info.samplerate < 1)
        return failed(quoted(path) +
                      " is not a sound file Mouthkey can read (WAV, FLAC, OGG or MP3)");

    // The header's length decides the limits before anything is decoded;
    // the decoded length is checked again below, for headers that guess.
    const double claimed = static_cast<double>(info.frames) / info.samplerate;
    if (info.frames > 0 && claimed > longestSoundSeconds)
        return failed(tooLong(path, claimed));

    std::unique_ptr<soxr, SoxrDeleter> resampler;
    if (info.samplerate != soundRate) {
        soxr_error_t error = nullptr;
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        resampler.reset(
            soxr_create(info.samplerate, soundRate, 1, &error, nullptr, &quality, nullptr));
        if (!resampler || error)
            return failed("cannot resample " + quoted(path) + " from " +
                          std::to_string(info.samplerate) + " Hz");
    }

    const auto maxSamples = static_cast<std::size_t>(longestSoundSeconds * soundRate) + 1;
    Sound sound;
    if (info.frames > 0)
        sound.samples.reserve(static_cast<std::size_t>(claimed * soundRate) + 1);
    constexpr sf_count_t blockFrames = 8192;
    std::vector<float> block(static_cast<std::size_t>(blockFrames) * info.channels);
    std::vector<float> mono(blockFrames);
    std::vector<float> resampled(blockFrames * soundRate / std::min(info.samplerate, soundRate) +
                                 64);
    auto append = [&](const float* samples, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            sound.samples.push_back(toSample(samples[i]));
    };
    auto resample = [&](const float* in, std::size_t count) {
        // A null input flushes the resampler's tail at the end of the sound.
        for (;;) {
            std::size_t used = 0;
            std::size_t made = 0;
            soxr_process(resampler.get(), in, count, &used, resampled.data(), resampled.size(),
                         &made);
            append(resampled.data(), made);
            if (in) {
                in += used;
                count -= used;
                if (count == 0)
                    return;
            } else if (made == 0) {
                return;
            }
        }
    };

    for (;;) {
        const sf_count_t frames = sf_readf_float(file.get(), block.data(), blockFrames);
        if (frames <= 0)
            break;
        const auto count = static_cast<std::size_t>(frames);
        for (std::size_t i = 0; i < count; ++i) {
            float sum = 0;
            for (int c = 0; c < info.channels; ++c)
                sum += block[i * info.channels + c];
            mono[i] = sum / static_cast<float>(info.channels);
        }
        if (resampler)
            resample(mono.data(), count);
        else
            append(mono.data(), count);
        if (sound.samples.size() > maxSamples)
            return failed(tooLong(path, sound.seconds()));
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        return failed("cannot read " + quoted(path) + " to its end: it is damaged after " +
                      secondsText(sound.seconds()));
    if (resampler)
        resample(nullptr, 0);

    if (sound.seconds() > longestSoundSeconds)
        return failed(tooLong(path, sound.seconds()));
    if (sound.seconds() < shortestSoundSeconds)
        return failed(tooShort(path, sound.seconds()));
    const auto [low, high] = std::minmax_element(sound.samples.begin(), sound.samples.end());
    if (std::max(-static_cast<int>(*low), static_cast<int>(*high)) < silentPeak)
        return failed(quoted(path) + " is silent: there is no speech in it to time");
    return {std::move(sound), {}};
}

} // namespace

SoundRead readSound(const std::string& path) {
    try {
        return decode(path);
    } catch (const std::bad_alloc&) {
        return failed("there is not enough memory to read " + quoted(path));
    } catch (const std::exception& e) {
        return failed("cannot read " + quoted(path) + ": " + e.what());
    }
}

} // namespace mouthkey::speech
