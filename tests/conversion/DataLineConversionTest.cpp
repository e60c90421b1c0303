#include "conversion/DataLineConversion.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace mouthkey;

namespace {

const std::string AI = "\t-40\t4.00668\t0";
const std::string E = "\t-30\t4.00668\t0";
const std::string rest = "\t-50\t4.00668\t0";

struct LineCase {
    const char* what;
    std::string input;
    std::string expected;
    friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.what; }
};

class ConvertDataLines : public testing::TestWithParam<LineCase> {};

TEST_P(ConvertDataLines, withTableZero) {
    const auto& c = GetParam();
    EXPECT_EQ(convertDataLines(c.input, buildMapping(0)), c.expected) << c.what;
}

TEST_P(ConvertDataLines, streamFormWritesTheSameBytes) {
    const auto& c = GetParam();
    std::ostringstream out;
    convertDataLines(c.input, buildMapping(0), out);
    EXPECT_EQ(out.str(), c.expected) << c.what;
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Lines, ConvertDataLines,
    testing::Values(
        LineCase{"worked example", "header\n12 MBP\n15 rest\n",
                 "\t12 \t0\t4.00668\t0\n\t15 " + rest + "\n"},
        // Separators
        LineCase{"LF", "h\n1 AI\n2 E", "\t1 " + AI + "\n\t2 " + E + "\n"},
        LineCase{"CR LF", "h\r\n1 AI\r\n2 E", "\t1 " + AI + "\n\t2 " + E + "\n"},
        LineCase{"lone CR", "h\r1 AI\r2 E\r", "\t1 " + AI + "\n\t2 " + E + "\n"},
        LineCase{"VT", "h\v1 AI\v2 E", "\t1 " + AI + "\n\t2 " + E + "\n"},
        LineCase{"FF", "h\f1 AI\f2 E", "\t1 " + AI + "\n\t2 " + E + "\n"},
        LineCase{"NEL",
                 "h\xC2\x85"
                 "1 AI\xC2\x85"
                 "2 E",
                 "\t1 " + AI + "\n\t2 " + E + "\n"},
        LineCase{"LINE SEPARATOR",
                 "h\xE2\x80\xA8"
                 "1 AI\xE2\x80\xA8"
                 "2 E",
                 "\t1 " + AI + "\n\t2 " + E + "\n"},
        LineCase{"PARAGRAPH SEPARATOR",
                 "h\xE2\x80\xA9"
                 "1 AI\xE2\x80\xA9"
                 "2 E",
                 "\t1 " + AI + "\n\t2 " + E + "\n"},
        LineCase{"mixed run of separators", "h\r\n\xC2\x85\v\f\r\r\n1 AI\xE2\x80\xA9\n\r",
                 "\t1 " + AI + "\n"},
        LineCase{"LF CR is two separators", "h\n\r1 AI", "\t1 " + AI + "\n"},
        // Characters that resemble separators but are not
        LineCase{"U+2005 shares NEL's last byte", "h\n1 \xE2\x80\x85", "\t1 \xE2\x80\x85\n"},
        LineCase{"U+2027 is not a separator", "h\n1 \xE2\x80\xA7", "\t1 \xE2\x80\xA7\n"},
        LineCase{"stray continuation byte", "h\n1 \x85 AI", "\t1 \x85 " + AI + "\n"},
        LineCase{"truncated NEL at the end", "h\n1 AI\xC2", "\t1 AI\xC2\n"},
        LineCase{"truncated LINE SEPARATOR at the end", "h\n1 AI\xE2\x80", "\t1 AI\xE2\x80\n"},
        LineCase{"invalid bytes pass through", "h\n\xFF\xFE E \xC0\x80",
                 "\t\xFF\xFE " + E + " \xC0\x80\n"},
        LineCase{"NUL is content", "h\n1\0 AI"s, "\t1\0 "s + AI + "\n"},
        // Empty and blank lines, header
        LineCase{"empty lines are skipped", "h\n\n\n1 AI", "\t1 " + AI + "\n"},
        LineCase{"leading empty lines are not the header", "\n\nh\n1 AI", "\t1 " + AI + "\n"},
        LineCase{"header alone", "h", ""}, LineCase{"new dat", "new dat", ""},
        LineCase{"header with trailing newline", "MohoSwitch1\n", ""},
        LineCase{"header is discarded unread", "rest\n1 AI", "\t1 " + AI + "\n"},
        LineCase{"empty text", "", ""}, LineCase{"separators only", "\n\r\n\xE2\x80\xA8\v", ""},
        LineCase{"a line of one space is a data line", "h\n ", "\t \n"},
        LineCase{"a line of one space can be the header", " \n1 AI", "\t1 " + AI + "\n"},
        LineCase{"a tab-only line is a data line", "h\n\t", "\t\t\n"},
        // Tokens
        LineCase{"empty middle token", "h\n1  AI", "\t1  " + AI + "\n"},
        LineCase{"leading and trailing spaces", "h\n AI ", "\t " + AI + " \n"},
        LineCase{"tab does not separate tokens", "h\n1\tAI", "\t1\tAI\n"},
        LineCase{"case-sensitive", "h\n1 ai\n2 Rest", "\t1 ai\n\t2 Rest\n"},
        LineCase{"every token is looked up", "h\n1 AI E", "\t1 " + AI + " " + E + "\n"},
        LineCase{"first token is looked up", "h\nrest", "\t" + rest + "\n"},
        LineCase{"unknown names survive", "h\n7 X\n8 MBPX", "\t7 X\n\t8 MBPX\n"},
        LineCase{"KELVIN SIGN finds K", "h\n3 \xE2\x84\xAA", "\t3 \t-40\t4.00668\t0\n"},
        LineCase{"KELVIN SIGN inside a token does not", "h\n3 \xE2\x84\xAAK",
                 "\t3 \xE2\x84\xAAK\n"},
        LineCase{"other Unicode passes through", "h\n1 \xC3\xA9t\xC3\xA9 AI",
                 "\t1 \xC3\xA9t\xC3\xA9 " + AI + "\n"}));

TEST(ConvertDataLinesTables, usesTheTableItIsGiven) {
    EXPECT_EQ(convertDataLines("h\n1 K\n2 L", buildMapping(3)),
              "\t1 \t-4\t4.00668\t0\n\t2 \t5\t4.00668\t0\n");
}

TEST(ConvertDataLinesSize, aLineLongerThanTheOutputBufferSurvivesWhole) {
    const std::string token(3 * DataLineConverter::defaultBufferSize + 17, 'x');
    EXPECT_EQ(convertDataLines("h\n1 " + token + " AI", buildMapping(0)),
              "\t1 " + token + " " + AI + "\n");
}

TEST(ConvertDataLinesCount, countsOneKeyframePerDataLine) {
    std::string out;
    DataLineConverter converter(buildMapping(0), [&](std::string_view s) { out.append(s); });
    converter.feed("h\n\n1 AI\n \n\r\n3 E");
    converter.finish();
    EXPECT_EQ(converter.keyframeCount(), 3u);
}

} // namespace
