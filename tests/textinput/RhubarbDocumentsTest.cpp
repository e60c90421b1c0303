#include "textinput/RhubarbDocuments.h"

#include "TakeText.h"
#include "TestSupport.h"
#include "conversion/DocumentWriter.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "conversion/RhubarbTsv.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

using namespace mouthkey;

namespace {

// A take as the tool makes it: cues from centisecond starts, each lasting
// until the next, the last until the end.
struct ToolTake {
    std::vector<int> starts; // centiseconds
    std::vector<char> shapes;
    int end = 0;
};

ToolTake randomTake(std::mt19937& rng) {
    ToolTake take;
    const std::size_t cues = 3 + rng() % 300;
    int at = static_cast<int>(rng() % 50);
    for (std::size_t i = 0; i < cues; ++i) {
        take.starts.push_back(at);
        take.shapes.push_back("ABCDEFGHX"[rng() % 9]);
        // Mostly a few centiseconds, shorter than a frame, now and then a pause.
        at += 1 + static_cast<int>(rng() % 8 == 0 ? rng() % 150 : rng() % 6);
    }
    take.end = at;
    return take;
}

// Seconds as the tool writes them: two decimals.
std::string seconds(int centiseconds) {
    const std::string hundredths = std::to_string(100 + centiseconds % 100);
    return std::to_string(centiseconds / 100) + "." + hundredths.substr(1);
}

int endOf(const ToolTake& take, std::size_t i) {
    return i + 1 < take.starts.size() ? take.starts[i + 1] : take.end;
}

std::string tsvOf(const ToolTake& take) {
    std::string text;
    for (std::size_t i = 0; i < take.starts.size(); ++i) {
        text += seconds(take.starts[i]) + "\t" + take.shapes[i] + "\n";
    }
    return text + seconds(take.end) + "\tX\n";
}

std::string xmlOf(const ToolTake& take) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rhubarbResult>\n  <metadata>\n"
                       "    <soundFile>/takes/see you.wav</soundFile>\n    <duration>" +
                       seconds(take.end) + "</duration>\n  </metadata>\n  <mouthCues>\n";
    for (std::size_t i = 0; i < take.starts.size(); ++i) {
        text += "    <mouthCue start=\"" + seconds(take.starts[i]) + "\" end=\"" +
                seconds(endOf(take, i)) + "\">" + take.shapes[i] + "</mouthCue>\n";
    }
    return text + "  </mouthCues>\n</rhubarbResult>\n";
}

std::string jsonOf(const ToolTake& take) {
    std::string text = "{\n  \"metadata\": {\n    \"soundFile\": \"/takes/see you.wav\",\n"
                       "    \"duration\": " +
                       seconds(take.end) + "\n  },\n  \"mouthCues\": [\n";
    for (std::size_t i = 0; i < take.starts.size(); ++i) {
        text += std::string(i ? ",\n" : "") + "    { \"start\": " + seconds(take.starts[i]) +
                ", \"end\": " + seconds(endOf(take, i)) + ", \"value\": \"" + take.shapes[i] +
                "\" }";
    }
    return text + "\n  ]\n}\n";
}

// The tool's own .dat export of a take, by its rules: a cue lands on frame
// 1 + (int)(fps * seconds), the first cue on a frame wins, and the closing X
// moves one frame on when it lands on the last frame written.
std::string datOf(const ToolTake& take, double fps) {
    const auto frameOf = [fps](int centiseconds) {
        return 1 + static_cast<int>(fps * (centiseconds / 100.0));
    };
    std::string text = "MohoSwitch1\n";
    int last = 0;
    for (std::size_t i = 0; i < take.starts.size(); ++i) {
        const int frame = frameOf(take.starts[i]);
        if (frame != last) {
            text += std::to_string(frame) + " " + take.shapes[i] + "\n";
            last = frame;
        }
    }
    const int closing = frameOf(take.end);
    return text + std::to_string(closing == last ? closing + 1 : closing) + " X\n";
}

std::string documentOf(std::string_view dat, int setIndex, const FrameRate& rate) {
    std::string document;
    DocumentWriter writer(buildMapping(setIndex, /*letters*/ true), rate,
                          [&](std::string_view chunk) { document.append(chunk); });
    writer.feed(dat);
    writer.finish();
    return document;
}

