#include "conversion/KeyframeDocument.h"
#include "conversion/DataLineConversion.h"
#include "conversion/TimingCheck.h"

#include <gtest/gtest.h>

#include <string>

using namespace mouthkey;

namespace {

TEST(KeyframeDocument, constantsHaveTheirDocumentedLengths) {
    EXPECT_EQ(headertop.size(), 38u);
    EXPECT_EQ(headerbottom.size(), 142u);
    EXPECT_EQ(footer.size(), 75u);
}

struct RateCase {
    int index;
    const char* line;
    friend void PrintTo(const RateCase& c, std::ostream* os) { *os << "rate index " << c.index; }
};

class RateLine : public testing::TestWithParam<RateCase> {};

TEST_P(RateLine, repeatsTheTitleOfItsIndex) {
    EXPECT_EQ(rateLine(GetParam().index), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, RateLine,
    testing::Values(RateCase{0, "\tUnits Per Second\t24"}, RateCase{1, "\tUnits Per Second\t29.97"},
                    RateCase{2, "\tUnits Per Second\t30"}, RateCase{3, "\tUnits Per Second\t25"},
                    RateCase{4, "\tUnits Per Second\t15"}, RateCase{5, "\tUnits Per Second\t12"},
                    RateCase{6, "\tUnits Per Second\t8"}, RateCase{7, "\tUnits Per Second\t60"},
                    RateCase{8, "\tUnits Per Second\t50"}, RateCase{9, "\tUnits Per Second\t59.97"},
                    RateCase{10, "\tUnits Per Second\t24"}, RateCase{-1, "\tUnits Per Second\t24"},
                    RateCase{-2147483647 - 1, "\tUnits Per Second\t24"}));

struct FrameRateCase {
    const char* text;
    const char* written; // in the Units Per Second line; nullptr: no rate
    double fps = 0;
    int index = -1; // the pop-up row it stands for
    friend void PrintTo(const FrameRateCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class FrameRateText : public testing::TestWithParam<FrameRateCase> {};

TEST_P(FrameRateText, givesItsLineAndFramesPerSecondAsItsRowDoes) {
    const auto& c = GetParam();
    const auto rate = FrameRate::fromText(c.text);
    if (!c.written) {
        EXPECT_FALSE(rate) << rate->title();
        return;
    }
    ASSERT_TRUE(rate);
    EXPECT_EQ(rateLine(*rate), std::string("\tUnits Per Second\t") + c.written);
    EXPECT_DOUBLE_EQ(framesPerSecond(*rate), c.fps);
    if (c.index >= 0) {
        EXPECT_EQ(*rate, FrameRate(c.index));
        EXPECT_EQ(rateLine(c.index), rateLine(*rate));
        EXPECT_EQ(framesPerSecond(c.index), framesPerSecond(*rate));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FrameRateText,
    testing::Values(FrameRateCase{"24", "24", 24, 0}, FrameRateCase{"29.97", "29.97", 29.97, 1},
                    FrameRateCase{"30", "30", 30, 2}, FrameRateCase{"25", "25", 25, 3},
                    FrameRateCase{"15", "15", 15, 4}, FrameRateCase{"12", "12", 12, 5},
                    FrameRateCase{"8", "8", 8, 6}, FrameRateCase{"60", "60", 60, 7},
                    FrameRateCase{"50", "50", 50, 8}, FrameRateCase{"59.97", "59.97", 59.97, 9},
                    FrameRateCase{"024.000", "24", 24, 0},
                    FrameRateCase{"23.976", "23.976", 23.976},
                    FrameRateCase{"29.9700001", "29.9700001", 29.9700001},
                    FrameRateCase{"80", "80", 80}, FrameRateCase{"0.99999999999999999999", nullptr},
                    FrameRateCase{"1000.00000000000000001", nullptr}, FrameRateCase{"1e3", nullptr},
                    FrameRateCase{"", nullptr}));

// The whole document for one data line, byte for byte.
TEST(KeyframeDocument, workedDocument) {
    const std::string document =
        assembleDocument(headertop, rateLine(0), headerbottom,
                         convertDataLines("MohoSwitch1\n12 MBP", buildMapping(0)), footer);
    EXPECT_EQ(document, "Adobe After Effects 8.0 Keyframe Data\n"
                        "\n"
                        "\tUnits Per Second\t24\n"
                        "\tSource Width\t1\n"
                        "\tSource Height\t1\n"
                        "\tSource Pixel Aspect Ratio\t1\n"
                        "\tComp Pixel Aspect Ratio\t1\n"
                        "\n"
                        "Transform\tPosition\n"
                        "\tFrame\tX pixels\tY pixels\tZ pixels\n"
                        "\t12 \t0\t4.00668\t0\n"
                        "\n"
                        "Expression Data\n"
                        "[value[0],0];\n"
                        "End of Expression Data\n"
                        "\n"
                        "\n"
                        "End of Keyframe Data");
}

TEST(KeyframeDocument, emptyBodyLeavesOneEmptyLineBeforeTheExpression) {
    const std::string document = assembleDocument(headertop, rateLine(0), headerbottom, "", footer);
    EXPECT_NE(document.find("\tZ pixels\n\nExpression Data\n"), std::string::npos);
    EXPECT_FALSE(document.ends_with('\n'));
    EXPECT_FALSE(document.starts_with('\t'));
}

TEST(KeyframeDocument, headAndTailFrameTheLinesExactlyAsAssemblyDoes) {
    const std::string lines = "\t1 \t-50\t4.00668\t0\n";
    for (int rate : {-1, 1, 9}) {
        EXPECT_EQ(documentHead(rateLine(rate)) + lines + documentTail(),
                  assembleDocument(headertop, rateLine(rate), headerbottom, lines, footer));
    }
}

} // namespace
