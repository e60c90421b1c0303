// How a timing text's format is told from the registry's probes.
#include "textinput/TimingFormats.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace mouthkey;

namespace {

struct DetectCase {
    const char* what;
    std::string text;
    const char* fileName;
    const char* format; // its --from name; "" for none
    bool heldWhole;     // mayBeOtherThanDat of the text
    friend void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.what; }
};

class DetectFormat : public testing::TestWithParam<DetectCase> {};

TEST_P(DetectFormat, tellsTheFormatByTheText) {
    const auto& c = GetParam();
    const TimingFormat* format = detectFormat(c.text, QString::fromUtf8(c.fileName));
    EXPECT_EQ(format ? std::string(format->name) : std::string(), c.format);
    EXPECT_EQ(mayBeOtherThanDat(c.text), c.heldWhole);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DetectFormat,
    testing::Values(
        DetectCase{"a .dat text", "MohoSwitch1\n1 rest\n", "take1.dat", "dat", false},
        DetectCase{"a project, whatever its name", "lipsync version 1\nsound.wav\n", "take1.dat",
                   "pgo", true},
        DetectCase{"an XML result", "  <rhubarbResult>\n", "take1.txt", "xml", true},
        DetectCase{"an XML document of no format", "<keys/>\n", "take1.xml", "", true},
        DetectCase{"JSON cues", "{\"mouthCues\": []}", "take1.pg2", "json", true},
        DetectCase{"JSON voices", "{\"voices\": []}", "take1.json", "pg2", true},
        DetectCase{"both keys, told by a .pg2 name", "{\"mouthCues\": 1, \"voices\": 1}",
                   "take1.pg2", "pg2", true},
        DetectCase{"both keys, elsewhere the first row", "{\"mouthCues\": 1, \"voices\": 1}",
                   "take1.txt", "json", true},
        DetectCase{"a JSON document of no format", "[1, 2]", "take1.json", "", true},
        DetectCase{"seconds and a shape", "0.00\tX\n0.21\tB\n", "take1.txt", "tsv", true},
        DetectCase{"whole seconds, only by a .tsv name", "0\tX\n", "take1.tsv", "tsv", true},
        DetectCase{"whole seconds elsewhere", "0\tX\n", "take1.dat", "dat", true},
        DetectCase{"two numbers and a label", "\n0.500000\t0.700000\tAI\n", "take1.txt", "labels",
                   true},
        DetectCase{"a label track, whatever its name", "1\t2\tE\n", "take1.tsv", "labels", true},
        DetectCase{"a point label without text", "0.5\t0.5\t\n", "", "labels", true},
        DetectCase{"an empty field is neither", "0.5\t\tAI\n", "take1.txt", "dat", false}));

} // namespace
