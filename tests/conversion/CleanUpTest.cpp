#include "conversion/CleanUp.h"

#include "conversion/CueEdits.h"
#include "conversion/Targets.h"

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

enum class Rule { Bridge, Hold, Grid };

// One rule on, at N frames.
CleanUpRules only(Rule rule, std::uint64_t frames, bool letters) {
    CleanUpRules rules;
    rules.letters = letters;
    (rule == Rule::Bridge ? rules.bridgeRests
     : rule == Rule::Hold ? rules.minHold
                          : rules.onEvery) = frames;
    return rules;
}

const RuleEffect& effectOf(const CleanUpEffects& effects, Rule rule) {
    return rule == Rule::Bridge ? effects.bridged
           : rule == Rule::Hold ? effects.held
                                : effects.gridded;
}

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
    const CleanUpResult result = cleanUp(cuesOf(c.input), only(c.rule, c.frames, c.letters));
    EXPECT_EQ(textOf(result.cues), c.output);
    EXPECT_EQ(effectOf(result.effects, c.rule).dropped.count, c.dropped);
    EXPECT_EQ(effectOf(result.effects, c.rule).moved, c.moved);
}

INSTANTIATE_TEST_SUITE_P(
    BridgeRests, CleanUpRule,
    ::testing::Values(RuleCase{"short rest goes, one held N frames stays", Rule::Bridge, 3,
                               "1 AI 5 rest 7 O 10 rest 13 E 20 rest",
                               "1 AI/1 7 O/3 10 rest/4 13 E/5 20 rest/6", 1},
                      RuleCase{"rests at the ends and in a row", Rule::Bridge, 9,
                               "1 rest 2 AI 3 rest 4 rest 5 O 6 rest",
                               "1 rest/1 2 AI/2 3 rest/3 4 rest/4 5 O/5 6 rest/6"},
                      RuleCase{"letter rest", Rule::Bridge, 3, "1 D 5 X 6 E 7 rest 8 C",
                               "1 D/1 6 E/3 8 C/5", 2, 0, true}));

INSTANTIATE_TEST_SUITE_P(
    MinHold, CleanUpRule,
    ::testing::Values(RuleCase{"too soon after a kept cue", Rule::Hold, 3, "1 AI 2 O 4 E 10 rest",
                               "1 AI/1 4 E/3 10 rest/4", 1},
                      RuleCase{"closed mouths in a row: the first moves earlier", Rule::Hold, 3,
                               "1 AI 5 O 6 MBP 7 MBP 12 rest", "1 AI/1 5 MBP/3 12 rest/5", 2, 1},
                      RuleCase{"closed mouth takes the first place", Rule::Hold, 3,
                               "1 rest 2 A 8 D 12 X", "1 A/2 8 D/3 12 X/4", 1, 1, true},
                      RuleCase{"last stays, the cue before goes", Rule::Hold, 3, "1 AI 5 O 7 rest",
                               "1 AI/1 7 rest/3", 1},
                      RuleCase{"closed mouth before the last moves again, counted once", Rule::Hold,
                               3, "1 AI 4 O 5 MBP 6 rest", "1 MBP/3 6 rest/4", 2, 1},
                      RuleCase{"take shorter than N", Rule::Hold, 5, "1 AI 2 O 3 rest",
                               "1 AI/1 3 rest/3", 1}));

// Grid frames 1, 4, 7, 10, ...
INSTANTIATE_TEST_SUITE_P(
    OnEvery, CleanUpRule,
    ::testing::Values(
        RuleCase{"cues on grid frames", Rule::Grid, 3, "1 AI 4 O 7 rest", "1 AI/1 4 O/2 7 rest/3"},
        RuleCase{"unseen closed mouth", Rule::Grid, 3, "1 AI 2 MBP 3 O 6 E 9 rest",
                 "1 AI/1 4 MBP/2 7 E/4 10 rest/5", 1, 3},
        RuleCase{"N larger than the take", Rule::Grid, 10, "1 AI 3 O 5 rest", "1 AI/1 11 rest/3", 1,
                 1},
        RuleCase{"frames past the last grid frame", Rule::Grid, 1ULL << 63,
                 "1 AI 2 O 18446744073709551615 rest", "1 AI/1 9223372036854775809 rest/3", 1, 1}));

