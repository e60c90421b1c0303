#include "conversion/TimingCheck.h"

#include "conversion/DataLineConversion.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/Targets.h"

#include "ReferenceConversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

using namespace mouthkey;

namespace {

// Every finding as "text; hint", joined by " / ", for a text fed in chunks.
std::string findingsOf(std::string_view text, std::size_t chunkSize, bool letters = false) {
    TimingChecker checker(letters);
    for (std::size_t at = 0; at < text.size(); at += chunkSize) {
        checker.feed(text.substr(at, chunkSize));
    }
    std::string out;
    for (const Finding& f : checker.finish().findings) {
        const std::string hint = findingHint(f);
        out += (out.empty() ? "" : " / ") + findingText(f) + (hint.empty() ? "" : "; " + hint);
    }
    return out;
}

struct CheckCase {
    const char* what;
    std::string input;
    std::string findings;
    bool letters = false; // read as the converter reads them with --letters
    friend void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.what; }
};

class TimingChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(TimingChecks, findEverythingThatWillNotAnimate) {
    const auto& c = GetParam();
    EXPECT_EQ(findingsOf(c.input, c.input.size() + 1, c.letters), c.findings);
    // Line numbers must not depend on where the chunks are cut.
    EXPECT_EQ(findingsOf(c.input, 1, c.letters), c.findings);
    EXPECT_EQ(findingsOf(c.input, 7, c.letters), c.findings);
}

