#include "conversion/CleanUp.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace mouthkey;

namespace {

// "1 AI 5 rest": one cue per frame and name, on lines 1, 2, ...
std::vector<Cue> cuesOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<Cue> cues;
    Cue cue;
    while (in >> cue.frame >> cue.name) {
        cue.place.line = cues.size() + 1;
        cues.push_back(cue);
    }
    return cues;
}

// "1 AI/1 5 rest/2": each cue with the line it came from.
std::string textOf(const std::vector<Cue>& cues) {
    std::string out;
    for (const Cue& c : cues) {
        out += (out.empty() ? "" : " ") + std::to_string(c.frame) + " " + c.name + "/" +
               std::to_string(c.place.line);
    }
    return out;
}

using Rule = RuleResult (*)(std::span<const Cue>, std::uint64_t, bool);

struct RuleCase {
    const char* what;
    Rule rule;
    std::uint64_t frames;
    std::string input;
    std::string output;
    std::uint64_t dropped = 0;
    std::uint64_t moved = 0;
    bool letters = false;
    friend void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.what; }
};

class CleanUpRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CleanUpRule, GivesTheCuesItKeeps) {
    const RuleCase& c = GetParam();
    const RuleResult result = c.rule(cuesOf(c.input), c.frames, c.letters);
    EXPECT_EQ(textOf(result.cues), c.output);
    EXPECT_EQ(result.effect.dropped.count, c.dropped);
    EXPECT_EQ(result.effect.moved, c.moved);
}

INSTANTIATE_TEST_SUITE_P(
    BridgeRests, CleanUpRule,
    ::testing::Values(RuleCase{"short rest between mouths", bridgeShortRests, 3,
                               "1 AI 5 rest 7 O 12 rest", "1 AI/1 7 O/3 12 rest/4", 1},
                      RuleCase{"rest held long enough", bridgeShortRests, 3, "1 AI 5 rest 8 O",
                               "1 AI/1 5 rest/2 8 O/3"},
                      RuleCase{"rests at the ends", bridgeShortRests, 9, "1 rest 2 AI 3 rest",
                               "1 rest/1 2 AI/2 3 rest/3"},
                      RuleCase{"rests in a row", bridgeShortRests, 3, "1 AI 5 rest 6 rest 7 O",
                               "1 AI/1 5 rest/2 6 rest/3 7 O/4"},
                      RuleCase{"letter rest", bridgeShortRests, 3, "1 D 5 X 6 E 7 rest 8 C 9 X",
                               "1 D/1 6 E/3 8 C/5 9 X/6", 2, 0, true},
                      RuleCase{"X is no rest without letters", bridgeShortRests, 3, "1 D 5 X 6 E",
                               "1 D/1 5 X/2 6 E/3"},
                      RuleCase{"off", bridgeShortRests, 0, "1 AI 2 rest 3 O",
                               "1 AI/1 2 rest/2 3 O/3"}));