TEST(RhubarbDocuments, eachFileConvertsAsTheToolsDatExportOfTheSameTake) {
    std::vector<FrameRate> rates;
    for (int i = 0; i < static_cast<int>(frameRateTitles.size()); ++i) {
        rates.emplace_back(i);
    }
    for (const char* rate : {"23.976", "48", "1", "1000"}) {
        rates.push_back(*FrameRate::fromText(rate));
    }
    std::mt19937 rng(20240611);
    for (int run = 0; run < 30; ++run) {
        const ToolTake tool = randomTake(rng);
        const int setIndex = static_cast<int>(rng() % phonemeSets.size());
        const std::pair<const char*, Take> takes[] = {
            {"TSV", readRhubarbTsv(tsvOf(tool))},
            {"XML", readRhubarbXml(xmlOf(tool))},
            {"JSON", readRhubarbJson(jsonOf(tool))},
        };
        for (const auto& [format, take] : takes) {
            SCOPED_TRACE(testing::Message() << format << ", run " << run);
            ASSERT_TRUE(take.findings.empty()) << test::takeText(take);
            ASSERT_EQ(take.timed.size(), tool.starts.size() + 1);
            for (const FrameRate& rate : rates) {
                const double fps = framesPerSecond(rate);
                ASSERT_EQ(documentOf(datText(takeCues(take, 0, fps)), setIndex, rate),
                          documentOf(datOf(tool, fps), setIndex, rate))
                    << "at " << rate.title() << " fps";
            }
        }
    }
}

TEST(RhubarbDocuments, theSoundFileComesFromTheMetadata) {
    const ToolTake tool{{0, 5}, {'X', 'D'}, 20};
    EXPECT_EQ(readRhubarbXml(xmlOf(tool)).soundFile, "/takes/see you.wav");
    EXPECT_EQ(readRhubarbJson(jsonOf(tool)).soundFile, "/takes/see you.wav");
}

TEST(RhubarbDocuments, theSamplesAreOneTake) {
    const auto text = [](const char* name) {
        return test::readSample(name).toStdString();
    };
    const Take tsv = readRhubarbTsv(text("see-you-soon.tsv"));
    ASSERT_EQ(test::takeText(tsv).find('|'), std::string::npos) << test::takeText(tsv);
    const std::string dat = datText(takeCues(tsv, 0, 24));
    EXPECT_EQ(dat, "MohoSwitch1\n1 X\n4 B\n6 C\n10 B\n11 F\n15 B\n18 F\n21 B\n23 X\n29 X\n");
    for (const Take& take :
         {readRhubarbXml(text("see-you-soon.xml")), readRhubarbJson(text("see-you-soon.json"))}) {
        EXPECT_TRUE(take.findings.empty()) << test::takeText(take);
        EXPECT_EQ(datText(takeCues(take, 0, 24)), dat);
    }
}

struct DocumentCase {
    const char* what;
    std::string text;
    std::string take; // as takeText writes it
    friend void PrintTo(const DocumentCase& c, std::ostream* os) { *os << c.what; }
};

class RhubarbXml : public testing::TestWithParam<DocumentCase> {};

TEST_P(RhubarbXml, readsCuesAtTheirTags) {
    const Take take = readRhubarbXml(GetParam().text);
    EXPECT_EQ(test::takeText(take), GetParam().take);
    EXPECT_TRUE(take.letters);
}

const std::string cuesXml = "<rhubarbResult><mouthCues>"
                            "<mouthCue start=\"0.00\" end=\"0.05\">X</mouthCue>"
                            "<mouthCue start=\"0.05\" end=\"0.29\">D</mouthCue>";