INSTANTIATE_TEST_SUITE_P(
    Findings, TimingChecks,
    testing::Values(
        CheckCase{"a clean file", "MohoSwitch1\n1 rest\n5 MBP\n9 AI\n", ""},
        CheckCase{"unknown name in another case, across separator kinds",
                  "h\r\n1 ai\r\n\r\n3 AI\v5 ai\xE2\x80\xA8"
                  "7 ai\n9 ai",
                  "unknown phoneme 'ai' on 4 lines (2, 5, 6, \xE2\x80\xA6); did you mean 'AI'?"},
        CheckCase{"letter mouth shapes are one finding, before the unknown names",
                  "h\n1 X\n2 zz\n3 B\n4 D\n5 X\n6 A\n7 H\n",
                  "letter mouth shapes (A, B, H and X) as phoneme names on 5 lines (2, 4, 6, "
                  "\xE2\x80\xA6); its D is read as the phoneme D, not as a letter; they can be "
                  "read as letter mouth shapes instead (A as MBP, B as etc, C as E, D as AI, E as "
                  "O, F as U, G as FV, H as L, X as rest) / unknown phoneme 'zz' on line 3 / 6 "
                  "mouths show for a single frame (lines 2, 3, 4, \xE2\x80\xA6); hold each mouth "
                  "for two frames at least"},
        CheckCase{"one letter alone is an unknown name, in its place",
                  "h\n1 qq\n2 X\n3 rr\n4 E\n5 X\n",
                  "unknown phoneme 'qq' on line 2 / unknown phoneme 'X' on 2 lines (3, 6) / "
                  "unknown phoneme 'rr' on line 4 / 4 mouths show for a single frame (lines 2, "
                  "3, 4, \xE2\x80\xA6); hold each mouth for two frames at least"},
        CheckCase{"a few letters among more phoneme names are unknown names",
                  "h\n1 rest\n2 B\n3 X\n4 MBP\n5 E\n6 AI\n7 B\n8 O\n9 U\n",
                  "unknown phoneme 'B' on 2 lines (3, 8) / unknown phoneme 'X' on line 4 / 8 "
                  "mouths show for a single frame (lines 2, 3, 4, \xE2\x80\xA6); hold each mouth "
                  "for two frames at least"},
        CheckCase{
            "with letters, all nine are known", "h\n1 X\n2 B\n3 D\n4 E\n5 ai\n",
            "unknown phoneme 'ai' on line 6; did you mean 'AI'? / 4 mouths show for a "
            "single frame (lines 2, 3, 4, \xE2\x80\xA6); hold each mouth for two frames at least",
            true},
        CheckCase{"frames not whole, and going backwards",
                  "h\n1 AI\nfive E\n1.5 O\n1052 U\n1040 K\n",
                  "frames that are not whole numbers, such as 'five', on 2 lines (3, 4) / frames "
                  "go backwards (1,052 then 1,040) on line 6"},
        CheckCase{"lines that are not FRAME PHONEME", "h\n1\tAI\nrest\n12\n3  E\n4 E O\n",
                  "a tab where a space belongs on line 2; only a space separates a frame from its "
                  "phoneme / a phoneme without a frame on line 3 / a frame without a phoneme on "
                  "line 4 / extra spaces on line 5 / more than a frame and a phoneme on line 6"},
        CheckCase{"a header that is a keyframe", "1 rest\n5 MBP\n",
                  "the header line '1 rest' looks like a keyframe (line 1); the first line of a "
                  "timing file is its header; add one above the first keyframe"},
        CheckCase{"UTF-16 read without its mark", std::string("h\0\n\0001\0 \0A\0I\0", 12),
                  "NUL characters on 2 lines (1, 2); the file is probably UTF-16 without a "
                  "byte-order mark; save it as UTF-8 / unknown phoneme '?A?I?' on line 2 / frame "
                  "'?1?' is not a whole number on line 2"},
        CheckCase{"negative frames", "h\n-5 rest\n1 AI\n-1.5 E\n-12 O\n-7\n",
                  "frame '-1.5' is not a whole number on line 4 / negative frames, such as '-5', "
                  "on 2 lines (2, 5) / a frame without a phoneme on line 6"},
        CheckCase{"keyframes on the frame of the one before",
                  "h\n1 AI\n1234 E\n1234 O\nx U\n1234 U\n1235 rest\n1235 E\n",
                  "frame 'x' is not a whole number on line 5 / two keyframes on one frame (1,234) "
                  "on 3 lines (4, 6, 8) / 1 mouth shows for a single frame (line 6); hold each "
                  "mouth for two frames at least"},
        CheckCase{"swapped letters, in any case", "h\n1 MPB\n2 ia\n3 rset\n4 PBM\n5 MBPP\n6 Ia\n",
                  "unknown phoneme 'MPB' on line 2; did you mean 'MBP'? / unknown phoneme 'ia' on "
                  "line 3; did you mean 'AI'? / unknown phoneme 'rset' on line 4; did you mean "
                  "'rest'? / unknown phoneme 'PBM' on line 5 / unknown phoneme 'MBPP' on line 6 / "
                  "unknown phoneme 'Ia' on line 7; did you mean 'AI'? / 5 mouths show for a single "
                  "frame (lines 2, 3, 4, \xE2\x80\xA6); hold each mouth for two frames at least"},
        CheckCase{
            "an excerpt cut at a character boundary", "h\n" + std::string(39, '1') + "\xC3\xA9 E\n",
            "frame '" + std::string(39, '1') + "\xE2\x80\xA6' is not a whole number on line 2"},
        CheckCase{"a keyframe document",
                  "\n" + assembleDocument(headertop, rateLine(0), headerbottom,
                                          convertDataLines("h\n1 AI\n2 ai\n", buildMapping(0)),
                                          footer),
                  "the file is a keyframe document, not a timing file (header 'Adobe After "
                  "Effects 8.0 Keyframe Data' on line 2); convert the timing file it was made "
                  "from instead"},
        CheckCase{"a keyframe document of another version",
                  "Adobe After Effects 6.5 Keyframe Data \r\n\tUnits Per Second\t30\r\n",
                  "the file is a keyframe document, not a timing file (header 'Adobe After "
                  "Effects 6.5 Keyframe Data ' on line 1); convert the timing file it was made "
                  "from instead"},
        CheckCase{"no keyframes", "\n\nMohoSwitch1\n\n", "no keyframes after the header line"},
        CheckCase{"no line at all", "", "the file is empty"},
        CheckCase{"only line separators", "\n\r\n\v\xE2\x80\xA8\r", "the file is empty"}));

TEST(TimingChecks, aNameIsMeantAsAKeyOnlyWhenNoOtherFits) {
    constexpr std::array<std::string_view, 3> keys{"TH", "HT", "rest"};
    EXPECT_FALSE(meantKey("th", keys)); // TH in another case, HT swapped
    EXPECT_EQ(meantKey("Rest", keys)->hint, Finding::Hint::DifferentCase);
    EXPECT_EQ(meantKey("rset", keys)->hint, Finding::Hint::SwappedLetters);
}

