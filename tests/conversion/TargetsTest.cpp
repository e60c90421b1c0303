#include "conversion/Targets.h"

#include "conversion/DocumentWriter.h"

#include <gtest/gtest.h>

#include <charconv>
#include <optional>
#include <ostream>
#include <random>
#include <sstream>
#include <string>

using namespace mouthkey;

namespace {

const FrameRate rate24(0);

std::string findingsText(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& f : findings) {
        text += (text.empty() ? "" : " / ") + findingText(f);
    }
    return text;
}

std::uint64_t lineCount(const std::string& text) {
    return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

struct Written {
    std::string document;
    TargetResult result;
};

Written write(std::string_view dat, const TargetChoices& choices) {
    Written w;
    w.result = writeTargetDocument(datCues(dat), choices,
                                   [&w](std::string_view chunk) { w.document.append(chunk); });
    return w;
}

// The block every copied keyframe text opens with, written out here so that
// a fault in the one the targets share shows.
std::string sourceBlock(std::string_view rate) {
    return "Adobe After Effects 8.0 Keyframe Data\n\n\tUnits Per Second\t" + std::string(rate) +
           "\n\tSource Width\t1\n\tSource Height\t1\n\tSource Pixel Aspect Ratio\t1\n\tComp "
           "Pixel Aspect Ratio\t1\n\n";
}

struct TargetCase {
    const char* what;
    std::string dat;
    TargetChoices choices;
    std::string keys; // the key lines, "\tFRAME\tVALUE\t\n" (Position: as the converter writes)
    std::string findings = {};
    std::optional<std::uint64_t> holdSteps = {}; // of the key lines; unchecked when not given
    friend void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.what; }
};

TargetChoices choose(Target target, std::optional<bool> hold = {}, std::int64_t offset = 0,
                     bool letters = false, int setIndex = 0, FrameRate rate = rate24,
                     std::optional<MouthChart> chart = {}) {
    TargetChoices c;
    c.target = target;
    c.setIndex = setIndex;
    c.rate = std::move(rate);
    c.letters = letters;
    c.hold = hold;
    c.offset = offset;
    c.chart = std::move(chart);
    return c;
}

TargetChoices timeRemap(std::optional<bool> hold = {}, std::int64_t offset = 0,
                        bool letters = false) {
    return choose(Target::TimeRemap, hold, offset, letters);
}

// Preston Blair's chart: rest, AI TH CH D K, E, L, FV, MBP, O, U, WQ, etc.
class TimeRemapDocument : public testing::TestWithParam<TargetCase> {};