// The name of the mouth in force at a frame, or "" before the first cue.
std::string shownAt(const std::vector<Cue>& cues, std::uint64_t frame) {
    const std::optional<std::size_t> at = cueInForce(cues, frame);
    return at ? cues[*at].name : "";
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

        // A take shorter than N keeps its first cue and its last.
        const CleanUpResult held = cleanUp(take, only(Rule::Hold, n, false));
        EXPECT_EQ(held.cues.back(), take.back());
        for (std::size_t i = 0; i + 1 < held.cues.size(); ++i) {
            const std::uint64_t hold = held.cues[i + 1].frame - held.cues[i].frame;
            EXPECT_TRUE(hold >= n || take.back().frame - take.front().frame < n) << i;
        }

        const CleanUpResult gridded = cleanUp(take, only(Rule::Grid, n, false));
        for (std::size_t i = 0; i < gridded.cues.size(); ++i) {
            EXPECT_EQ((gridded.cues[i].frame - 1) % n, 0U) << i;
            if (i > 0) {
                EXPECT_NE(gridded.cues[i].name, gridded.cues[i - 1].name) << i;
            }
        }
        // Each grid frame shows the mouth in force there, or the last closed
        // mouth that came and went since the grid frame before.
        for (std::uint64_t g = 1; g <= gridded.cues.back().frame; g += n) {
            std::string expected = shownAt(take, g);
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
    EXPECT_EQ(cleanUp(take, {}).cues, take);
    const CleanUpResult result = cleanUp(take, {2, 3, 2, false});
    // Bridged: 1 AI 5 O 7 E 8 MBP 9 U 20 rest. Held: 1 AI 5 O 8 MBP 20 rest.
    EXPECT_EQ(textOf(result.cues), "1 AI/1 5 O/2 9 MBP/5 21 rest/7");
    EXPECT_EQ(result.effects.bridged, (RuleEffect{{1, {3}}, 0}));
    EXPECT_EQ(result.effects.held, (RuleEffect{{2, {4, 6}}, 0}));
    EXPECT_EQ(result.effects.gridded, (RuleEffect{{0, {}}, 2}));
    // A take out of order is cleaned in frame order.
    const std::vector<Cue> backwards = cuesOf("9 U 1 AI 5 O");
    EXPECT_EQ(textOf(cleanUp(backwards, {0, 3, 1, false}).cues), "1 AI/2 5 O/3 9 U/1");
}

// A .dat text written with clean-up gives the document of its cues cleaned
// up, however it is read: in order or not, with odd line ends, or long
// enough to cross many of the cleaner's batches.
struct DatCase {
    const char* what;
    std::string text;
    friend void PrintTo(const DatCase& c, std::ostream* os) { *os << c.what; }
};

std::string largeTake() {
    std::mt19937 random(7);
    static const char* const names[] = {"AI", "O", "MBP", "rest", "E", "etc"};
    std::string text = "MohoSwitch1\n";
    for (std::uint64_t frame = 1; text.size() < (5u << 20); frame += random() % 4) {
        text += std::to_string(frame) + " " + names[random() % 6] + "\n";
    }
    return text;
}

class CleanedDat : public ::testing::TestWithParam<DatCase> {};

TEST_P(CleanedDat, writesItsCuesCleanedUp) {
    const std::string& text = GetParam().text;
    // --min-hold alone takes a lane of its own to Position.
    for (const CleanUpRules& rules : {CleanUpRules{2, 3, 2, false}, CleanUpRules{0, 1, 2, false},
                                      CleanUpRules{0, 2, 1, false}, CleanUpRules{0, 3, 1, true}})
        for (const Target target : {Target::Position, Target::TimeRemap}) {
            TargetChoices choices;
            choices.target = target;
            const TargetChoices plain = choices;
            choices.cleanUp = rules;
            std::string streamed;
            TargetWriter writer(choices, [&](std::string_view chunk) { streamed.append(chunk); });
            LineSample others;
            writer.feedDat(text, others);
            const TargetResult written = writer.finish();

            const CleanUpResult cleaned = cleanUp(datCues(text), choices.cleanUp);
            std::string expected;
            writeTargetDocument(cleaned.cues, plain,
                                [&](std::string_view chunk) { expected.append(chunk); });
            EXPECT_EQ(streamed, expected);
            EXPECT_EQ(written.cleaned, cleaned.effects);
        }
}

// Kept lines of sixteen bytes in runs of two, each run broken by a line
// the hold drops: the runs' copies fill the lane's batch to its very edge.
std::string runsToABatchEdge() {
    std::string text = "MohoSwitch1\n";
    for (std::uint64_t frame = 1000000; frame < 1000000 + 5 * 9000; frame += 5) {
        for (const std::uint64_t at : {frame, frame + 2, frame + 3}) {
            text += std::to_string(at) + " abcdefg\n";
        }
    }
    return text;
}

// Every cue far enough from the one before: one run longer than a batch.
std::string oneLongRun() {
    std::string text = "MohoSwitch1\r\n";
    for (std::uint64_t frame = 1; text.size() < (200u << 10); frame += 3) {
        text += std::to_string(frame) + (frame % 2 ? " AI\r\n" : " MBP\r\n");
    }
    return text + "1000000 O\r\n1000001 MBP\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CleanedDat,
    ::testing::Values(DatCase{"in order", "MohoSwitch1\n1 AI\n2 O\n3 MBP\n9 rest\n"},
                      DatCase{"out of order", "MohoSwitch1\n9 rest\n1 AI\n3 MBP\n2 O\n"},
                      DatCase{"a line no cue", "MohoSwitch1\n1 AI\n7x O\n2 MBP\n9 rest\n"},
                      DatCase{"CR LF, a long name and one not ASCII",
                              "MohoSwitch1\r\n1 AI\r\n2 A\r\n4 "
                              "a_mouth_named_at_more_length_than_a_line_is_put_together_in\r\n"
                              "5 MBP\r\n6 \xc3\xa9t\xc3\xa9\r\n9 rest\r\n"},
                      DatCase{"lines ended by CR", "MohoSwitch1\r5 AI\r1 O\r2 MBP\r9 rest\r"},
                      // The quick lane leaves a text's last 32 bytes: the
                      // lines of note come before them.
                      DatCase{"a closed mouth moved to the first frame",
                              "MohoSwitch1\n1 AI\n2 MBP\n3 A\n6 O\n7 A\n9 rest\n"
                              "100 O\n200 E\n300 rest\n400 O\n500 E\n"},
                      DatCase{"kept lines CR LF, some not as written",
                              "MohoSwitch1\r\n1 AI\r\n4 O\r\n\r\n7 E\r\n8 MBP\r\n007 U\r\n"
                              "# note\r\n12 rest\r\n16 sixteen\r\n17 O\r\n20 E\r\n"
                              "100 O\r\n200 E\r\n300 rest\r\n400 O\r\n"},
                      DatCase{"runs to a batch's edge", runsToABatchEdge()},
                      DatCase{"one run longer than a batch", oneLongRun()},
                      DatCase{"lines ended by VT, in order", "MohoSwitch1\v3 AI\v5 MBP"},
                      DatCase{"long", largeTake()}));

} // namespace