INSTANTIATE_TEST_SUITE_P(
    MinHold, CleanUpRule,
    ::testing::Values(
        RuleCase{"too soon after a kept cue", holdMouths, 3, "1 AI 2 O 4 E 10 rest",
                 "1 AI/1 4 E/3 10 rest/4", 1},
        RuleCase{"closed mouth takes the place before it", holdMouths, 3, "1 AI 5 O 6 MBP 10 rest",
                 "1 AI/1 5 MBP/3 10 rest/4", 1, 1},
        RuleCase{"closed mouths in a row", holdMouths, 3, "1 AI 5 O 6 MBP 7 MBP 12 rest",
                 "1 AI/1 5 MBP/3 12 rest/5", 2, 1},
        RuleCase{"closed mouth takes the first place", holdMouths, 3, "1 rest 2 MBP 8 AI 12 rest",
                 "1 MBP/2 8 AI/3 12 rest/4", 1, 1},
        RuleCase{"last stays, the cue before goes", holdMouths, 3, "1 AI 5 O 7 rest",
                 "1 AI/1 7 rest/3", 1},
        RuleCase{"closed mouth before the last moves earlier", holdMouths, 3,
                 "1 AI 5 O 8 MBP 9 rest", "1 AI/1 5 MBP/3 9 rest/4", 1, 1},
        RuleCase{"moved closed mouth moves again, counted once", holdMouths, 3,
                 "1 AI 4 O 5 MBP 6 rest", "1 MBP/3 6 rest/4", 2, 1},
        RuleCase{"take shorter than N", holdMouths, 5, "1 AI 2 O 3 rest", "1 AI/1 3 rest/3", 1},
        RuleCase{"one cue", holdMouths, 5, "4 rest", "4 rest/1"},
        RuleCase{"letter closed mouth", holdMouths, 3, "1 D 5 E 6 A 10 X", "1 D/1 5 A/3 10 X/4", 1,
                 1, true},
        RuleCase{"A is no closed mouth without letters", holdMouths, 3, "1 D 5 E 6 A 10 X",
                 "1 D/1 5 E/2 10 X/4", 1},
        RuleCase{"1 keeps every cue", holdMouths, 1, "1 AI 1 O 2 rest", "1 AI/1 1 O/2 2 rest/3"}));

// Grid frames 1, 4, 7, 10, ...
INSTANTIATE_TEST_SUITE_P(
    OnEvery, CleanUpRule,
    ::testing::Values(
        RuleCase{"cues on grid frames", keyOnGrid, 3, "1 AI 4 O 7 rest", "1 AI/1 4 O/2 7 rest/3"},
        RuleCase{"mouth in force at the grid frame", keyOnGrid, 3, "1 AI 3 O 8 E 10 rest",
                 "1 AI/1 4 O/2 10 rest/4", 1, 1},
        RuleCase{"same mouth as the grid frame before", keyOnGrid, 3, "1 AI 2 O 3 AI 7 rest",
                 "1 AI/1 7 rest/4", 2},
        RuleCase{"unseen closed mouth, then the mouth in force", keyOnGrid, 3,
                 "1 AI 2 MBP 3 O 9 rest", "1 AI/1 4 MBP/2 7 O/3 10 rest/4", 0, 3},
        RuleCase{"unseen closed mouth, then a new cue", keyOnGrid, 3, "1 AI 2 MBP 3 O 6 E 7 rest",
                 "1 AI/1 4 MBP/2 7 rest/5", 2, 1},
        RuleCase{"closed mouth ending on the grid frame", keyOnGrid, 3, "1 AI 2 MBP 4 O",
                 "1 AI/1 4 MBP/2 7 O/3", 0, 2},
        RuleCase{"closed mouth in force at the grid frame", keyOnGrid, 3, "1 AI 2 O 3 MBP",
                 "1 AI/1 4 MBP/3", 1, 1},
        RuleCase{"N larger than the take", keyOnGrid, 10, "1 AI 3 O 5 rest", "1 AI/1 11 rest/3", 1,
                 1},
        RuleCase{"letter closed mouth", keyOnGrid, 3, "1 D 2 A 3 E 9 X", "1 D/1 4 A/2 7 E/3 10 X/4",
                 0, 3, true},
        RuleCase{"frames no grid frame follows", keyOnGrid, 1ULL << 63,
                 "1 AI 2 O 18446744073709551615 rest", "1 AI/1 9223372036854775809 rest/3", 1, 1}));

// The mouth a take shows at a frame: the last cue at or before it.
std::optional<std::string> shownAt(const std::vector<Cue>& cues, std::uint64_t frame) {
    std::optional<std::string> name;
    for (const Cue& c : cues) {
        name = c.frame <= frame ? std::optional(c.name) : name;
    }
    return name;
}

