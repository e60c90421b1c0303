#include "conversion/PapagayoProject.h"
#include "conversion/DocumentWriter.h"
#include "conversion/PapagayoPgo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace mouthkey {
namespace {

PapagayoWord word(std::int64_t start, std::vector<PapagayoPhoneme> phonemes,
                  std::string text = "w") {
    return {std::move(text), start, start + 4, std::move(phonemes), {}};
}

PapagayoPhrase phrase(std::int64_t start, std::int64_t end, std::vector<PapagayoWord> words,
                      std::string text = "p") {
    return {std::move(text), start, end, std::move(words), {}};
}

struct ExportCase {
    const char* name;
    PapagayoVoice voice;
    const char* dat; // after the header
};

class PapagayoExport : public testing::TestWithParam<ExportCase> {};

TEST_P(PapagayoExport, WritesTheToolsDatExport) {
    EXPECT_EQ(datText(papagayoExportCues(GetParam().voice)),
              std::string("MohoSwitch1\n") + GetParam().dat);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PapagayoExport,
    testing::Values(
        ExportCase{"SpeechFromFrame0",
                   {"v", "", {phrase(0, 6, {word(0, {{0, "E", {}}, {3, "O", {}}})})}, {}},
                   "1 E\n4 O\n8 rest\n"},
        ExportCase{"LeadingRestWhenSpeechStartsLater",
                   {"v", "", {phrase(5, 9, {word(5, {{5, "AI", {}}})})}, {}},
                   "1 rest\n6 AI\n11 rest\n"},
        // A gap between phrases, or phrases that touch, get no cue of their own.
        ExportCase{
            "PauseAndTouchingPhrases",
            {"v",
             "",
             {phrase(2, 6, {word(2, {{2, "E", {}}})}), phrase(20, 24, {word(20, {{20, "O", {}}})}),
              phrase(25, 30, {word(25, {{25, "U", {}}})})},
             {}},
            "1 rest\n3 E\n21 O\n26 U\n32 rest\n"},
        // A rest after another name gets a rest on its own frame too; one
        // after a rest, or the first leaf, does not.
        ExportCase{"ExtraRestWhereAPauseBegins",
                   {"v",
                    "",
                    {phrase(0, 20,
                            {word(0, {{0, "rest", {}},
                                      {4, "E", {}},
                                      {8, "rest", {}},
                                      {9, "rest", {}},
                                      {12, "L", {}}})})},
                    {}},
                   "1 rest\n5 E\n8 rest\n9 rest\n10 rest\n13 L\n22 rest\n"},
        // Leaves without phonemes stand for themselves, by their text.
        ExportCase{"WordWithoutPhonemesAndPhraseWithoutWords",
                   {"v",
                    "",
                    {phrase(3, 9, {word(3, {}, "Hello"), word(7, {{7, "O", {}}})}),
                     phrase(12, 15, {}, "Bye now")},
                    {}},
                   "1 rest\n4 Hello\n8 O\n13 Bye now\n17 rest\n"},
        ExportCase{"VoiceWithoutPhrases", {"v", "Two\nlines", {}, {}}, "1 Two|lines\n3 rest\n"},
        // Frames before 1 have no place in a .dat: a phoneme at -1, and the
        // extra rest of a rest at frame 0.
        ExportCase{"CuesBeforeFrame1LeftOut",
                   {"v",
                    "",
                    {phrase(0, 8, {word(0, {{-1, "E", {}}, {0, "rest", {}}, {3, "O", {}}})})},
                    {}},
                   "1 rest\n4 O\n10 rest\n"},
        ExportCase{"SpeechEndingBeforeFrame0",
                   {"v", "", {phrase(-9, -5, {word(-9, {{-9, "E", {}}})})}, {}},
                   "1 rest\n"}),
    [](const testing::TestParamInfo<ExportCase>& info) { return info.param.name; });

TEST(PapagayoExport, RestsTakeThePlacesOfTheirPhrases) {
    PapagayoVoice voice{"v", "", {phrase(4, 8, {word(4, {}, "Hm")}), phrase(10, 12, {})}, {2, 0}};
    voice.phrases[0].place = {9, 0};
    voice.phrases[0].words[0].place = {13, 0};
    voice.phrases[1].place = {14, 0};
    const std::vector<Cue> cues = papagayoExportCues(voice);
    ASSERT_EQ(cues.size(), 4u);
    EXPECT_EQ(cues[0].place, (CuePlace{9, 0}));  // leading rest: the first phrase
    EXPECT_EQ(cues[1].place, (CuePlace{13, 0})); // the word itself
    EXPECT_EQ(cues[2].place, (CuePlace{14, 0})); // the phrase without words
    EXPECT_EQ(cues[3].place, (CuePlace{14, 0})); // closing rest: the last phrase
    EXPECT_EQ(papagayoExportCues(PapagayoVoice{"v", "", {}, {2, 0}}).back().place,
              (CuePlace{2, 0}));
}

struct PgoCase {
    const char* name;
    std::string text;
    std::vector<std::string> dats;                                 // per voice, after the header
    std::vector<std::pair<Finding::Kind, std::uint64_t>> findings; // kind, first line
};

class PapagayoPgoShapes : public testing::TestWithParam<PgoCase> {};

TEST_P(PapagayoPgoShapes, ReadsTheVoicesAndFindsWhatIsWrong) {
    const Take take = readPapagayoPgo(GetParam().text);
    ASSERT_EQ(take.voices.size(), GetParam().dats.size());
    for (std::size_t i = 0; i < take.voices.size(); ++i) {
        EXPECT_EQ(datText(take.voices[i].cues), "MohoSwitch1\n" + GetParam().dats[i]) << i;
    }
    std::vector<std::pair<Finding::Kind, std::uint64_t>> found;
    for (const Finding& f : take.findings) {
        found.emplace_back(f.kind, f.lines.first[0]);
    }
    EXPECT_EQ(found, GetParam().findings);
}

const std::string pgoHead = "lipsync version 1\nsay.wav\n24\n48\n";
const std::string annVoice = "\tAnn\n\tHi\n\t1\n\t\tHi\n\t\t2\n\t\t8\n\t\t1\n"
                             "\t\t\tHi 2 8 2\n\t\t\t\t2 etc\n\t\t\t\t5 AI\n";
const std::string annDat = "1 rest\n3 etc\n6 AI\n10 rest\n";
using K = Finding::Kind;

INSTANTIATE_TEST_SUITE_P(
    Shapes, PapagayoPgoShapes,
    testing::Values(
        PgoCase{"OneVoice", pgoHead + "1\n" + annVoice, {annDat}, {}},
        PgoCase{"SeveralVoices",
                pgoHead + "2\n" + annVoice + "\tBob\n\tO\n\t1\n\t\tO\n\t\t0\n\t\t3\n\t\t1\n" +
                    "\t\t\tO 0 3 1\n\t\t\t\t0 O\n",
                {annDat, "1 O\n5 rest\n"},
                {}},
        PgoCase{"CrLfAndNoSoundFile",
                "lipsync version 1\r\n\r\n24\r\n48\r\n1\r\n\tAnn\r\n\tHi\r\n\t1\r\n\t\tHi\r\n"
                "\t\t2\r\n\t\t8\r\n\t\t1\r\n\t\t\tHi 2 8 2\r\n\t\t\t\t2 etc\r\n\t\t\t\t5 AI\r\n",
                {annDat},
                {}},
        // Read as the lines are: the phoneme lines after the word are its own.
        PgoCase{"PhonemeCountDisagrees",
                pgoHead + "1\n\tAnn\n\tHi\n\t1\n\t\tHi\n\t\t2\n\t\t8\n\t\t1\n"
                          "\t\t\tHi 2 8 3\n\t\t\t\t2 etc\n\t\t\t\t5 AI\n",
                {annDat},
                {{K::CountsDisagree, 13}}},
        PgoCase{
            "VoiceCountDisagrees", pgoHead + "3\n" + annVoice, {annDat}, {{K::CountsDisagree, 5}}},
        PgoCase{"TruncatedInAWord",
                pgoHead + "1\n\tAnn\n\tHi\n\t2\n\t\tHi\n\t\t2\n\t\t8\n\t\t1\n\t\t\tHi 2 8 2\n"
                          "\t\t\t\t2 etc\n",
                {"1 rest\n3 etc\n10 rest\n"},
                {{K::CountsDisagree, 8}}},
        PgoCase{"UnreadableNumbersLeftOut",
                pgoHead + "1\n\tAnn\n\tHi\n\tmany\n\t\tHi\n\t\t2\n\t\t8\n\t\t1\n"
                          "\t\t\tHi 2 8 2\n\t\t\t\tx2 etc\n\t\t\t\t5 AI\n",
                {"1 rest\n6 AI\n10 rest\n"},
                {{K::UnreadableLine, 8}, {K::CountsDisagree, 13}}},
        PgoCase{"LinesThatAreNoProjectLines",
                pgoHead + "1\n" + annVoice + "stray\n\t\t\t\t\tdeep\n\t\t\t\t9\n",
                {annDat},
                {{K::UnreadableLine, 16}}},
        PgoCase{"NegativeFrame",
                pgoHead + "1\n\tAnn\n\tHi\n\t1\n\t\tHi\n\t\t2\n\t\t8\n\t\t1\n"
                          "\t\t\tHi 2 8 2\n\t\t\t\t-1 etc\n\t\t\t\t5 AI\n",
                {"1 rest\n6 AI\n10 rest\n"},
                {{K::NegativeTime, 14}}},
        PgoCase{"NotAProject", "MohoSwitch1\n1 rest\n", {""}, {{K::MalformedText, 1}}},
        PgoCase{
            "EndsInTheHeader", "lipsync version 1\nsay.wav\n24\n", {""}, {{K::MalformedText, 3}}},
        PgoCase{"EmptyFrameRateLine",
                "lipsync version 1\nsay.wav\n\n48\n1\n" + annVoice,
                {annDat},
                {{K::UnreadableLine, 3}}}),
    [](const testing::TestParamInfo<PgoCase>& info) { return info.param.name; });

TEST(PapagayoPgo, KeepsTheProjectsRateSoundAndVoiceNames) {
    const Take take = readPapagayoPgo(pgoHead + "1\n" + annVoice);
    EXPECT_EQ(take.framesPerSecond, 24.0);
    EXPECT_EQ(take.framesPerSecondText, "24");
    EXPECT_EQ(take.soundFile, "say.wav");
    EXPECT_EQ(take.voices[0].name, "Ann");
    EXPECT_EQ(take.voices[0].cues[1].place, (CuePlace{14, 0}));
    EXPECT_EQ(take.findings.size(), 0u);
    const Take wrong = readPapagayoPgo(pgoHead + "2\n" + annVoice);
    EXPECT_EQ(findingText(wrong.findings[0]), "the project declares 2 voices, 1 follows on line 5");
}

std::string sample(const std::string& name) {
    std::ifstream in(std::string(MOUTHKEY_SAMPLES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_TRUE(in.good() || in.eof()) << name;
    return text.str();
}

std::string document(std::string_view dat, int setIndex) {
    std::string out;
    DocumentWriter writer(setIndex, FrameRate(0), [&](std::string_view s) { out.append(s); });
    writer.feed(dat);
    writer.finish();
    return out;
}

// Converting the project gives the document that converting the tool's .dat
// export of each voice gives.
TEST(PapagayoPgo, SampleConvertsAsTheToolsExportOfEachVoice) {
    const Take take = readPapagayoPgo(sample("two-voices.pgo"));
    ASSERT_EQ(take.voices.size(), 2u);
    EXPECT_TRUE(take.findings.empty());
    const char* exports[] = {"two-voices-ann.dat", "two-voices-bob.dat"};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string dat = sample(exports[i]);
        ASSERT_FALSE(dat.empty());
        for (int setIndex : {0, 3}) {
            EXPECT_EQ(document(datText(take.voices[i].cues), setIndex), document(dat, setIndex))
                << exports[i];
        }
    }
}

} // namespace
} // namespace mouthkey
