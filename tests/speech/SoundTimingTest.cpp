#include "speech/SoundTiming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace mouthkey::speech;

namespace {

constexpr double padSeconds = 0.8;

// Spoken sentences from espeak-ng with `padSeconds` of silence before, between
// and after them, and where each sentence lies; nothing when espeak-ng is not
// installed.
struct Spoken {
    Sound sound;
    std::vector<std::pair<double, double>> sentences;
};

std::optional<Spoken> spoken(const std::vector<std::string>& sentences) {
    if (std::system("command -v espeak-ng >/dev/null 2>&1") != 0)
        return std::nullopt;
    const fs::path wav =
        fs::temp_directory_path() / ("mouthkey-spoken-" + std::to_string(::getpid()) + ".wav");
    const auto pad = static_cast<std::size_t>(padSeconds * soundRate);
    Spoken result;
    for (const std::string& words : sentences) {
        const std::string command =
            "espeak-ng -v en-us -s 160 -w '" + wav.string() + "' \"" + words + "\"";
        if (std::system(command.c_str()) != 0)
            return std::nullopt;
        SoundRead read = readSound(wav.string());
        if (!read.sound)
            return std::nullopt;
        auto& samples = result.sound.samples;
        samples.insert(samples.end(), pad, 0);
        const double start = result.sound.seconds();
        samples.insert(samples.end(), read.sound->samples.begin(), read.sound->samples.end());
        result.sentences.emplace_back(start, result.sound.seconds());
    }
    result.sound.samples.insert(result.sound.samples.end(), pad, 0);
    fs::remove(wav);
    return result;
}

Sound tone(double seconds) {
    Sound sound;
    for (std::size_t i = 0; i < static_cast<std::size_t>(seconds * soundRate); ++i)
        sound.samples.push_back(static_cast<std::int16_t>((i / 20) % 2 ? 6000 : -6000));
    return sound;
}

} // namespace

TEST(SoundTiming, RefusesWhatItCannotDo) {
    const Sound sound = tone(1.0);
    struct Case {
        const char* name;
        TimingRequest request;
        const char* error;
    };
    const std::vector<Case> cases{
        {"no model",
         {"", 1, {}, "/nonexistent/model"},
         "the English speech model is not installed (Debian: pocketsphinx-en-us)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SoundTiming timing = timeSound(sound, c.request);
        EXPECT_EQ(timing.error, c.error);
        EXPECT_TRUE(timing.phones.empty());
    }
}

TEST(SoundTiming, HearsSpeechBetweenSilences) {
    const std::optional<Spoken> take =
        spoken({"Maybe my mother will make plum jam on Monday.", "Who knew the moon would move?"});
    if (!take)
        GTEST_SKIP() << "espeak-ng is not installed";
    const Sound& sound = take->sound;
    for (unsigned threads : {1u, 2u}) {
        SCOPED_TRACE(threads);
        std::vector<double> reported;
        TimingRequest request;
        request.threads = threads;
        request.progress = [&](double done) {
            reported.push_back(done);
            return true;
        };
        const SoundTiming timing = timeSound(sound, request);
        ASSERT_EQ(timing.error, "");
        ASSERT_GE(timing.phones.size(), 3u);

        // The phones follow on from each other over the whole sound.
        EXPECT_EQ(timing.phones.front().start, 0);
        EXPECT_NEAR(timing.phones.back().end, sound.seconds(), 1e-9);
        for (std::size_t i = 1; i < timing.phones.size(); ++i)
            EXPECT_EQ(timing.phones[i].start, timing.phones[i - 1].end);

        // Silence before, between and after the sentences is rest; each
        // sentence is heard.
        auto heard = [&](double from, double to) {
            double speech = 0;
            for (const auto& phone : timing.phones)
                if (phone.phone != "SIL")
                    speech += std::max(0.0, std::min(to, phone.end) - std::max(from, phone.start));
            return speech / (to - from);
        };
        double silenceFrom = 0;
        for (const auto& [start, end] : take->sentences) {
            EXPECT_LE(heard(silenceFrom + 0.1, start - 0.15), 0.0);
            EXPECT_GE(heard(start, end), 0.7);
            silenceFrom = end;
        }
        EXPECT_LE(heard(silenceFrom + 0.15, sound.seconds()), 0.0);
        EXPECT_EQ(timing.phones.front().phone, "SIL");
        EXPECT_EQ(timing.phones.back().phone, "SIL");

        ASSERT_FALSE(reported.empty());
        EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
        EXPECT_EQ(reported.back(), 1.0);
    }
}

TEST(SoundTiming, CancelsPromptly) {
    // A minute of sound; cancelled at the first report.
    const Sound sound = tone(60);
    TimingRequest request;
    request.threads = 2;
    int reports = 0;
    request.progress = [&](double) {
        ++reports;
        return false;
    };
    const SoundTiming timing = timeSound(sound, request);
    EXPECT_TRUE(timing.cancelled);
    EXPECT_EQ(timing.error, "");
    EXPECT_TRUE(timing.phones.empty());
    EXPECT_EQ(reports, 1);
}