TEST(TimingChecks, memoryStaysBoundedOnManyDistinctUnknownNames) {
    std::string text = "h\n";
    for (int i = 0; i < 100000; ++i) {
        text += std::to_string(i) + " name" + std::to_string(i) + "\n";
    }
    const TimingReport report = checkTimingText(text);
    // The names, the rest of them, and each mouth held for one frame.
    ASSERT_EQ(report.findings.size(), TimingChecker::namesListed + 2);
    const Finding& others = report.findings[TimingChecker::namesListed];
    EXPECT_EQ(others.kind, Finding::Kind::OtherUnknownPhonemes);
    EXPECT_EQ(report.findings.back().kind, Finding::Kind::SingleFrameMouths);
    EXPECT_EQ(report.unknownNameLines(), 100000u);
    EXPECT_EQ(findingText(others),
              "more unknown phoneme names on 99,992 lines (10, 11, 12, \xE2\x80\xA6)");
}

TEST(TimingChecks, framesOfEveryLengthAreReadAsWholeNumbers) {
    std::mt19937_64 rng(3);
    for (int round = 0; round < 2000; ++round) {
        const auto digits = static_cast<int>(rng() % 20) + 1;
        std::string frame;
        for (int i = 0; i < digits; ++i) {
            frame += static_cast<char>('0' + rng() % 10);
        }
        const std::uint64_t expected =
            digits < 20 ? std::stoull(frame) : std::numeric_limits<std::uint64_t>::max();
        // Short and long lines take different paths through the frame parser.
        for (const char* name : {" E", " rest"}) {
            const TimingReport report = checkTimingText("h\n" + frame + name + "\n");
            ASSERT_EQ(report.summary.lastFrame, expected) << frame << name;
            ASSERT_TRUE(report.findings.empty()) << frame << name;
        }
        const std::string notWhole = frame + (round % 2 ? "x" : ".5");
        EXPECT_EQ(checkTimingText("h\n" + notWhole + " rest\n").findings.size(), 1u) << notWhole;
    }
}

