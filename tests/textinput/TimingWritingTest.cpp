// Every format Mouthkey writes, read back by its own reader to the same cues.
#include "conversion/TimingWriting.h"
#include "conversion/FrameTime.h"
#include "conversion/MappingTables.h"
#include "textinput/TimingFormats.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace mouthkey;

namespace {

std::string framesAndNames(const std::vector<Cue>& cues) {
    std::string text;
    for (const Cue& cue : cues) {
        text += std::to_string(cue.frame) + " " + cue.name + ", ";
    }
    return text;
}

using WrittenCase = std::tuple<std::size_t, const char*, bool>; // format, rate, CR LF

class WrittenText : public testing::TestWithParam<WrittenCase> {};

// Random takes: from frame 1 or from far out, a frame or thousands of frames apart.
TEST_P(WrittenText, readsBackToTheSameCues) {
    const auto [index, rate, crlf] = GetParam();
    const TimingFormat& format = *writtenFormats()[index];
    std::vector<std::string> names(phonemeKeys.begin(), phonemeKeys.end());
    for (const LetterShape& shape : letterShapes) {
        names.emplace_back(shape.letter);
    }
    std::mt19937_64 random(index * 1000 + std::string_view(rate).size() + crlf);
    const auto upTo = [&](std::uint64_t most) {
        return std::uniform_int_distribution<std::uint64_t>(1, most)(random);
    };
    for (const char* header : {"MohoSwitch1", "take 12, v2", "1 rest", " "}) {
        for (int round = 0; round < 15; ++round) {
            std::vector<Cue> cues(upTo(40) - 1);
            std::uint64_t frame = upTo(2) == 1 ? 1 : upTo(1ULL << 40);
            const std::uint64_t widest = upTo(3) == 1 ? 3 : 5000;
            for (Cue& cue : cues) {
                cue = {frame, names[upTo(names.size()) - 1], {}};
                frame += upTo(widest);
            }
            const TimingTextStyle style{header, crlf, framesPerSecond(*FrameRate::fromText(rate))};
            const std::string text = format.write(cues, style);
            const Take take = format.read(text);
            EXPECT_TRUE(take.findings.empty()) << text;
            EXPECT_EQ(framesAndNames(takeCues(take, 0, style.framesPerSecond)),
                      framesAndNames(cues))
                << text;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WrittenText,
                         testing::Combine(testing::Range<std::size_t>(0, writtenFormats().size()),
                                          testing::Values("24", "25", "29.97", "30", "60", "23.976",
                                                          "59.97", "1", "7.5", "1000"),
                                          testing::Bool()));

// The fewest decimals, one at least, that land on the frame.
TEST(SecondsText, isTheShortestTimeOnTheFrame) {
    for (const auto& [frame, rate, text] : std::vector<std::tuple<int, double, std::string>>{
             {1, 24, "0.0"},
             {2, 24, "0.05"},
             {3, 24, "0.1"},
             {25, 24, "1.0"},
             {2, 25, "0.04"},
             {4, 29.97, "0.11"}, // 0.1 falls just before the frame's start, 0.1001
             {2, 1000, "0.001"},
             {4, 1, "3.0"}}) {
        EXPECT_EQ(secondsText(frame, rate), text) << frame << " at " << rate;
    }
}

} // namespace
