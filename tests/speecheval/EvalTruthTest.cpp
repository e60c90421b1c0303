#include "EspeakPhones.h"
#include "TruthPhones.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mouthkey;
using namespace mouthkey::speecheval;

namespace {

TEST(EspeakPhones, EveryMnemonicIsPhonesTheModelKnows) {
    // The mnemonics espeak-ng 1.51 emits for the set's voices.
    const char* const emitted[] = {
        "_",   "_:", "p",  "b",  "t",  "d",  "k",  "g",  "t#", "t2", "t[", "tS",  "dZ", "f",
        "v",   "T",  "D",  "s",  "z",  "S",  "Z",  "h",  "m",  "n",  "N",  "l",   "@L", "r",
        "r-",  "w",  "w#", "j",  ";",  "a",  "aa", "E",  "I",  "I2", "I#", "0",   "V",  "U",
        "@",   "@2", "@5", "a#", "3",  "i",  "i:", "u:", "A:", "O:", "O2", "3:",  "eI", "aI",
        "aI2", "aU", "oU", "OI", "IR", "VR", "A@", "e@", "o@", "O@", "i@", "i@3", "aI@"};
    for (const char* m : emitted) {
        const auto phones = arpabetForEspeak(m);
        ASSERT_TRUE(phones.has_value()) << m;
        for (std::string_view p : *phones) {
            const bool known = std::any_of(phoneMouths.begin(), phoneMouths.end(),
                                           [p](const PhoneMouth& row) { return row.phone == p; });
            EXPECT_TRUE(known) << m << " -> " << p;
        }
    }
    EXPECT_FALSE(arpabetForEspeak("x").has_value());
    EXPECT_FALSE(arpabetForEspeak("").has_value());
    EXPECT_EQ(arpabetForEspeak(";")->size(), 0u);
    EXPECT_EQ(arpabetForEspeak("aI@")->size(), 2u);
}

constexpr int rate = 1000; // one sample a millisecond

std::vector<std::int16_t> sounding(std::size_t n) {
    return std::vector<std::int16_t>(n, 3000);
}

TEST(TruthPhones, EventsHoldUntilTheNextAndSilenceIsAddedAround) {
    // "m aI@ ; _:" over 400 ms of sound.
    const std::vector<PhonemeEvent> events = {
        {0.010, "m"}, {0.100, "aI@"}, {0.300, ";"}, {0.320, "_:"}};
    const Truth t = truthPhones(events, sounding(400), rate, 0.5, 0.25);
    ASSERT_TRUE(t.unknown.empty());
    const std::vector<TimedPhone> want = {{"SIL", 0, 0.51},
                                          {"M", 0.51, 0.6},
                                          {"AY", 0.6, 0.7},
                                          {"AH", 0.7, 0.82},
                                          {"SIL", 0.82, 1.15}};
    ASSERT_EQ(t.phones.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(t.phones[i].phone, want[i].phone) << i;
        EXPECT_NEAR(t.phones[i].start, want[i].start, 1e-9) << i;
        EXPECT_NEAR(t.phones[i].end, want[i].end, 1e-9) << i;
    }
    const Truth bad = truthPhones({{{0.0, "m"}, {0.1, "Q"}}}, sounding(200), rate, 0.5, 0.5);
    EXPECT_EQ(bad.unknown, std::vector<std::string>{"Q"});
}

TEST(TruthPhones, AStopTakesTheSilentClosureBeforeIt) {
    struct Case {
        const char* what;
        const char* before;
        const char* stop;
        std::size_t silentFrom, silentTo; // ms; the stop's event is at 200
        double start;                     // the stop's start in the truth, before the lead
    };
    const Case cases[] = {
        {"closure up to the burst", "a", "p", 160, 198, 0.160},
        {"closure ending at the event", "a", "t", 150, 200, 0.150},
        {"too short for a closure", "a", "k", 190, 200, 0.200},
        {"silence ending well before the event", "a", "p", 100, 170, 0.200},
        {"not a stop", "a", "f", 160, 198, 0.200},
        {"after a pause it stays silence", "_:", "p", 160, 198, 0.200},
    };
    for (const Case& c : cases) {
        auto samples = sounding(400);
        std::fill(samples.begin() + long(c.silentFrom), samples.begin() + long(c.silentTo), 0);
        const std::vector<PhonemeEvent> events = {
            {0.0, "m"}, {0.080, c.before}, {0.200, c.stop}, {0.300, "a"}};
        const Truth t = truthPhones(events, samples, rate, 0, 0);
        const auto stop = std::find_if(t.phones.begin(), t.phones.end(), [](const TimedPhone& p) {
            return p.start > 0.1 && p.start < 0.3;
        });
        ASSERT_NE(stop, t.phones.end()) << c.what;
        EXPECT_NEAR(stop->start, c.start, 1e-9) << c.what;
        EXPECT_EQ(std::prev(stop)->end, stop->start) << c.what;
    }
}

TEST(TruthPhones, SilenceFitCountsQuietSpeechAndSoundingPauses) {
    std::vector<std::int16_t> samples = sounding(300);
    std::fill(samples.begin(), samples.begin() + 100, 0);
    std::fill(samples.begin() + 150, samples.begin() + 170, 0); // a quiet stretch of the vowel
    const std::vector<TimedPhone> phones = {
        {"SIL", 0, 0.12}, {"AA", 0.12, 0.2}, {"P", 0.2, 0.25}, {"SIL", 0.25, 0.3}};
    const SilenceFit fit = silenceFit(phones, samples, rate);
    EXPECT_EQ(fit.silWindows, 17u);        // 12 + 5 ten-ms windows
    EXPECT_EQ(fit.soundingSilWindows, 7u); // 100-120 and all of 250-300
    EXPECT_EQ(fit.speechWindows, 8u);      // the stop is left out
    EXPECT_EQ(fit.silentSpeechWindows, 2u);
}

} // namespace
