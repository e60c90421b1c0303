#include "FrameScore.h"
#include "PhoneText.h"

#include <gtest/gtest.h>

using namespace mouthkey;
using namespace mouthkey::speecheval;

namespace {

constexpr double frame = 1.0 / 24;

// A take with phones shorter than a frame, phones across frame edges and
// silence at both ends.
std::vector<TimedPhone> sampleTruth() {
    return {{"SIL", 0, 0.51},    {"M", 0.51, 0.58}, {"AA", 0.58, 0.7213}, {"P", 0.7213, 0.74},
            {"IY", 0.74, 0.745}, {"S", 0.745, 0.9}, {"UW", 0.9, 1.13},    {"F", 1.13, 1.2},
            {"SIL", 1.2, 1.4},   {"OW", 1.4, 1.61}, {"SIL", 1.61, 2.2}};
}

std::vector<TimedPhone> shifted(std::vector<TimedPhone> phones, double by) {
    for (TimedPhone& p : phones) {
        p.start += by;
        p.end += by;
    }
    return phones;
}

TEST(FrameScore, PerfectPhonesAgreeOnEveryFrameAndShiftedOnesDoNot) {
    const auto truth = sampleTruth();
    const Agreement self = scoreTake(truth, truth);
    EXPECT_EQ(self.frames, frameCount(truth, 24));
    EXPECT_EQ(self.agreeing, self.frames);
    EXPECT_EQ(self.speechAgreeing, self.speechFrames);
    EXPECT_GT(self.speechFrames, 0u);
    // The cues a frame late, and early, lose frames at every change.
    for (double by : {frame, -frame}) {
        const Agreement moved = scoreTake(truth, shifted(truth, by));
        EXPECT_LT(moved.all(), 1.0) << by;
        EXPECT_LT(moved.speech(), 1.0) << by;
    }
}

TEST(FrameScore, FramesAreTheTruthAtTheirMiddles) {
    // Frame f's middle is (f - 0.5) / 24 s: 53 of them before 2.2 s.
    const auto truth = sampleTruth();
    ASSERT_EQ(frameCount(truth, 24), 53u);
    const auto frames = truthFrames(truth, 24, 53);
    struct Row {
        std::size_t frame;
        MouthClass shown;
    };
    const Row rows[] = {
        {12, MouthClass::Rest},           // 0.479 s
        {13, MouthClass::Closed},         // 0.521 s, M
        {15, MouthClass::Open},           // 0.604 s, AA
        {18, MouthClass::Closed},         // 0.729 s, P
        {19, MouthClass::OtherConsonant}, // 0.771 s, S: IY holds no middle
        {28, MouthClass::LipTeeth},       // 1.146 s, F
        {30, MouthClass::Rest},           // 1.229 s
        {35, MouthClass::Round},          // 1.438 s, OW
        {53, MouthClass::Rest},           // 2.188 s
    };
    for (const Row& r : rows) {
        EXPECT_EQ(frames[r.frame - 1], r.shown) << "frame " << r.frame;
    }
}

TEST(FrameScore, CuesLandOnTheirNearestFrame) {
    struct Case {
        const char* what;
        std::vector<TimedPhone> phones;
        std::size_t from, until; // the frames showing the first phone's class, [from, until)
    };
    const Case cases[] = {
        {"rounded down", {{"AA", 0.52, 0.9}}, 13, 23}, // 12.48 -> 13, 21.6 -> 23
        {"rounded up", {{"AA", 0.53, 0.92}}, 14, 23},  // 12.72 -> 14, 22.08 -> 23
        {"next cue ends it", {{"AA", 0.5, 0.7}, {"M", 0.7, 0.8}}, 13, 18},
        {"the last cue on a frame is seen",
         {{"M", 0.125, 0.135}, {"AA", 0.135, 0.5}, {"IY", 0.5, 0.6}},
         4,
         13}, // M and AA both land on frame 4 (3.0 and 3.24 round to 3): AA shows
    };
    for (const Case& c : cases) {
        const auto frames = cueFrames(c.phones, 24, 40);
        const std::size_t shown = c.phones.size() == 3 ? 1 : 0;
        const MouthClass want = mouthClass(mouthForPhone(c.phones[shown].phone));
        for (std::size_t f = 1; f <= 40; ++f) {
            const bool inside = f >= c.from && f < c.until;
            if (inside) {
                EXPECT_EQ(frames[f - 1], want) << c.what << ", frame " << f;
            } else {
                EXPECT_NE(frames[f - 1], want) << c.what << ", frame " << f;
            }
        }
    }
    // Rest before the first cue and from the last phone's end.
    const auto frames = cueFrames(std::vector<TimedPhone>{{"AA", 0.5, 1.0}}, 24, 40);
    EXPECT_EQ(frames[11], MouthClass::Rest);
    EXPECT_EQ(frames[12], MouthClass::Open);
    EXPECT_EQ(frames[23], MouthClass::Open);
    EXPECT_EQ(frames[24], MouthClass::Rest);
}

TEST(FrameScore, NoPhonesShowRestThroughout) {
    const auto truth = sampleTruth();
    const Agreement a = scoreTake(truth, {});
    EXPECT_EQ(a.speechAgreeing, 0u);
    EXPECT_EQ(a.agreeing, a.frames - a.speechFrames);
    Agreement sum = a;
    sum += scoreTake(truth, truth);
    EXPECT_EQ(sum.frames, 2 * a.frames);
    EXPECT_DOUBLE_EQ(sum.speech(), 0.5);
}

TEST(PhoneText, ReadsWhatItWritesAndNamesTheLineOfAFault) {
    const auto truth = sampleTruth();
    const PhonesRead back = parsePhones(phonesText(truth));
    ASSERT_EQ(back.error, "");
    EXPECT_EQ(back.phones, truth);
    EXPECT_EQ(parsePhones("0 0.5 SIL\r\n\n0.5\t0.7\tM\n").phones.size(), 2u);

    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"0\t0.5\n", "line 1: expected START, END and PHONE"},
        {"0\t0.5\tSIL\n0.5\t0.7\tM\tX\n", "line 2: expected START, END and PHONE"},
        {"0\tsoon\tSIL\n", "line 1: a time is not a number of seconds"},
        {"-1\t0.5\tSIL\n", "line 1: a time is not a number of seconds"},
        {"0\tnan\tSIL\n", "line 1: a time is not a number of seconds"},
        {"0.5\t0.4\tM\n", "line 1: the phone ends before it starts"},
        {"0.5\t0.7\tM\n\n0.2\t0.5\tSIL\n", "line 3: the phones are not in time order"},
    };
    for (const Case& c : cases) {
        const PhonesRead read = parsePhones(c.text);
        EXPECT_EQ(read.error, c.error) << c.text;
        EXPECT_TRUE(read.phones.empty()) << c.text;
    }
}

} // namespace
