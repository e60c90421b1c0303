#include "conversion/Playback.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>

using namespace mouthkey;

namespace {

FrameRate typedRate(std::string_view text) {
    return *FrameRate::fromText(text);
}

struct EdgeCase {
    std::string rate;
    std::int64_t ms;
    std::uint64_t frame;
    friend void PrintTo(const EdgeCase& c, std::ostream* os) {
        *os << c.rate << " fps at " << c.ms << " ms";
    }
};

class FrameAtPosition : public ::testing::TestWithParam<EdgeCase> {};

// 100 s is an exact frame edge at every rate of the pop-up: the edge's own
// millisecond starts the later frame, the one before it is still the earlier.
TEST_P(FrameAtPosition, IsOnePlusTheWholeFramesElapsed) {
    const EdgeCase& c = GetParam();
    EXPECT_EQ(frameAtMs(c.ms, typedRate(c.rate)), c.frame);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, FrameAtPosition,
    ::testing::Values(
        EdgeCase{"24", 100000, 2401}, EdgeCase{"24", 99999, 2400}, EdgeCase{"29.97", 100000, 2998},
        EdgeCase{"29.97", 99999, 2997}, EdgeCase{"30", 100000, 3001}, EdgeCase{"30", 99999, 3000},
        EdgeCase{"25", 100000, 2501}, EdgeCase{"25", 99999, 2500}, EdgeCase{"15", 100000, 1501},
        EdgeCase{"15", 99999, 1500}, EdgeCase{"12", 100000, 1201}, EdgeCase{"12", 99999, 1200},
        EdgeCase{"8", 100000, 801}, EdgeCase{"8", 99999, 800}, EdgeCase{"60", 100000, 6001},
        EdgeCase{"60", 99999, 6000}, EdgeCase{"50", 100000, 5001}, EdgeCase{"50", 99999, 5000},
        EdgeCase{"59.97", 100000, 5998}, EdgeCase{"59.97", 99999, 5997},
        // 23.976 is 2997/125: an edge every 125 s / 2997 frames.
        EdgeCase{"23.976", 125000, 2998}, EdgeCase{"23.976", 124999, 2997},
        EdgeCase{"24", 12400, 298}, EdgeCase{"24", 0, 1}, EdgeCase{"24", -5, 1},
        // Ten hours at 59.97: no overflow, no drift.
        EdgeCase{"59.97", 36000000, 2158921}));

// A rest, then AI from frame 10, an unknown name from frame 20.
const KeyframeTrack& restThenAi() {
    static const KeyframeTrack track = KeyframeTrack::fromText("h\n1 rest\n10 AI\n20 xyz\n");
    return track;
}

class ShapeAtCueEdge : public ::testing::TestWithParam<std::tuple<int, std::int64_t>> {};

// At every rate and shift, the mouth changes on the very frame the shifted cue lands on.
TEST_P(ShapeAtCueEdge, ChangesOnTheShiftedFrame) {
    const auto [rateIndex, offset] = GetParam();
    const FrameRate rate(rateIndex);
    const auto change = static_cast<std::uint64_t>(10 + offset);
    const std::int64_t edge = msOfFrame(change, rate);

    const PlaybackPoint at = playbackAt(restThenAi(), edge, rate, offset, false);
    EXPECT_EQ(at.frame, change);
    EXPECT_EQ(at.shape, "AI");
    const PlaybackPoint before = playbackAt(restThenAi(), edge - 1, rate, offset, false);
    EXPECT_EQ(before.frame, change - 1);
    EXPECT_EQ(before.shape, "rest");

    const PlaybackPoint unknown =
        playbackAt(restThenAi(), msOfFrame(static_cast<std::uint64_t>(20 + offset), rate), rate,
                   offset, false);
    EXPECT_EQ(unknown.name, KeyframeTrack::Name::Unknown);
    EXPECT_EQ(unknown.shape, "xyz");
    // Shifted later, the frames before the first cue lands have none.
    const std::uint64_t early = offset > 0 ? static_cast<std::uint64_t>(offset) : 1;
    EXPECT_EQ(
        playbackAt(restThenAi(), msOfFrame(early, rate), rate, offset, false).keyframe.has_value(),
        offset <= 0);
}

INSTANTIATE_TEST_SUITE_P(EveryRate, ShapeAtCueEdge,
                         ::testing::Combine(::testing::Range(0, int(frameRateTitles.size())),
                                            ::testing::Values(std::int64_t{0}, std::int64_t{2},
                                                              std::int64_t{-1})));

struct LabelCase {
    const char* what;
    std::string text;
    bool letters;
    std::int64_t ms;
    std::int64_t offset;
    std::string label;
    friend void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.what; }
};

class PlaybackLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(PlaybackLabel, NamesTimeFrameAndShape) {
    const LabelCase& c = GetParam();
    const KeyframeTrack track = KeyframeTrack::fromText(c.text, c.letters);
    EXPECT_EQ(playbackAt(track, c.ms, FrameRate(0), c.offset, c.letters).label, c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Takes, PlaybackLabel,
    ::testing::Values(LabelCase{"a phoneme", "h\n1 rest\n290 AI\n", false, 12400, 0,
                                "0:12.4 \xC2\xB7 frame 298 \xC2\xB7 AI"},
                      LabelCase{"tenths cut, not rounded", "h\n1 rest\n", false, 59999, 0,
                                "0:59.9 \xC2\xB7 frame 1,440 \xC2\xB7 rest"},
                      LabelCase{"an hour's take", "h\n1 E\n", false, 3662300, 0,
                                "61:02.3 \xC2\xB7 frame 87,896 \xC2\xB7 E"},
                      LabelCase{"before the first cue", "h\n24 AI\n", false, 0, 0,
                                "0:00.0 \xC2\xB7 frame 1 \xC2\xB7 before the first cue"},
                      LabelCase{"shifted later, not there yet", "h\n1 AI\n", false, 0, 2,
                                "0:00.0 \xC2\xB7 frame 1 \xC2\xB7 before the first cue"},
                      LabelCase{"the letter as written", "h\n1 X\n5 D\n", true, 200, 0,
                                "0:00.2 \xC2\xB7 frame 5 \xC2\xB7 D"},
                      LabelCase{"a phoneme the chart has no letter for", "h\n1 X\n5 TH\n", true,
                                200, 0, "0:00.2 \xC2\xB7 frame 5 \xC2\xB7 TH"},
                      LabelCase{"D as a phoneme", "h\n5 D\n", false, 200, 0,
                                "0:00.2 \xC2\xB7 frame 5 \xC2\xB7 D"},
                      LabelCase{"an unknown name", "h\n1 ai\n", false, 0, 0,
                                "0:00.0 \xC2\xB7 frame 1 \xC2\xB7 ai: no position"},
                      LabelCase{
                          "no keyframe line", "h\n1 AI E\n", false, 0, 0,
                          "0:00.0 \xC2\xB7 frame 1 \xC2\xB7 not a keyframe line: no position"}));

TEST(Playback, MillisecondOfAFrameIsItsFirst) {
    for (int rateIndex = 0; rateIndex < int(frameRateTitles.size()); ++rateIndex) {
        const FrameRate rate(rateIndex);
        for (const std::uint64_t frame : {2u, 3u, 1001u, 86401u, 5000001u}) {
            const std::int64_t ms = msOfFrame(frame, rate);
            EXPECT_EQ(frameAtMs(ms, rate), frame) << rate.title() << " fps, frame " << frame;
            EXPECT_EQ(frameAtMs(ms - 1, rate), frame - 1)
                << rate.title() << " fps, frame " << frame;
        }
    }
    EXPECT_EQ(msOfFrame(1, FrameRate(0)), 0);
    EXPECT_EQ(msOfFrame(0, FrameRate(0)), 0);
}

} // namespace