INSTANTIATE_TEST_SUITE_P(
    Documents, RhubarbXml,
    testing::Values(
        DocumentCase{"the tool's own layout", xmlOf({{0, 5}, {'X', 'D'}, 29}),
                     "X 0 8:5, D 0.05 9:5, X 0.29 9:5"},
        DocumentCase{"on one line, CR LF before", "\r\n" + cuesXml + "</mouthCues></rhubarbResult>",
                     "X 0 2:27, D 0.05 2:73, X 0.29 2:73"},
        DocumentCase{"a tag over two lines, a shape among spaces",
                     "<rhubarbResult><mouthCues>\n  <mouthCue\nstart=\"0.10\" end=\"0.20\"> A "
                     "</mouthCue></mouthCues></rhubarbResult>",
                     "A 0.1 2:3, X 0.2 2:3"},
        DocumentCase{"no cues", "<rhubarbResult><mouthCues/></rhubarbResult>", ""},
        DocumentCase{"cut short: the cues before are kept", cuesXml + "<mouthCue start=",
                     "X 0 1:27, D 0.05 1:73, X 0.29 1:73 | XML: Premature end of document on "
                     "line 1, column 134"},
        DocumentCase{
            "another root", "<?xml version=\"1.0\"?>\n<result><mouthCue/></result>",
            " | XML: the root element is 'result', not 'rhubarbResult' on line 2, column 1"},
        DocumentCase{"cues without their parts, or with bad times",
                     "<rhubarbResult><mouthCues>\n<mouthCue end=\"1\">A</mouthCue>\n"
                     "<mouthCue start=\"1\">A</mouthCue>\n<mouthCue start=\"1\" end=\"2\"/>\n"
                     "<mouthCue start=\"x\" end=\"2\">B</mouthCue>\n"
                     "<mouthCue start=\"-1\" end=\"2\">B</mouthCue>\n"
                     "<mouthCue start=\"1\" end=\"2\">C</mouthCue>\n</mouthCues></rhubarbResult>",
                     "C 1 7:1, X 2 7:1 | a mouth cue without a start on 3 lines (2, 3, 4) / time "
                     "'x' is not a number on line 5, column 1 / time '-1' is negative on line 6, "
                     "column 1"},
        DocumentCase{"cues elsewhere are not the take's",
                     "<rhubarbResult><metadata><mouthCue start=\"0\" end=\"1\">A</mouthCue>"
                     "</metadata><mouthCues><x><mouthCue start=\"0\" end=\"1\">B</mouthCue></x>"
                     "</mouthCues></rhubarbResult>",
                     ""}));

class RhubarbJson : public testing::TestWithParam<DocumentCase> {};

TEST_P(RhubarbJson, readsCuesAtTheirObjects) {
    const Take take = readRhubarbJson(GetParam().text);
    EXPECT_EQ(test::takeText(take), GetParam().take);
    EXPECT_TRUE(take.letters);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, RhubarbJson,
    testing::Values(
        DocumentCase{"the tool's own layout", jsonOf({{0, 5}, {'X', 'D'}, 29}),
                     "X 0 7:5, D 0.05 8:5, X 0.29 8:5"},
        DocumentCase{"compact, with brackets in strings and cues elsewhere",
                     "{\"metadata\":{\"soundFile\":\"[{\\\"\",\"mouthCues\":[{}]},\"mouthCues\":"
                     "[{\"start\":0,\"end\":0.1,\"value\":\"\u00e9\"},{\"start\":0.1,\"end\":1,"
                     "\"value\":\"B\"}]}",
                     "\u00e9 0 1:64, B 0.1 1:98, X 1 1:98"},
        DocumentCase{"no cues", "{\"mouthCues\": []}", ""},
        DocumentCase{"a missing comma", "{\"mouthCues\": [\n  {\"start\": 0 \"end\": 1}]}",
                     " | JSON: unterminated object on line 2, column 16"},
        DocumentCase{"not an object with cues", "\n  [1, 2]",
                     " | JSON: not an object with a \"mouthCues\" list on line 2, column 3"},
        DocumentCase{"cues that cannot be read",
                     "{\"mouthCues\": [\n7,\n{\"end\": 1, \"value\": \"A\"},\n"
                     "{\"start\": 0, \"end\": 1},\n{\"start\": \"0.05\", \"end\": 1, \"value\": "
                     "\"A\"},\n{\"start\": -0.5, \"end\": 1, \"value\": \"A\"},\n"
                     "{\"start\": 0, \"end\": 1, \"value\": \"A B\"},\n"
                     "{\"start\": 0, \"end\": 1, \"value\": \"C\"}]}",
                     "C 0 8:1, X 1 8:1 | a mouth cue that is not an object on 4 lines (2, 3, 4, "
                     "\xE2\x80\xA6) / time '\"0.05\"' is not a number on line 5, column 1 / time "
                     "'-0.5' is negative on line 6, column 1"}));

} // namespace
