#include "conversion/LabelTrack.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace mouthkey;

namespace {

// A label track's cues at a rate as one line: "13 AI, 25 rest | finding",
// "letters:" first when the labels are read as letter mouth shapes.
std::string cuesText(const Take& take, double framesPerSecond) {
    std::string text = take.letters ? "letters:" : "";
    for (const Cue& cue : takeCues(take, 0, framesPerSecond)) {
        text += (text.empty() || text == "letters:" ? "" : ", ") + std::to_string(cue.frame) + " " +
                cue.name;
    }
    for (const Finding& f : take.findings) {
        text += " | " + findingText(f);
    }
    return text;
}

struct LabelCase {
    const char* what;
    std::string text;
    double framesPerSecond;
    std::string cues; // as cuesText writes them
    friend void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.what; }
};

class LabelTrack : public testing::TestWithParam<LabelCase> {};

TEST_P(LabelTrack, givesTheCuesOfItsLabels) {
    const Take take = readLabelTrack(GetParam().text);
    EXPECT_TRUE(take.timedInSeconds());
    EXPECT_EQ(cuesText(take, GetParam().framesPerSecond), GetParam().cues);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, LabelTrack,
    testing::Values(
        LabelCase{"point labels close nothing", "0.500000\t0.500000\tAI\n1.0\t1.0\tO\n", 24,
                  "13 AI, 25 O"},
        LabelCase{"a region label closes at its end", "0.5\t1.0\tAI\n", 24, "13 AI, 25 rest"},
        LabelCase{"the same take re-timed", "0.5\t1.0\tAI\n", 25, "13 AI, 26 rest"},
        LabelCase{"a label starting inside a region, or at its end, keeps it open",
                  "0.5\t1.0\tAI\n0.8\t1.2\tO\n1.2\t1.5\tE\n", 24, "13 AI, 20 O, 29 E, 37 rest"},
        LabelCase{"overlaps: a closing only where no later label starts inside",
                  "0.0\t2.0\tAI\n0.5\t1.0\tO\n", 24, "1 AI, 13 O, 25 rest"},
        LabelCase{"in order of start, file order among equal starts; the earlier label wins",
                  "1.0\t1.0\tO\n0.5\t0.5\tE\n0.5\t0.5\tL\n", 24, "13 E, 25 O"},
        LabelCase{"a label wins over a closing cue on its frame, before it or after it",
                  "0.5\t0.51\tAI\n0.6\t0.9\tE\n0.91\t0.91\tO\n", 24, "13 AI, 15 E, 22 O"},
        LabelCase{"letters close with X", "0\t0.5\tA\n0.5\t1\tD\n1.2\t1.4\tX\n", 24,
                  "letters:1 A, 13 D, 25 X, 29 X, 34 X"},
        LabelCase{"D and E alone are phonemes", "0\t0.5\tD\n0.5\t1\tE\n", 24, "1 D, 13 E, 25 rest"},
        LabelCase{"the extended format's frequencies are skipped; labels are trimmed",
                  "0.5\t1.0\t AI \r\n\\\t100.0\t2000.0\r\n\r\n1.5\t1.5\tO\r\n", 24,
                  "13 AI, 25 rest, 37 O"},
        LabelCase{"bad lines are left out, at their line and column",
                  "0.5\t1.0\n0.5\tx\tAI\n0.5\t-1\tE\n1.0\t0.5\tO\n2\t2\t \n\\\t1\t2\n\\\t1\t2\n"
                  "2.5\t2.5\tA B\n3\t3\tE\n",
                  24,
                  "73 E | '0.5?1.0' is not a start, an end and a label between tabs on 5 lines "
                  "(1, 4, 5, \xE2\x80\xA6) | time 'x' is not a number on line 2, column 5 | time "
                  "'-1' is negative on line 3, column 5"},
        LabelCase{"nothing", "", 24, ""}));

} // namespace