std::vector<Cue> randomTake(std::mt19937& random) {
    static const char* const names[] = {"AI", "O", "MBP", "rest", "E"};
    std::vector<Cue> cues;
    std::uint64_t frame = std::uniform_int_distribution<std::uint64_t>(1, 4)(random);
    const int count = std::uniform_int_distribution<int>(1, 30)(random);
    for (int i = 0; i < count; ++i) {
        cues.push_back({frame, names[random() % 5], {cues.size() + 1, 0}});
        frame += std::uniform_int_distribution<std::uint64_t>(0, 6)(random);
    }
    return cues;
}

TEST(CleanUpRules, HoldAndGridOverRandomTakes) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 2000; ++round) {
        const std::vector<Cue> take = randomTake(random);
        const std::uint64_t n = std::uniform_int_distribution<std::uint64_t>(2, 6)(random);
        SCOPED_TRACE(textOf(take) + " with N " + std::to_string(n));

        const RuleResult held = holdMouths(take, n, false);
        EXPECT_EQ(held.cues.size() + held.effect.dropped.count, take.size());
        EXPECT_EQ(held.cues.back(), take.back());
        const bool shortTake = take.back().frame - take.front().frame < n;
        for (std::size_t i = 0; i + 1 < held.cues.size(); ++i) {
            if (!shortTake) {
                EXPECT_GE(held.cues[i + 1].frame - held.cues[i].frame, n) << i;
            }
        }

        const RuleResult gridded = keyOnGrid(take, n, false);
        EXPECT_EQ(gridded.cues.size() + gridded.effect.dropped.count, take.size());
        for (std::size_t i = 0; i < gridded.cues.size(); ++i) {
            EXPECT_EQ((gridded.cues[i].frame - 1) % n, 0U) << i;
            if (i > 0) {
                EXPECT_NE(gridded.cues[i].name, gridded.cues[i - 1].name) << i;
            }
        }
        // Each grid frame shows the mouth in force there, or the last closed
        // mouth that came and went since the grid frame before.
        for (std::uint64_t g = 1; g <= gridded.cues.back().frame; g += n) {
            std::optional<std::string> expected = shownAt(take, g);
            for (std::size_t i = 0; i + 1 < take.size(); ++i) {
                if (take[i].name == "MBP" && take[i].frame + n > g && take[i + 1].frame <= g) {
                    expected = "MBP";
                }
            }
            EXPECT_EQ(shownAt(gridded.cues, g), expected) << "grid frame " << g;
        }
    }
}

// All three in order, each telling what it did.
TEST(CleanUpRules, ApplyInOrderAndTellWhatEachDid) {
    const std::vector<Cue> take = cuesOf("1 AI 5 O 6 rest 7 E 8 MBP 9 U 20 rest");
    CleanUpRules rules;
    EXPECT_FALSE(rules.any());
    EXPECT_EQ(textOf(cleanUp(take, rules).cues), textOf(take));

    rules = {2, 3, 2, false};
    const CleanUpResult result = cleanUp(take, rules);
    // Bridged: 1 AI 5 O 7 E 8 MBP 9 U 20 rest. Held: 1 AI 5 O 8 MBP 20 rest.
    EXPECT_EQ(textOf(result.cues), "1 AI/1 5 O/2 9 MBP/5 21 rest/7");
    EXPECT_EQ(result.bridged, (RuleEffect{{1, {3}}, 0}));
    EXPECT_EQ(result.held, (RuleEffect{{2, {4, 6}}, 0}));
    EXPECT_EQ(result.gridded, (RuleEffect{{0, {}}, 2}));
}

TEST(CleanUpRules, SingleFrameMouthsLeaveOutTheLast) {
    EXPECT_EQ(singleFrameMouths(cuesOf("1 AI 2 O 2 E 3 MBP 9 rest 10 O")),
              (LineSample{3, {1, 3, 5}}));
    EXPECT_EQ(singleFrameMouths(cuesOf("4 rest")).count, 0U);
}

} // namespace
