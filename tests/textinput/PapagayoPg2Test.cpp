#include "textinput/PapagayoPg2.h"

#include "conversion/DocumentWriter.h"
#include "conversion/PapagayoPgo.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace mouthkey {
namespace {

using K = Finding::Kind;

struct Pg2Case {
    const char* name;
    std::string text;
    std::vector<std::string> dats; // per voice, after the header
    // kind, first line, column
    std::vector<std::tuple<Finding::Kind, std::uint64_t, std::uint64_t>> findings;
};

class PapagayoPg2Shapes : public testing::TestWithParam<Pg2Case> {};

TEST_P(PapagayoPg2Shapes, ReadsTheVoicesAndFindsWhatIsWrong) {
    const Take take = readPapagayoPg2(GetParam().text);
    ASSERT_EQ(take.voices.size(), GetParam().dats.size());
    for (std::size_t i = 0; i < take.voices.size(); ++i) {
        EXPECT_EQ(datText(take.voices[i].cues), "MohoSwitch1\n" + GetParam().dats[i]) << i;
    }
    std::vector<std::tuple<Finding::Kind, std::uint64_t, std::uint64_t>> found;
    for (const Finding& f : take.findings) {
        found.emplace_back(f.kind, f.lines.first[0], f.column);
    }
    EXPECT_EQ(found, GetParam().findings);
}

// One voice whose one word's phonemes are `phonemes`, each object on a line of its own.
std::string project(const std::string& phonemes, const std::string& extra = "") {
    return "{\"version\": 2, \"fps\": 24, \"num_voices\": 1," + extra +
           "\n \"voices\": [{\"name\": \"Ann\", \"phrases\": [\n"
           "  {\"text\": \"Hi\", \"start_frame\": 2, \"end_frame\": 8, \"words\": [\n"
           "   {\"text\": \"Hi\", \"start_frame\": 2, \"end_frame\": 8, \"phonemes\": [\n" +
           phonemes + "]}]}]}]}";
}

const std::string etcAi =
    "    {\"text\": \"etc\", \"frame\": 2},\n    {\"text\": \"AI\", \"frame\": 5}";

INSTANTIATE_TEST_SUITE_P(
    Shapes, PapagayoPg2Shapes,
    testing::Values(
        Pg2Case{"OneVoice", project(etcAi), {"1 rest\n3 etc\n6 AI\n10 rest\n"}, {}},
        // At the offset the parser gives, just past what it could not take.
        Pg2Case{"MalformedAtItsLineAndColumn",
                "{\"fps\": 24,\n \"voices\": [,]}",
                {""},
                {{K::MalformedText, 2, 14}}},
        Pg2Case{"NotAnObject", "[1, 2]", {""}, {{K::MalformedText, 1, 1}}},
        Pg2Case{"VoiceCountDisagrees",
                project(etcAi, " \"num_voices\": 2,"),
                {"1 rest\n3 etc\n6 AI\n10 rest\n"},
                {{K::CountsDisagree, 1, 58}}},
        Pg2Case{"BadFramesLeftOut",
                project("    {\"text\": \"etc\", \"frame\": \"2\"},\n"
                        "    {\"text\": \"E\", \"frame\": 3.5},\n"
                        "    {\"text\": \"O\"},\n"
                        "    7,\n"
                        "    {\"text\": \"AI\", \"frame\": 5}"),
                {"1 rest\n6 AI\n10 rest\n"},
                {{K::UnreadableLine, 6, 5}, {K::TimeNotANumber, 5, 5}}},
        Pg2Case{"NegativeFrame",
                project("    {\"text\": \"E\", \"frame\": -4}, {\"text\": \"AI\", \"frame\": 5}"),
                {"1 rest\n6 AI\n10 rest\n"},
                {{K::NegativeTime, 5, 5}}},
        // A key given twice keeps its last value, and the places follow it.
        Pg2Case{"KeyGivenTwice",
                "{\"fps\": 24, \"voices\": [{\"name\": \"Old\"}],\n"
                " \"voices\": [{\"name\": \"Ann\", \"phrases\": [{\"start_frame\": 0, "
                "\"end_frame\": 2,\n"
                " \"words\": [{\"phonemes\": [{\"text\": \"E\", \"frame\": \"x\"}]}]}]}]}",
                {"1 \n4 rest\n"},
                {{K::UnreadableLine, 3, 12}, {K::TimeNotANumber, 3, 26}}}),
    [](const testing::TestParamInfo<Pg2Case>& info) { return info.param.name; });

// Lines are numbered as the checks number them: a LINE SEPARATOR in a string
// ends a line too.
TEST(PapagayoPg2, PlacesCountLinesAsTheChecksDo) {
    const Take take = readPapagayoPg2(project(
        "    {\"text\": \"etc\", \"frame\": 2},\n    {\"text\": \"A\xE2\x80\xA8I\", \"frame\": "
        "5}, {\"text\": \"O\", \"frame\": 7}"));
    ASSERT_EQ(take.voices[0].cues.size(), 5u);
    EXPECT_EQ(take.voices[0].cues[0].place, (CuePlace{3, 3})); // the leading rest: the phrase
    EXPECT_EQ(take.voices[0].cues[1].place, (CuePlace{5, 5}));
    EXPECT_EQ(take.voices[0].cues[2].place, (CuePlace{6, 5}));
    EXPECT_EQ(take.voices[0].cues[3].place, (CuePlace{7, 18}));
}

std::string document(std::string_view dat) {
    std::string out;
    DocumentWriter writer(0, FrameRate(0), [&](std::string_view s) { out.append(s); });
    writer.feed(dat);
    writer.finish();
    return out;
}

// The same project saved as .pgo and as .pg2 gives the same take, and
// converting it gives the documents of the tool's .dat export of each voice.
TEST(PapagayoPg2, SameProjectAsPgoGivesTheSameTake) {
    const QByteArray pg2 = test::readSample("two-voices.pg2");
    const QByteArray pgo = test::readSample("two-voices.pgo");
    const Take fromPg2 = readPapagayoPg2(std::string_view(pg2.data(), pg2.size()));
    const Take fromPgo = readPapagayoPgo(std::string_view(pgo.data(), pgo.size()));
    EXPECT_TRUE(fromPg2.findings.empty());
    EXPECT_EQ(fromPg2.framesPerSecond, fromPgo.framesPerSecond);
    EXPECT_EQ(fromPg2.framesPerSecondText, fromPgo.framesPerSecondText);
    EXPECT_EQ(fromPg2.soundFile, fromPgo.soundFile);
    ASSERT_EQ(fromPg2.voices.size(), 2u);
    ASSERT_EQ(fromPgo.voices.size(), 2u);
    const char* exports[] = {"two-voices-ann.dat", "two-voices-bob.dat"};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(fromPg2.voices[i].name, fromPgo.voices[i].name);
        EXPECT_EQ(datText(fromPg2.voices[i].cues), datText(fromPgo.voices[i].cues));
        const QByteArray dat = test::readSample(exports[i]);
        EXPECT_EQ(document(datText(fromPg2.voices[i].cues)),
                  document(std::string_view(dat.data(), dat.size())));
    }
}

} // namespace
} // namespace mouthkey
