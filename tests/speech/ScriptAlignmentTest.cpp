#include "speech/SoundTiming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace mouthkey;
using namespace mouthkey::speech;

namespace {

constexpr double padSeconds = 0.6;

// `words` said by espeak-ng with `padSeconds` of silence either side, or
// nothing when espeak-ng is not installed.
std::optional<Sound> said(const std::string& words) {
    if (std::system("command -v espeak-ng >/dev/null 2>&1") != 0)
        return std::nullopt;
    const fs::path wav =
        fs::temp_directory_path() / ("mouthkey-said-" + std::to_string(::getpid()) + ".wav");
    const std::string command =
        "espeak-ng -v en-us -s 160 -w '" + wav.string() + "' \"" + words + "\"";
    if (std::system(command.c_str()) != 0)
        return std::nullopt;
    SoundRead read = readSound(wav.string());
    fs::remove(wav);
    if (!read.sound)
        return std::nullopt;
    Sound sound;
    const auto pad = static_cast<std::size_t>(padSeconds * soundRate);
    sound.samples.assign(pad, 0);
    sound.samples.insert(sound.samples.end(), read.sound->samples.begin(),
                         read.sound->samples.end());
    sound.samples.insert(sound.samples.end(), pad, 0);
    return sound;
}

std::vector<std::string> spokenPhones(const SoundTiming& timing) {
    std::vector<std::string> phones;
    for (const TimedPhone& p : timing.phones)
        if (p.phone != "SIL")
            phones.push_back(p.phone);
    return phones;
}

void expectCovers(const SoundTiming& timing, double seconds) {
    ASSERT_FALSE(timing.phones.empty());
    EXPECT_EQ(timing.phones.front().start, 0);
    EXPECT_NEAR(timing.phones.back().end, seconds, 1e-9);
    for (std::size_t i = 1; i < timing.phones.size(); ++i) {
        EXPECT_EQ(timing.phones[i].start, timing.phones[i - 1].end);
        EXPECT_LT(timing.phones[i].start, timing.phones[i].end);
    }
}

bool contains(const std::vector<std::string>& phones, const std::vector<std::string>& part) {
    return std::search(phones.begin(), phones.end(), part.begin(), part.end()) != phones.end();
}

} // namespace

// The script's words are found where they are said, a word the dictionary
// lacks by its phones by rule, and the silence either side is silence.
TEST(ScriptAlignment, TimesASpokenScript) {
    const std::string script = "Bob bought a big blue map. The zorblax sat on the mat.";
    const std::optional<Sound> sound = said(script);
    if (!sound)
        GTEST_SKIP() << "espeak-ng is not installed";
    std::vector<double> reported;
    TimingRequest request;
    request.script = script;
    request.threads = 1;
    request.progress = [&](double done) {
        reported.push_back(done);
        return true;
    };
    const SoundTiming timing = timeSound(*sound, request);
    ASSERT_EQ(timing.error, "");
    expectCovers(timing, sound->seconds());
    EXPECT_EQ(timing.unknownWords, std::vector<std::string>{"zorblax"});
    EXPECT_TRUE(timing.mismatches.empty());

    const std::vector<std::string> phones = spokenPhones(timing);
    ASSERT_GE(phones.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(phones.begin(), phones.begin() + 3),
              (std::vector<std::string>{"B", "AA", "B"}));
    EXPECT_TRUE(contains(phones, {"Z", "AO", "R", "B", "L", "AE", "K", "S"}));
    EXPECT_TRUE(contains(phones, {"M", "AE", "T"}));

    const auto firstSpoken = std::find_if(timing.phones.begin(), timing.phones.end(),
                                          [](const TimedPhone& p) { return p.phone != "SIL"; });
    const auto lastSpoken = std::find_if(timing.phones.rbegin(), timing.phones.rend(),
                                         [](const TimedPhone& p) { return p.phone != "SIL"; });
    // Where the voice is loud enough to hear, as espeak-ng ends with a silence of its own.
    const auto loud = [](std::int16_t s) {
        return std::abs(s) > 300;
    };
    const auto& samples = sound->samples;
    const double voiceStart =
        static_cast<double>(std::find_if(samples.begin(), samples.end(), loud) - samples.begin()) /
        soundRate;
    const double voiceEnd =
        static_cast<double>(samples.rend() - std::find_if(samples.rbegin(), samples.rend(), loud)) /
        soundRate;
    EXPECT_NEAR(firstSpoken->start, voiceStart, 0.15);
    EXPECT_NEAR(lastSpoken->end, voiceEnd, 0.15);

    ASSERT_FALSE(reported.empty());
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_EQ(reported.back(), 1.0);
}

// A script far longer than what is said still gives the take, naming the
// words that could not have been said.
TEST(ScriptAlignment, NamesWordsNotSaid) {
    const std::optional<Sound> sound = said("Hello there.");
    if (!sound)
        GTEST_SKIP() << "espeak-ng is not installed";
    std::string script = "Hello there.";
    for (int i = 0; i < 10; ++i)
        script += " The quick brown fox jumps over the lazy dog.";
    const SoundTiming timing = timeSound(*sound, {script, 1, {}, ""});
    ASSERT_EQ(timing.error, "");
    expectCovers(timing, sound->seconds());
    ASSERT_FALSE(timing.mismatches.empty());
    for (const ScriptMismatch& m : timing.mismatches) {
        EXPECT_FALSE(m.unwritten);
        EXPECT_FALSE(m.words.empty());
        EXPECT_LE(0, m.start);
        EXPECT_LE(m.start, m.end);
        EXPECT_LE(m.end, sound->seconds());
    }
}

// Words said that the script does not have are told, and timed as heard.
TEST(ScriptAlignment, NamesSpeechNotInTheScript) {
    const std::optional<Sound> sound = said("Bob may move the big red boxes to the barn.");
    if (!sound)
        GTEST_SKIP() << "espeak-ng is not installed";
    const SoundTiming timing =
        timeSound(*sound, {"Bob may move the boxes to the barn.", 1, {}, ""});
    ASSERT_EQ(timing.error, "");
    expectCovers(timing, sound->seconds());
    ASSERT_EQ(timing.mismatches.size(), 1u);
    const ScriptMismatch& m = timing.mismatches.front();
    EXPECT_TRUE(m.unwritten);
    EXPECT_EQ(m.words, "");
    // Between "Bob may move the" and "boxes to the barn".
    EXPECT_GT(m.start, padSeconds + 0.4);
    EXPECT_LT(m.end, sound->seconds() - padSeconds - 0.4);
    EXPECT_TRUE(std::any_of(timing.phones.begin(), timing.phones.end(), [&m](const TimedPhone& p) {
        return p.phone != "SIL" && p.start >= m.start && p.end <= m.end;
    }));
}

TEST(ScriptAlignment, Cancels) {
    const std::optional<Sound> sound = said("Hello there.");
    if (!sound)
        GTEST_SKIP() << "espeak-ng is not installed";
    const SoundTiming timing =
        timeSound(*sound, {"Hello there.", 1, [](double) { return false; }, ""});
    EXPECT_TRUE(timing.cancelled);
    EXPECT_EQ(timing.error, "");
    EXPECT_TRUE(timing.phones.empty());
}