TEST(TimingChecks, summaryNamesCountFramesAndDurationAtTheRate) {
    std::string text = "h\n1 rest\n";
    for (int frame = 10; frame < 3204; frame += 10) {
        text += std::to_string(frame) + " AI\n";
    }
    text += "3204 rest\n";
    const TimingSummary summary = checkTimingText(text).summary;
    EXPECT_EQ(summaryText(summary, 0), "322 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                                       "3,204 \xC2\xB7 2:13.5 at 24 fps");
    EXPECT_EQ(summaryText(summary, 1), "322 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                                       "3,204 \xC2\xB7 1:46.9 at 29.97 fps");
    EXPECT_EQ(summaryText(summary, *FrameRate::fromText("23.976")),
              "322 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
              "3,204 \xC2\xB7 2:13.6 at 23.976 fps");
    EXPECT_EQ(summaryText(checkTimingText("h\n90000 E\n").summary, 6),
              "1 keyframe \xC2\xB7 frame 90,000 \xC2\xB7 3:07:30.0 at 8 fps");
    EXPECT_EQ(summaryText(checkTimingText("h").summary, 0), "0 keyframes");
    // A locale's separators, as the window passes them.
    const NumberFormat german{".", ","};
    EXPECT_EQ(summaryText(checkTimingText("h\n1 E\n1234567 E\n").summary, 0, german),
              "2 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
              "1.234.567 \xC2\xB7 14:17:20,3 at 24 fps");
    EXPECT_EQ(summaryText(checkTimingText("h\n1 E\n1234567 E\n").summary, 0, {"", "."}),
              "2 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
              "1234567 \xC2\xB7 14:17:20.3 at 24 fps");
}

// `count` lines of rising frames from `from`, the usual kind read in bulk.
std::string risingLines(std::uint64_t from, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::to_string(from + static_cast<std::uint64_t>(i)) + " MBP\n";
    }
    return text;
}

struct SummaryCase {
    const char* what;
    std::string input;
    std::string summary; // at 24 fps
    bool cues = true;    // its data lines, fed as cues, give the same
    friend void PrintTo(const SummaryCase& c, std::ostream* os) { *os << c.what; }
};

class TimingSummaries : public testing::TestWithParam<SummaryCase> {};

// Whole, in small chunks, cut after the header (so that a long text's first
// frames are read in bulk) and line by line as cues.
TEST_P(TimingSummaries, giveTheTakesFirstAndLastFrameInTime) {
    const auto& c = GetParam();
    const std::string_view text = c.input;
    EXPECT_EQ(summaryText(checkTimingText(text).summary, 0), c.summary);
    const std::size_t bodyAt = text.find('\n') + 1;
    TimingChecker afterHeader;
    afterHeader.feed(text.substr(0, bodyAt));
    afterHeader.feed(text.substr(bodyAt));
    EXPECT_EQ(summaryText(afterHeader.finish().summary, 0), c.summary) << "cut after the header";
    TimingChecker cut;
    for (std::size_t at = 0; at < text.size(); at += 7) {
        cut.feed(text.substr(at, 7));
    }
    EXPECT_EQ(summaryText(cut.finish().summary, 0), c.summary) << "in small chunks";
    if (c.cues) {
        TimingChecker checker;
        std::uint64_t number = 1;
        for (std::size_t at = bodyAt; at < text.size(); ++number) {
            const std::size_t end = text.find('\n', at);
            const std::string_view line = text.substr(at, end - at);
            const std::size_t space = line.find(' ');
            checker.feedLine(number + 1, line.substr(0, space), line.substr(space + 1));
            at = end + 1;
        }
        EXPECT_EQ(summaryText(checker.finish().summary, 0), c.summary) << "as cues";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, TimingSummaries,
    testing::Values(
        SummaryCase{"frames going backwards", "MohoSwitch1\n1000000 rest\n1 MBP\n",
                    "2 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                    "1,000,000 \xC2\xB7 11:34:26.7 at 24 fps"},
        SummaryCase{"the lowest frame in the middle", "h\n10 rest\n3 AI\n20 E\n",
                    "3 keyframes \xC2\xB7 frames 3\xE2\x80\x93"
                    "20 \xC2\xB7 0:00.8 at 24 fps"},
        SummaryCase{"runs read in bulk, the highest ending the first and the lowest in the middle",
                    "h\n" + risingLines(300, 60) + risingLines(7, 60) + risingLines(100, 60),
                    "180 keyframes \xC2\xB7 frames 7\xE2\x80\x93"
                    "359 \xC2\xB7 0:15.0 at 24 fps"},
        SummaryCase{"a run read in bulk, then the lowest frame",
                    "h\n" + risingLines(1000000, 40) + "1 rest\n",
                    "41 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                    "1,000,039 \xC2\xB7 11:34:28.3 at 24 fps"},
        SummaryCase{"a keyframe document, whose lines are no keyframes",
                    assembleDocument(headertop, rateLine(0), headerbottom,
                                     convertDataLines("h\n1 AI\n5 E\n", buildMapping(0)), footer),
                    "0 keyframes", false}));

struct SingleFrameCase {
    const char* what;
    std::vector<std::string> lines; // after a header, from line 2
    std::string finding;            // its text, or "" for none
    bool cues = true;               // the lines can also be fed as cues
    friend void PrintTo(const SingleFrameCase& c, std::ostream* os) { *os << c.what; }
};

class SingleFrameMouths : public testing::TestWithParam<SingleFrameCase> {};

const Finding* singleFrameFinding(const TimingReport& report) {
    const auto found =
        std::find_if(report.findings.begin(), report.findings.end(),
                     [](const Finding& f) { return f.kind == Finding::Kind::SingleFrameMouths; });
    return found == report.findings.end() ? nullptr : &*found;
}

LineSample singleFrameLines(const TimingReport& report, std::uint64_t linesBefore = 0) {
    LineSample lines;
    if (const Finding* f = singleFrameFinding(report)) {
        lines = f->lines;
        for (std::uint64_t& line : lines.first) {
            line -= line ? linesBefore : 0;
        }
    }
    return lines;
}

// A frame moved on by `by`, and the rest of the line as it was.
std::string movedOn(const std::string& line, std::uint64_t by) {
    const std::size_t digits = line.find_first_not_of("0123456789");
    if (digits == 0 || digits > 18) {
        return line; // no frame, or one that saturates
    }
    return std::to_string(std::stoull(line.substr(0, digits)) + by) + line.substr(digits);
}

// Short, the lines go the long way, whole or a byte at a time; set among
// usual lines after a long run of them, the block lane takes them; as lines
// and cues, the readers of other formats feed them. All find the same.
TEST_P(SingleFrameMouths, areTheCuesTheNextOfAnotherNameFollowsAFrameLater) {
    const SingleFrameCase& c = GetParam();
    std::string text = "h\n";
    for (const std::string& line : c.lines) {
        text += line + "\n";
    }
    const TimingReport report = checkTimingText(text);
    const Finding* found = singleFrameFinding(report);
    EXPECT_EQ(found ? findingText(*found) : "", c.finding);
    if (found) {
        EXPECT_EQ(findingOutcome(*found), "pasted unchanged");
        EXPECT_TRUE(isAdvice(found->kind));
    }
    const LineSample expected = singleFrameLines(report);
    TimingChecker bytes;
    for (const char b : text) {
        bytes.feed(std::string_view(&b, 1));
    }
    EXPECT_EQ(singleFrameLines(bytes.finish()), expected) << "a byte at a time";

    // Runs of one name, two frames apart, around the lines moved on past them.
    constexpr std::uint64_t before = 60;
    std::string inBulk = "h\n";
    for (std::uint64_t i = 1; i <= before; ++i) {
        inBulk += std::to_string(2 * i) + " rest\n";
    }
    for (const std::string& line : c.lines) {
        inBulk += movedOn(line, 1000) + "\n";
    }
    for (std::uint64_t i = 0; i < 20; ++i) {
        inBulk += std::to_string(5000 + 2 * i) + " rest\n";
    }
    EXPECT_EQ(singleFrameLines(checkTimingText(inBulk), before), expected) << "in bulk";

    if (c.cues) {
        TimingChecker lines;
        TimingChecker cues;
        std::uint64_t number = 2;
        for (const std::string& line : c.lines) {
            const std::size_t space = line.find(' ');
            const std::string frame = line.substr(0, space);
            lines.feedLine(number, frame, line.substr(space + 1));
            cues.feedCue(number, *wholeFrame(frame), line.substr(space + 1));
            ++number;
        }
        EXPECT_EQ(singleFrameLines(lines.finish()), expected) << "as lines";
        EXPECT_EQ(singleFrameLines(cues.finish()), expected) << "as cues";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Holds, SingleFrameMouths,
    testing::Values(
        SingleFrameCase{"a step of one frame each, the last cue aside",
                        {"1 AI", "2 E", "3 O", "4 U", "5 MBP"},
                        "4 mouths show for a single frame (lines 2, 3, 4, \xE2\x80\xA6)"},
        SingleFrameCase{
            "one", {"1 rest", "2 AI", "6 E"}, "1 mouth shows for a single frame (line 2)"},
        SingleFrameCase{"the same name again is no flicker", {"1 AI", "2 AI", "3 AI", "7 E"}, ""},
        SingleFrameCase{"frames going backwards or shared",
                        {"10 AI", "5 E", "5 O", "6 rest", "99999999999999999999 E", "0 O", "20 E"},
                        "1 mouth shows for a single frame (line 4)"},
        SingleFrameCase{"lines that go the long way among them",
                        {"1 rest", "2 AI", "3\tE", "4 O", "5 E", "6 E  ", "6 rest", "9 MBP"},
                        "3 mouths show for a single frame (lines 2, 5, 6)",
                        false},
        SingleFrameCase{"names too long to pack, compared whole",
                        {"1 longname1", "2 longname2", "3 longname2", "4 abcdefgh", "5 abcdefghi",
                         "6 abcdefghi", "8 E"},
                        "3 mouths show for a single frame (lines 2, 4, 5)"}));

// Usual lines are read in bulk and the rest one by one: the findings, their
// line numbers and the summary must not depend on which way a line went, nor
// on where the chunks are cut.
void expectSameWholeAndCut(std::string_view text, std::mt19937_64& rng) {
    const TimingReport whole = checkTimingText(text);
    for (const bool singleBytes : {false, true}) {
        TimingChecker checker;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t size = singleBytes || rng() % 4 == 0 ? 1 : rng() % 300;
            checker.feed(text.substr(at, size));
            at += size;
        }
        const TimingReport cut = checker.finish();
        ASSERT_EQ(whole.findings, cut.findings) << testing::PrintToString(text);
        ASSERT_EQ(whole.summary.keyframes, cut.summary.keyframes) << testing::PrintToString(text);
        ASSERT_EQ(whole.summary.firstFrame, cut.summary.firstFrame);
        ASSERT_EQ(whole.summary.lastFrame, cut.summary.lastFrame);
    }
    // Nor on the bulk reading's own idea of a keyframe line: the one rule,
    // applied line by line, finds the same frames.
    const reference::FrameRange byRule = reference::keyFramesByRule(text);
    ASSERT_EQ(whole.summary.firstFrame, byRule.first) << testing::PrintToString(text);
    ASSERT_EQ(whole.summary.lastFrame, byRule.last) << testing::PrintToString(text);
    // And the quick reader of cues takes the same lines, at the same numbers.
    std::vector<std::string> cues;
    for (const Cue& cue : datCues(text)) {
        cues.push_back(std::to_string(cue.frame) + " " + cue.name + "@" +
                       std::to_string(cue.place.line));
    }
    ASSERT_EQ(cues, reference::keyLinesByRule(text)) << testing::PrintToString(text);
}

TEST(TimingChecks, readingInBulkFindsWhatReadingLineByLineFinds) {
    constexpr std::size_t known = 7; // the known names come first
    const std::array<std::string_view, 12> names{"AI", "MBP", "rest",   "etc",    "E",  "FV",
                                                 "WQ", "sil", "closed", "Xylo_1", "ai", "\xC3\xA9"};
    const std::array<std::string_view, 7> separators{"\n",   "\n", "\n",          "\r\n",
                                                     "\r\n", "\r", "\xE2\x80\xA8"};
    const std::array<std::string_view, 9> oddities{"\t", "  ", " ",  "",  std::string_view("\0", 1),
                                                   ".5", "x",  " E", "\v"};
    std::mt19937_64 rng(11);
    for (int round = 0; round < 1500; ++round) {
        std::string text = "MohoSwitch1\n";
        std::uint64_t frame = rng() % 3;
        const auto lines = rng() % 200;
        const bool clean = round % 3 == 0;
        for (std::uint64_t i = 0; i < lines; ++i) {
            // A clean file's frames rise; others repeat one now and then.
            frame += clean ? 1 + rng() % 3 : rng() % 4;
            if (!clean && rng() % 50 == 0) {
                frame = rng() % 40 == 0 ? 12345678901234567890u : frame / 2;
            }
            std::string line = std::to_string(frame) + " " +
                               std::string(names[rng() % (clean ? known : names.size())]);
            if (!clean && rng() % 12 == 0) {
                const std::size_t at = rng() % line.size();
                if (rng() % 3 == 0) {
                    line.erase(at, 1);
                } else {
                    line.insert(at, oddities[rng() % oddities.size()]);
                }
            }
            text += line;
            text += clean ? std::string_view("\n") : separators[rng() % separators.size()];
        }
        const bool unended = rng() % 2 == 0;
        if (unended) {
            text += std::to_string(frame + 1) + " rest"; // no separator at the end
        }
        expectSameWholeAndCut(text, rng);
        if (clean) {
            const std::uint64_t keyframes = lines + (unended ? 1 : 0);
            ASSERT_EQ(checkTimingText(text).summary.keyframes, keyframes);
            ASSERT_EQ(problemCount(checkTimingText(text).findings), keyframes == 0 ? 1u : 0u)
                << testing::PrintToString(text);
        }
    }
}

// Lines that are read one by one, at every place in and across the blocks
// that the usual lines are read in.
TEST(TimingChecks, unusualLinesAreFoundWhereverTheyFall) {
    std::mt19937_64 rng(5);
    // '#' stands for the next frame and '=' for the last one, so that no
    // other line is caught by going backwards or by sharing a frame.
    for (const std::string_view odd :
         {" AI", "#", "# ", "#  AI", "#\tAI", "# AI ", "# A\rI", "# AI\r", "# E", "0# rest",
          "# \xC3\xA9", "-# E", "= E", "# MPB"}) {
        for (std::size_t offset = 0; offset < 140; ++offset) {
            std::uint64_t frame = 0;
            const auto line = [&](std::string_view pattern) {
                std::string text;
                for (const char c : pattern) {
                    text += c == '#'   ? std::to_string(++frame)
                            : c == '=' ? std::to_string(frame)
                                       : std::string(1, c);
                }
                return text;
            };
            // Lines after an unusual one, the header too, go the long way
            // for a few hundred bytes; the bulk reading starts after them.
            std::string text = "h\n";
            for (int i = 0; i < 50; ++i) {
                text += line("# rest\n");
            }
            const std::size_t bulkFrom = text.size();
            text += std::string(offset % 7, '0') + line("# E\n");
            while (text.size() < bulkFrom + offset) {
                text += line("# MBP\n");
            }
            text += line(odd) + "\r\n";
            for (int i = 0; i < 30; ++i) {
                text += line("# rest\r\n");
            }
            expectSameWholeAndCut(text, rng);
            const bool usual = odd == "# E" || odd == "# AI\r" || odd == "0# rest";
            ASSERT_EQ(problemCount(checkTimingText(text).findings) == 0, usual)
                << testing::PrintToString(text);
        }
    }
}

} // namespace
