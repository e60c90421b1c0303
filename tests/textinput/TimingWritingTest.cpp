// Every format Mouthkey writes, read back by its own reader to the same cues.
#include "conversion/TimingWriting.h"
#include "conversion/FrameTime.h"
#include "conversion/MappingTables.h"
#include "textinput/TimingFormats.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace mouthkey;

namespace {

double rateOf(const char* title) {
    return framesPerSecond(*FrameRate::fromText(title));
}

std::vector<std::pair<std::uint64_t, std::string>> framesAndNames(const std::vector<Cue>& cues) {
    std::vector<std::pair<std::uint64_t, std::string>> pairs;
    for (const Cue& cue : cues) {
        pairs.emplace_back(cue.frame, cue.name);
    }
    return pairs;
}

// Cues in frame order from frame 1 on or from far out, a few frames or
// thousands apart.
std::vector<Cue> randomCues(std::mt19937_64& random) {
    std::vector<std::string> names(phonemeKeys.begin(), phonemeKeys.end());
    for (const LetterShape& shape : letterShapes) {
        names.emplace_back(shape.letter);
    }
    const std::uint64_t widest = std::uniform_int_distribution<int>(0, 2)(random) == 0 ? 3 : 5000;
    std::uint64_t frame = std::uniform_int_distribution<int>(0, 1)(random) == 0
                              ? 1
                              : std::uniform_int_distribution<std::uint64_t>(2, 1ULL << 40)(random);
    std::vector<Cue> cues(std::uniform_int_distribution<std::size_t>(0, 40)(random));
    for (Cue& cue : cues) {
        cue.frame = frame;
        cue.name = names[std::uniform_int_distribution<std::size_t>(0, names.size() - 1)(random)];
        frame += std::uniform_int_distribution<std::uint64_t>(1, widest)(random);
    }
    return cues;
}

struct WrittenCase {
    const TimingFormat* format;
    const char* rate;
    bool crlf;
    friend void PrintTo(const WrittenCase& c, std::ostream* os) {
        *os << c.format->name << " at " << c.rate << (c.crlf ? ", CR LF" : ", LF");
    }
};

std::vector<WrittenCase> writtenCases() {
    std::vector<WrittenCase> cases;
    for (const TimingFormat* format : writtenFormats()) {
        for (const char* rate :
             {"24", "25", "29.97", "30", "60", "23.976", "59.97", "1", "7.5", "47.952", "1000"}) {
            cases.push_back({format, rate, false});
            cases.push_back({format, rate, true});
        }
    }
    return cases;
}

class WrittenText : public testing::TestWithParam<WrittenCase> {};

TEST_P(WrittenText, readsBackToTheSameCuesAndStyle) {
    const WrittenCase& c = GetParam();
    std::mt19937_64 random(std::hash<std::string>()(std::string(c.format->name) + c.rate));
    const std::vector<std::string> headers{"MohoSwitch1", "take 12, v2", "1 rest", " "};
    for (int round = 0; round < 60; ++round) {
        const std::vector<Cue> cues = randomCues(random);
        TimingTextStyle style;
        style.header = headers[static_cast<std::size_t>(round) % headers.size()];
        style.crlf = c.crlf;
        style.framesPerSecond = rateOf(c.rate);
        const std::string text = c.format->write(cues, style);
        const Take take = c.format->read(text);
        ASSERT_TRUE(take.findings.empty()) << text;
        EXPECT_EQ(framesAndNames(takeCues(take, 0, style.framesPerSecond)), framesAndNames(cues))
            << text;
        const TimingTextStyle found = styleOfText(text);
        if (!text.empty()) {
            EXPECT_EQ(found.crlf, c.crlf);
        }
        if (c.format->streams) {
            EXPECT_EQ(found.header, style.header);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WrittenText, testing::ValuesIn(writtenCases()));

struct SecondsCase {
    std::uint64_t frame;
    const char* rate;
    const char* text;
};

class SecondsText : public testing::TestWithParam<SecondsCase> {};

// The fewest decimals that land on the frame, a point always written.
TEST_P(SecondsText, isTheShortestTimeOnTheFrame) {
    EXPECT_EQ(secondsText(GetParam().frame, rateOf(GetParam().rate)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Frames, SecondsText,
                         testing::Values(SecondsCase{1, "24", "0.0"}, SecondsCase{2, "24", "0.05"},
                                         SecondsCase{3, "24", "0.1"}, SecondsCase{25, "24", "1.0"},
                                         SecondsCase{2, "25", "0.04"}, SecondsCase{26, "25", "1.0"},
                                         // Frame 4 starts at 0.1001 s, just past 0.1.
                                         SecondsCase{4, "29.97", "0.11"},
                                         SecondsCase{2, "1000", "0.001"},
                                         SecondsCase{4, "1", "3.0"}, SecondsCase{0, "24", "0.0"}));

struct StyleCase {
    const char* what;
    std::string text;
    std::string header;
    bool crlf;
    friend void PrintTo(const StyleCase& c, std::ostream* os) { *os << c.what; }
};

class StyleOfText : public testing::TestWithParam<StyleCase> {};

TEST_P(StyleOfText, findsTheHeaderAndLineEndsTheReadersFind) {
    const TimingTextStyle style = styleOfText(GetParam().text);
    EXPECT_EQ(style.header, GetParam().header);
    EXPECT_EQ(style.crlf, GetParam().crlf);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StyleOfText,
    testing::Values(StyleCase{"LF", "Take 3\n1 rest\n", "Take 3", false},
                    StyleCase{"CR LF after empty lines", "\r\n\r\nTake 3\r\n1 rest\r\n", "Take 3",
                              true},
                    StyleCase{"a header cut at a lone CR", "Take\r3\n1 rest\n", "Take", false},
                    StyleCase{"a header past the first piece read",
                              std::string(5000, '\n') + std::string(5000, 'h') + "\n1 rest\n",
                              std::string(5000, 'h'), false},
                    StyleCase{"one line without an end", "Take 3", "Take 3", false},
                    StyleCase{"nothing", "", "MohoSwitch1", false}));

} // namespace