TEST_P(TimeRemapDocument, keysTheTimeInsideEachDrawingsFrame) {
    const TargetCase& c = GetParam();
    const Written w = write(c.dat, c.choices);
    EXPECT_EQ(w.document, sourceBlock(c.choices.rate.title()) + "Time Remap\n\tFrame\tseconds\t\n" +
                              c.keys + "\nEnd of Keyframe Data");
    EXPECT_EQ(findingsText(w.result.findings), c.findings);
    EXPECT_EQ(w.result.keyframes, lineCount(c.keys));
    if (c.holdSteps) {
        EXPECT_EQ(w.result.holdSteps, *c.holdSteps);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TimeRemapDocument,
    testing::Values(
        TargetCase{"a hold step before each new drawing two frames on or more",
                   "MohoSwitch1\n1 rest\n5 AI\n6 E\n9 E\n", timeRemap(),
                   "\t1\t0.0208333\t\n\t4\t0.0208333\t\n\t5\t0.0625\t\n\t6\t0.104167\t\n"
                   "\t9\t0.104167\t\n",
                   "", 1},
        TargetCase{"names of one drawing need no hold step", "MohoSwitch1\n1 AI\n5 TH\n",
                   timeRemap(), "\t1\t0.0625\t\n\t5\t0.0625\t\n"},
        TargetCase{"without holding", "MohoSwitch1\n1 rest\n5 AI\n6 E\n", timeRemap(false),
                   "\t1\t0.0208333\t\n\t5\t0.0625\t\n\t6\t0.104167\t\n"},
        TargetCase{"a negative offset leaves out what it moves before frame 0",
                   "MohoSwitch1\n1 rest\n2 AI\n10 E\n", timeRemap({}, -2),
                   "\t0\t0.0625\t\n\t7\t0.0625\t\n\t8\t0.104167\t\n",
                   "keys shifted before frame 0 (the first at frame 1) on line 2"},
        TargetCase{"the last key shifted before frame 0 is the key at frame 0, held",
                   "MohoSwitch1\n1 rest\n5 AI\n49 etc\n", timeRemap({}, -8),
                   "\t0\t0.0625\t\n\t40\t0.0625\t\n\t41\t0.395833\t\n",
                   "keys shifted before frame 0 (the first at frame 1) on line 2", 1},
        TargetCase{"every key shifted before frame 0: the last one at frame 0",
                   "MohoSwitch1\n1 rest\n2 AI\n", timeRemap({}, -5), "\t0\t0.0625\t\n",
                   "keys shifted before frame 0 (the first at frame 1) on line 2"},
        TargetCase{"a positive offset", "MohoSwitch1\n1 rest\n", timeRemap({}, 10),
                   "\t11\t0.0208333\t\n"},
        TargetCase{
            "names without a drawing are left out, the key before held on; only the "
            "set's own are the writer's to name",
            "MohoSwitch1\n1 rest\n3 ai\n5 MBP\n7 Foo\n8 MBP\n9 E\n",
            choose(Target::TimeRemap, {}, 0, false, 0, rate24, MouthChart({{"rest"}, {"E"}})),
            "\t1\t0.0208333\t\n\t8\t0.0208333\t\n\t9\t0.0625\t\n",
            "names the mouth chart has no drawing for, such as 'MBP', on 2 lines (4, 6)"},
        TargetCase{"a name with a NUL in it is a name of its own",
                   std::string("MohoSwitch1\n1 MBP\n5 MBP\0\n", 25), timeRemap(),
                   "\t1\t0.229167\t\n"},
        TargetCase{"letters read by their chart, D and E as AI and O",
                   "MohoSwitch1\n1 X\n3 A\n4 D\n6 E\n", timeRemap({}, 0, true),
                   "\t1\t0.0208333\t\n\t2\t0.0208333\t\n\t3\t0.229167\t\n\t4\t0.0625\t\n"
                   "\t5\t0.0625\t\n\t6\t0.270833\t\n"},
        TargetCase{"letters without their chart", "MohoSwitch1\n1 X\n3 D\n", timeRemap(false),
                   "\t3\t0.0625\t\n"},
        TargetCase{"two cues on one frame stay in file order, frames going back too",
                   "MohoSwitch1\n1 rest\n5 AI\n5 E\n3 O\n", timeRemap(),
                   "\t1\t0.0208333\t\n\t4\t0.0208333\t\n\t5\t0.0625\t\n\t5\t0.104167\t\n"
                   "\t3\t0.270833\t\n"},
        TargetCase{
            "a chart of one's own", "MohoSwitch1\n1 X\n2 A\n",
            choose(Target::TimeRemap, {}, 0, true, 0, rate24, MouthChart({{"X"}, {"A", "MBP"}})),
            "\t1\t0.0208333\t\n\t2\t0.0625\t\n"},
        TargetCase{"a rate of the list that is no whole number", "MohoSwitch1\n1 rest\n2 etc\n",
                   choose(Target::TimeRemap, {}, 0, false, 0, FrameRate(1)),
                   "\t1\t0.0166834\t\n\t2\t0.316984\t\n"},
        TargetCase{"a typed rate", "MohoSwitch1\n1 rest\n",
                   choose(Target::TimeRemap, {}, 0, false, 0, *FrameRate::fromText("1000")),
                   "\t1\t0.0005\t\n"},
        TargetCase{"no cues", "MohoSwitch1\n", timeRemap(), ""}));

// At any rate, with charts of up to 1500 drawings, where a rate rounded to a
// whole number would land keys in the next drawing's frame.
TEST(TimeRemapDocument, everyKeyLandsInsideItsDrawingsFrameAtEveryRate) {
    std::vector<FrameRate> rates;
    for (int i = 0; i < static_cast<int>(frameRateTitles.size()); ++i) {
        rates.emplace_back(i);
    }
    for (const char* typed : {"23.976", "48", "1", "1000"}) {
        rates.push_back(*FrameRate::fromText(typed));
    }
    std::mt19937 rng(20261210);
    for (const FrameRate& rate : rates) {
        double fps = 0;
        std::from_chars(rate.title().data(), rate.title().data() + rate.title().size(), fps);
        for (int round = 0; round < 8; ++round) {
            std::vector<std::vector<std::string>> drawings(1 + rng() % 1500);
            for (std::size_t d = 0; d < drawings.size(); ++d) {
                for (auto n = 1 + rng() % 3; n > 0; --n) {
                    drawings[d].push_back("m" + std::to_string(d) + "_" + std::to_string(n));
                }
            }
            // Past 192 names, the most the writer keeps in its small table.
            std::vector<Cue> cues(1 + rng() % 400);
            for (Cue& cue : cues) {
                const auto& names = drawings[rng() % drawings.size()];
                cue = {1 + rng() % 100000, names[rng() % names.size()], {}};
            }
            TargetChoices choices = choose(Target::TimeRemap, false, 0, false, 0, rate);
            choices.chart = MouthChart(drawings);
            std::string document;
            writeTargetDocument(cues, choices,
                                [&document](std::string_view chunk) { document.append(chunk); });

            const std::string_view head = "\tFrame\tseconds\t\n";
            const std::size_t at = document.find(head);
            ASSERT_NE(at, std::string::npos);
            std::istringstream keys(document.substr(at + head.size()));
            for (const Cue& cue : cues) {
                std::uint64_t frame = 0;
                double value = -1;
                ASSERT_TRUE(keys >> frame >> value) << rate.title();
                const auto drawing = static_cast<double>(*choices.chart->drawingOf(cue.name));
                EXPECT_EQ(frame, cue.frame);
                EXPECT_LT(drawing / fps, value) << rate.title() << " " << cue.name;
                EXPECT_LT(value, (drawing + 1) / fps) << rate.title() << " " << cue.name;
            }
            std::string rest;
            EXPECT_TRUE(keys >> rest && rest == "End") << rate.title();
        }
    }
}

class SliderDocument : public testing::TestWithParam<TargetCase> {};

TEST_P(SliderDocument, keysTheDrawingsNumber) {
    const TargetCase& c = GetParam();
    const Written w = write(c.dat, c.choices);
    EXPECT_EQ(w.document, sourceBlock(c.choices.rate.title()) +
                              "Effects\tSlider Control #1\tSlider #2\n\tFrame\t\t\n" + c.keys +
                              "\nEnd of Keyframe Data");
    EXPECT_EQ(findingsText(w.result.findings), c.findings);
    EXPECT_EQ(w.result.keyframes, lineCount(c.keys));
    if (c.holdSteps) {
        EXPECT_EQ(w.result.holdSteps, *c.holdSteps);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SliderDocument,
    testing::Values(TargetCase{"held by default", "MohoSwitch1\n1 rest\n5 etc\n7 E\n8 L\n",
                               choose(Target::SliderControl),
                               "\t1\t0\t\n\t4\t0\t\n\t5\t9\t\n\t6\t9\t\n\t7\t2\t\n\t8\t3\t\n"},
                    TargetCase{"offset and no hold", "MohoSwitch1\n1 rest\n5 etc\n",
                               choose(Target::SliderControl, false, -1), "\t0\t0\t\n\t4\t9\t\n"},
                    TargetCase{"another set's chart", "MohoSwitch1\n1 E\n2 etc\n3 CH\n",
                               choose(Target::SliderControl, {}, 0, false, 1),
                               "\t1\t1\t\n\t2\t1\t\n\t3\t9\t\n"},
                    TargetCase{"before frame 0 and without a drawing",
                               "MohoSwitch1\n1 rest\n2 Oo\n3 O\n5 MBP\n",
                               choose(Target::SliderControl, {}, -3),
                               "\t0\t6\t\n\t1\t6\t\n\t2\t5\t\n",
                               "keys shifted before frame 0 (the first at frame 1) on line 2"}));

class PositionDocument : public testing::TestWithParam<TargetCase> {};

TEST_P(PositionDocument, writesEachKeyAsTheConverterWritesItsLine) {
    const TargetCase& c = GetParam();
    const Written w = write(c.dat, c.choices);
    EXPECT_EQ(w.document, documentHead(rateLine(c.choices.rate)) + c.keys + documentTail());
    EXPECT_EQ(findingsText(w.result.findings), c.findings);
    EXPECT_EQ(w.result.keyframes, lineCount(c.keys));
    if (c.holdSteps) {
        EXPECT_EQ(w.result.holdSteps, *c.holdSteps);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PositionDocument,
    testing::Values(
        TargetCase{"held where the value changes; an unknown name is its own value",
                   "MohoSwitch1\n1 rest\n5 AI\n6 TH\n9 Foo\n", choose(Target::Position, true),
                   "\t1 \t-50\t4.00668\t0\n\t4 \t-50\t4.00668\t0\n\t5 \t-40\t4.00668\t0\n"
                   "\t6 \t-40\t4.00668\t0\n\t8 \t-40\t4.00668\t0\n\t9 Foo\n"},
        TargetCase{"an offset, not held by default", "MohoSwitch1\n1 rest\n2 AI\n5 E\n",
                   choose(Target::Position, {}, -2),
                   "\t0 \t-40\t4.00668\t0\n\t3 \t-30\t4.00668\t0\n",
                   "keys shifted before frame 0 (the first at frame 1) on line 2"},
        TargetCase{"the last key shifted before frame 0 is the key at frame 0, held",
                   "MohoSwitch1\n1 rest\n3 AI\n10 E\n", choose(Target::Position, true, -2),
                   "\t0 \t-50\t4.00668\t0\n\t1 \t-40\t4.00668\t0\n\t7 \t-40\t4.00668\t0\n"
                   "\t8 \t-30\t4.00668\t0\n",
                   "", 1},
        TargetCase{"letters, another set", "MohoSwitch1\n1 X\n4 D\n",
                   choose(Target::Position, true, 1, true, 1),
                   "\t2 \t-50\t4.00668\t0\n\t4 \t-50\t4.00668\t0\n\t5 \t-20\t4.00668\t0\n"}));

// With no new choice, Position is the document the converter has always written.
TEST(PositionDocument, plainIsTheConvertersDocumentByteForByte) {
    const std::vector<std::string> names{"AI", "E", "rest", "etc", "MBP",          "D", "K",
                                         "X",  "A", "ai",   "Foo", "\xE2\x84\xAA", "",  "WQ"};
    std::mt19937 rng(20261209);
    for (int round = 0; round < 300; ++round) {
        std::vector<Cue> cues(rng() % 40);
        for (std::size_t i = 0; i < cues.size(); ++i) {
            cues[i] = {rng() % 500, names[rng() % names.size()], {i + 2, 0}};
        }
        const TargetChoices choices =
            choose(Target::Position, {}, 0, rng() % 2 == 0, static_cast<int>(rng() % 7) - 1,
                   FrameRate(static_cast<int>(rng() % 10)));
        ASSERT_TRUE(choices.target == Target::Position && !choices.holds() && choices.offset == 0);
        std::string target;
        const TargetResult result = writeTargetDocument(
            cues, choices, [&target](std::string_view chunk) { target.append(chunk); });
        std::string converted;
        DocumentWriter writer(buildMapping(choices.setIndex, choices.letters), choices.rate,
                              [&converted](std::string_view chunk) { converted.append(chunk); });
        writer.feed(datText(cues));
        writer.finish();
        ASSERT_EQ(target, converted) << round;
        EXPECT_EQ(result.keyframes, cues.size());
        EXPECT_TRUE(result.findings.empty());

        // A .dat text's cues are the cues it was written from, at its lines.
        std::erase_if(cues, [](const Cue& cue) { return cue.name.empty(); });
        std::vector<Cue> read = datCues(datText(cues));
        ASSERT_EQ(read.size(), cues.size());
        for (std::size_t i = 0; i < cues.size(); ++i) {
            EXPECT_EQ(read[i].frame, cues[i].frame);
            EXPECT_EQ(read[i].name, cues[i].name);
            EXPECT_EQ(read[i].place.line, i + 2);
        }
    }
}

// Streamed from a .dat text, which copies frames' digits and reads words at a
// time, a document is the one its cues give: frames of every width, leading
// zeros, steps across powers of ten, long names, CR LF, a last line cut short,
// and now and then a line ended otherwise, which the line reader reads on from.
TEST(TargetWriter, aDatTextStreamsTheDocumentItsCuesGive) {
    // Names with bytes from 0x80 up: an accent, and NEL, which ends a line.
    const std::vector<std::string> names{"AI", "E", "rest",    "MBP",      "X",    "etc",
                                         "O",  "D", "O\u00E9", "longname", "sil9", "A\u0085E"};
    const std::vector<std::string> otherEnds{"\r", "\v", "\xE2\x80\xA8"};
    std::mt19937 rng(20261211);
    for (int round = 0; round < 400; ++round) {
        std::string dat = "MohoSwitch1\n";
        std::uint64_t frame = rng() % 3;
        for (auto n = rng() % 30; n > 0; --n) {
            const int jump = static_cast<int>(rng() % 4);
            frame = jump == 3 ? frame * 10 : frame + 1 + rng() % (jump == 2 ? 1000 : 3);
            const std::string zeros(rng() % 8 == 0 ? 1 + rng() % 3 : 0, '0');
            const auto end = rng() % 100;
            dat += zeros + std::to_string(frame) + " " + names[rng() % names.size()] +
                   (end < 20   ? "\r\n"
                    : end < 22 ? otherEnds[rng() % otherEnds.size()]
                               : "\n");
        }
        if (rng() % 3 == 0) {
            dat += std::to_string(frame + 10) + " O"; // no line end
        }
        for (const Target target : targets) {
            const TargetChoices choices =
                choose(target, rng() % 4 != 0, static_cast<std::int64_t>(rng() % 5) - 2);
            std::string streamed;
            TargetWriter writer(choices, [&](std::string_view chunk) { streamed.append(chunk); });
            LineSample others;
            writer.feedDat(dat, others);
            const TargetResult result = writer.finish();
            const Written fromCues = write(dat, choices);
            ASSERT_EQ(streamed, fromCues.document) << dat;
            EXPECT_EQ(result.keyframes, fromCues.result.keyframes);
            EXPECT_EQ(result.holdSteps, fromCues.result.holdSteps);
            EXPECT_EQ(result.findings, fromCues.result.findings) << dat;
        }
    }
}

// What the window and the converter list for a .dat text: its checks, then
// what writing the target's document found, each line with one outcome.
std::string findingsFor(std::string_view dat, const TargetChoices& choices) {
    const std::vector<Finding> written = writingFindings(dat, choices);
    std::string text;
    for (const Finding& f :
         targetFindings(checkTimingText(dat, choices.letters).findings, written, choices)) {
        text +=
            (text.empty() ? "" : " / ") + findingText(f) + ": " + std::string(findingOutcome(f));
    }
    return text;
}

struct OutcomeCase {
    const char* what;
    std::string dat;
    TargetChoices choices;
    std::string findings;
    friend void PrintTo(const OutcomeCase& c, std::ostream* os) { *os << c.what; }
};

class TargetFindings : public testing::TestWithParam<OutcomeCase> {};

TEST_P(TargetFindings, giveEachLineTheOutcomeOfTheChosenTarget) {
    const OutcomeCase& c = GetParam();
    EXPECT_EQ(findingsFor(c.dat, c.choices), c.findings);
}

const std::string mixedTake = "MohoSwitch1\n1 rest\n2 ai\n3\tE\n4 MBP\n";

INSTANTIATE_TEST_SUITE_P(
    Targets, TargetFindings,
    testing::Values(
        OutcomeCase{"Position pastes what it does not know unchanged", mixedTake,
                    choose(Target::Position),
                    "unknown phoneme 'ai' on line 3: pasted unchanged / 1 mouth shows for a single "
                    "frame (line 2): pasted unchanged / a "
                    "tab where a space belongs on line 4: pasted unchanged"},
        OutcomeCase{"Position from cues leaves out the lines that are not FRAME NAME", mixedTake,
                    choose(Target::Position, true),
                    "unknown phoneme 'ai' on line 3: pasted unchanged / 1 mouth shows for a single "
                    "frame (line 2): pasted unchanged / a "
                    "tab where a space belongs on line 4: left out"},
        OutcomeCase{
            "Time Remap leaves out unknown names and names without a drawing", mixedTake,
            choose(Target::TimeRemap, {}, 0, false, 0, rate24, MouthChart({{"rest"}, {"E"}})),
            "unknown phoneme 'ai' on line 3: left out / 1 mouth shows for a single frame (line 2): "
            "pasted unchanged / a tab "
            "where a space belongs on line 4: left out / no drawing in the mouth chart for 'MBP' "
            "on line 5: left "
            "out"},
        OutcomeCase{"an unknown name the chart lists has a drawing", mixedTake,
                    choose(Target::SliderControl, {}, 0, false, 0, rate24,
                           MouthChart({{"rest"}, {"ai", "MBP"}})),
                    "1 mouth shows for a single frame (line 2): pasted unchanged / a tab where a "
                    "space belongs on line 4: "
                    "left out"},
        OutcomeCase{"letters the set does not know are left out once",
                    "MohoSwitch1\n1 X\n2 A\n3 B\n", choose(Target::TimeRemap),
                    "letter mouth shapes (A, B and X) as phoneme names on 3 lines (2, 3, 4): "
                    "left out / 2 mouths show for a single frame (lines 2, 3): pasted unchanged"},
        OutcomeCase{"a shift before frame 0", "MohoSwitch1\n1 rest\n2 AI\n9 E\n",
                    choose(Target::Position, {}, -5),
                    "1 mouth shows for a single frame (line 2): pasted unchanged / keys shifted "
                    "before frame 0 (the "
                    "first at frame 1) on line 2: left out"}));

struct NumberCase {
    double value;
    const char* text;
};

class KeyNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(KeyNumber, hasSixSignificantDigitsAndNoExponent) {
    EXPECT_EQ(keyNumberText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, KeyNumber,
    testing::Values(NumberCase{0.5 / 24, "0.0208333"}, NumberCase{1.5 / 24, "0.0625"},
                    NumberCase{3, "3"}, NumberCase{0, "0"}, NumberCase{-0.0, "0"},
                    NumberCase{10.0 / 3, "3.33333"}, NumberCase{0.0005, "0.0005"},
                    NumberCase{1.23456789e-7, "0.000000123457"}, NumberCase{100.5, "100.5"},
                    NumberCase{1234567, "1234567"}));

struct ChartCase {
    const char* what;
    std::string text;
    std::string drawings; // "rest | AI TH", or "none"
    std::string findings = {};
    friend void PrintTo(const ChartCase& c, std::ostream* os) { *os << c.what; }
};

std::string drawingsText(const std::optional<MouthChart>& chart) {
    if (!chart) {
        return "none";
    }
    std::string text;
    for (const auto& names : chart->drawings()) {
        text += text.empty() ? "" : " | ";
        for (std::size_t i = 0; i < names.size(); ++i) {
            text += (i ? " " : "") + names[i];
        }
    }
    return text;
}

class ChartReading : public testing::TestWithParam<ChartCase> {};

TEST_P(ChartReading, readsOneDrawingALine) {
    const auto reading = readMouthChart(GetParam().text);
    EXPECT_EQ(drawingsText(reading.chart), GetParam().drawings);
    EXPECT_EQ(findingsText(reading.findings), GetParam().findings);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ChartReading,
    testing::Values(ChartCase{"comments, empty lines, tabs and runs of spaces",
                              "# mouths\n\nrest X # closed\nAI\tA  D\n", "rest X | AI A D"},
                    ChartCase{"a name listed again, once a line", "rest\nAI rest\nE\nAI E\n",
                              "rest | AI rest | E | AI E",
                              "'rest' is listed for an earlier drawing on 2 lines (2, 4)"},
                    ChartCase{"lines numbered as the checks number them", "rest\r\n\r\nAI AI\r\n",
                              "rest | AI AI", "'AI' is listed for an earlier drawing on line 3"},
                    ChartCase{"only comments", "# nothing\n\n  # here\n", "none",
                              "the mouth chart lists no drawing"},
                    ChartCase{"nothing", "", "none", "the mouth chart lists no drawing"}));

TEST(MouthChart, aSetsDrawingsAreItsValuesInOrder) {
    EXPECT_EQ(drawingsText(MouthChart::ofSet(0)),
              "rest | AI TH CH D K | E | L | FV | MBP | O | U | WQ | etc");
    EXPECT_EQ(drawingsText(MouthChart::ofSet(1)),
              "rest | E etc D K | U | AI | O | WQ | L MBP | FV | TH | CH");
    EXPECT_EQ(MouthChart::ofSet(-1), MouthChart::ofSet(0));
    for (int set = 0; set < static_cast<int>(phonemeSets.size()); ++set) {
        const MouthChart chart = MouthChart::ofSet(set);
        EXPECT_TRUE(chart.text().starts_with("#"));
        const auto reading = readMouthChart(chart.text());
        EXPECT_EQ(reading.chart, chart) << set;
        EXPECT_TRUE(reading.findings.empty());
    }
}

struct DrawingCase {
    const char* name;
    bool letters;
    std::optional<std::size_t> drawing;
};

class ChartDrawing : public testing::TestWithParam<DrawingCase> {};

// PowerHouse's chart, where D and AI, E and O are different drawings.
TEST_P(ChartDrawing, isTheDrawingOfTheNameAsTheConverterReadsIt) {
    EXPECT_EQ(MouthChart::ofSet(1).drawingOf(GetParam().name, GetParam().letters),
              GetParam().drawing);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ChartDrawing,
    testing::Values(DrawingCase{"AI", false, 3}, DrawingCase{"D", false, 1},
                    DrawingCase{"D", true, 3}, DrawingCase{"E", true, 4}, DrawingCase{"A", true, 6},
                    DrawingCase{"A", false, std::nullopt}, DrawingCase{"\xE2\x84\xAA", false, 1},
                    DrawingCase{"ai", true, std::nullopt}, DrawingCase{"X", true, 0}));

TEST(MouthChart, aListedLetterShowsItsOwnDrawing) {
    const MouthChart chart({{"X", "rest"}, {"A"}, {"MBP"}});
    EXPECT_EQ(chart.drawingOf("A", true), 1u);
    EXPECT_EQ(chart.drawingOf("A", false), 1u);
    EXPECT_EQ(chart.drawingOf("MBP", true), 2u);
}

TEST(Targets, namesAndTitles) {
    for (const Target target : targets) {
        EXPECT_EQ(targetNamed(targetName(target)), target);
    }
    EXPECT_EQ(targetName(Target::TimeRemap), "time-remap");
    EXPECT_EQ(targetTitle(Target::SliderControl), "Slider Control");
    EXPECT_EQ(targetNamed("Position"), std::nullopt);
}

} // namespace
