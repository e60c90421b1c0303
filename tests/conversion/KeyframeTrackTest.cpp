#include "conversion/KeyframeTrack.h"

#include "conversion/MouthChart.h"
#include "conversion/Take.h"
#include "conversion/Targets.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace mouthkey;

namespace {

// The track as "frame name" items: a key as spelled, an unknown name quoted
// (or '?' when not kept), '#' for a line that is not FRAME PHONEME.
std::string describe(const KeyframeTrack& track) {
    std::string out;
    for (std::size_t i = 0; i < track.size(); ++i) {
        const auto k = track.at(i);
        out += (i ? ", " : "") + std::to_string(k.frame) + " ";
        switch (k.name) {
        case KeyframeTrack::Name::Phoneme:
            out += phonemeKeys[static_cast<std::size_t>(k.phoneme)];
            break;
        case KeyframeTrack::Name::Unknown:
            out += k.text.empty() ? "?" : "'" + std::string(k.text) + "'";
            break;
        case KeyframeTrack::Name::NotAKeyframe:
            out += "#";
            break;
        }
    }
    return out;
}

struct TrackCase {
    const char* what;
    std::string input;
    std::string keyframes;
    std::uint64_t withoutPosition;
    std::uint64_t offTrack;
    friend void PrintTo(const TrackCase& c, std::ostream* os) { *os << c.what; }
};

class TrackFromText : public testing::TestWithParam<TrackCase> {};

TEST_P(TrackFromText, keepsEachKeyframeAsTheConverterReadsIt) {
    const auto& c = GetParam();
    const auto track = KeyframeTrack::fromText(c.input);
    EXPECT_EQ(describe(track), c.keyframes);
    EXPECT_EQ(track.withoutPosition(), c.withoutPosition);
    EXPECT_EQ(track.offTrack(), c.offTrack);
}

INSTANTIATE_TEST_SUITE_P(
    Keyframes, TrackFromText,
    testing::Values(TrackCase{"a clean file", "MohoSwitch1\n1 rest\n5 MBP\n9 AI\n",
                              "1 rest, 5 MBP, 9 AI", 0, 0},
                    TrackCase{"nothing but a header", "new dat", "", 0, 0},
                    TrackCase{"an empty text", "", "", 0, 0},
                    TrackCase{"a header that reads as a keyframe is still the header",
                              "1 rest\n5 MBP", "5 MBP", 0, 0},
                    TrackCase{"every separator kind",
                              "h\r\n1 AI\r\n\r\n2 E\v3 O\f4 U\r5 K\xC2\x85"
                              "6 L\xE2\x80\xA8"
                              "7 D\xE2\x80\xA9"
                              "8 CH",
                              "1 AI, 2 E, 3 O, 4 U, 5 K, 6 L, 7 D, 8 CH", 0, 0},
                    TrackCase{"unknown names keep their text", "h\n1 ai\n2 AI\n3 ai\n4 Etc\n",
                              "1 'ai', 2 AI, 3 'ai', 4 'Etc'", 3, 0},
                    TrackCase{"lines that are not FRAME PHONEME",
                              "h\n1\n2 AI E\n3  AI\n4 AI \n5\tAI\n", "1 #, 2 #, 3 #, 4 #", 4, 1},
                    TrackCase{"lines without a whole frame stay off the track",
                              "h\nrest\nfive E\n1.5 O\n-2 AI\n7 U\n", "7 U", 0, 4},
                    TrackCase{"frames that go backwards are put in order, ties in file order",
                              "h\n10 AI\n5 E\n10 O\n3 'x'\n10 K\n",
                              "3 ''x'', 5 E, 10 AI, 10 O, 10 K", 1, 0},
                    TrackCase{"a frame past any counter shows at the last one",
                              "h\n99999999999999999999999 AI\n", "72057594037927935 AI", 0, 0},
                    TrackCase{"control characters show as '?' and long names are cut",
                              "h\n1 a\tb\n2 " + std::string(60, 'z') + "\n",
                              "1 'a?b', 2 'zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz\xE2\x80\xA6'",
                              2, 0},
                    TrackCase{"a name is never cut inside a character",
                              "h\n1 " + std::string(39, 'y') + "\xC3\xA9x\n",
                              "1 '" + std::string(39, 'y') + "\xE2\x80\xA6'", 1, 0}));

TEST(TrackFromText, namesBeyondThoseKeptAreStillMarked) {
    std::string text = "h\n";
    const std::size_t names = KeyframeTrack::namesKept + 5;
    for (std::size_t i = 0; i < names; ++i) {
        text += std::to_string(i) + " n" + std::to_string(i) + "\n";
    }
    const auto track = KeyframeTrack::fromText(text);
    ASSERT_EQ(track.size(), names);
    EXPECT_EQ(track.withoutPosition(), names);
    EXPECT_EQ(track.at(0).text, "n0");
    EXPECT_EQ(track.at(KeyframeTrack::namesKept - 1).name, KeyframeTrack::Name::Unknown);
    EXPECT_FALSE(track.at(KeyframeTrack::namesKept - 1).text.empty());
    EXPECT_EQ(track.at(names - 1).name, KeyframeTrack::Name::Unknown);
    EXPECT_TRUE(track.at(names - 1).text.empty());
}

TEST(TrackFromText, staysAtEightBytesAKeyframe) {
    std::string text = "h\n";
    constexpr std::size_t lines = 200000;
    for (std::size_t i = 0; i < lines; ++i) {
        text += std::to_string(i) + (i % 3 ? " AI\n" : " ai\n");
    }
    const auto track = KeyframeTrack::fromText(text);
    ASSERT_EQ(track.size(), lines);
    EXPECT_LE(track.memoryBytes(), lines * 8 + 1024);
}

TEST(TrackLookup, findsTheKeyframeInEffect) {
    const auto track = KeyframeTrack::fromText("h\n5 AI\n9 E\n9 O\n20 U\n");
    EXPECT_EQ(track.inEffectAt(4), std::nullopt);
    EXPECT_EQ(track.inEffectAt(5), 0u);
    EXPECT_EQ(track.inEffectAt(8), 0u);
    EXPECT_EQ(track.inEffectAt(9), 2u); // the later of two on one frame
    EXPECT_EQ(track.inEffectAt(1000), 3u);
    EXPECT_EQ(track.firstFrom(0), 0u);
    EXPECT_EQ(track.firstFrom(6), 1u);
    EXPECT_EQ(track.firstFrom(21), std::nullopt);
    EXPECT_EQ(track.firstFrame(), 5u);
    EXPECT_EQ(track.lastFrame(), 20u);
}

TEST(PositionX, readsTheSetsTable) {
    EXPECT_EQ(positionX(0, 9), -50);  // rest
    EXPECT_EQ(positionX(3, 13), -4);  // K, Adobe Character Animator
    EXPECT_EQ(positionX(4, 7), 8);    // WQ, Full Set
    EXPECT_EQ(positionX(-1, 0), -40); // the default set
    for (std::size_t set = 0; set < phonemeSets.size(); ++set) {
        for (std::size_t key = 0; key < phonemeKeys.size(); ++key) {
            EXPECT_EQ(std::to_string(positionX(static_cast<int>(set), static_cast<int>(key))),
                      phonemeSets[set].x[key]);
        }
    }
}

// Columns as "low..high/last", '.' when empty, '!' marking keyframes
// without a position; the position in effect before the range first.
std::string describe(const KeyframeTrack::Thinned& thinned) {
    std::string out = thinned.before ? std::to_string(*thinned.before) + " |" : "- |";
    for (const auto& c : thinned.columns) {
        out += " ";
        if (c.keyframes == 0) {
            out += ".";
            continue;
        }
        if (c.positioned) {
            out += std::to_string(c.low) + ".." + std::to_string(c.high) + "/" +
                   std::to_string(c.last);
        }
        out += c.withoutPosition ? "!" : "";
    }
    return out;
}

struct ThinCase {
    const char* what;
    std::string input;
    std::uint64_t from, to;
    std::size_t count;
    int set;
    std::string columns;
    friend void PrintTo(const ThinCase& c, std::ostream* os) { *os << c.what; }
};

class TrackThinning : public testing::TestWithParam<ThinCase> {};

TEST_P(TrackThinning, givesOneEntryPerColumn) {
    const auto& c = GetParam();
    EXPECT_EQ(describe(KeyframeTrack::fromText(c.input).thin(c.from, c.to, c.count, c.set)),
              c.columns);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, TrackThinning,
    testing::Values(ThinCase{"one frame a column", "h\n0 rest\n2 AI\n3 O\n", 0, 4, 4, 0,
                             "- | -50..-50/-50 . -40..-40/-40 10..10/10"},
                    ThinCase{"several frames a column: low, high and last",
                             "h\n0 rest\n1 O\n2 AI\n3 E\n", 0, 4, 2, 0,
                             "- | -50..10/10 -40..-30/-30"},
                    ThinCase{"the chosen set", "h\n0 rest\n1 O\n2 AI\n3 E\n", 0, 4, 2, 1,
                             "- | -50..-10/-10 -40..-20/-40"},
                    ThinCase{"an unknown name keeps the line where it was", "h\n0 MBP\n1 ai\n2 5\n",
                             0, 3, 3, 0, "- | 0..0/0 ! !"},
                    ThinCase{"a range that starts after keyframes", "h\n0 rest\n4 O\n5 ai\n8 AI\n",
                             6, 10, 4, 0, "10 | . . -40..-40/-40 ."},
                    ThinCase{"keyframes after the range are left out", "h\n1 AI\n50 E\n", 0, 10, 2,
                             0, "- | -40..-40/-40 ."},
                    ThinCase{"no columns", "h\n1 AI\n", 0, 10, 0, 0, "- |"},
                    ThinCase{"an empty range", "h\n1 AI\n", 5, 5, 2, 0, "- | . ."},
                    ThinCase{"an empty track", "h\n", 0, 10, 2, 0, "- | . ."}));

// A key's drawing is looked up by the name it was written as, so that the
// keys a track marks as undrawn are just those the document leaves out; a
// track from the text's cues marks the same.
struct DrawingCase {
    const char* what;
    std::string text;
    bool letters;
    std::string chart;
    std::uint64_t leftOut;
    friend void PrintTo(const DrawingCase& c, std::ostream* os) { *os << c.what; }
};

class TrackDrawings : public testing::TestWithParam<DrawingCase> {};

TEST_P(TrackDrawings, markWhatTheDocumentLeavesOut) {
    const auto& c = GetParam();
    const MouthChart chart = *readMouthChart(c.chart).chart;
    TargetChoices choices;
    choices.target = Target::TimeRemap;
    choices.hold = false;
    choices.letters = c.letters;
    choices.chart = chart;
    const std::vector<Cue> cues = datCues(c.text);
    const TargetResult written = writeTargetDocument(cues, choices, [](std::string_view) {});
    ASSERT_EQ(cues.size() - written.keyframes, c.leftOut);
    for (const KeyframeTrack& track :
         {KeyframeTrack::fromText(c.text, c.letters), KeyframeTrack::fromCues(cues, c.letters)}) {
        EXPECT_EQ(track.withoutPosition(track.undrawn(chart)), c.leftOut);
    }
}

INSTANTIATE_TEST_SUITE_P(Charts, TrackDrawings,
                         testing::Values(DrawingCase{"letters: A listed, MBP not",
                                                     "h\n1 X\n2 A\n3 MBP\n", true, "X\nA\n", 1},
                                         DrawingCase{"letters: D and E by their chart names first",
                                                     "h\n1 D\n2 AI\n3 E\n4 O\n", true, "D\nO\n", 1},
                                         DrawingCase{"the KELVIN SIGN listed, K not",
                                                     "h\n1 \xE2\x84\xAA\n2 K\n", false,
                                                     "\xE2\x84\xAA\nrest\n", 1}));

} // namespace
