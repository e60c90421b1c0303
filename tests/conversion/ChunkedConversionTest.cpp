// Randomised checks: the fast converter against a plain reading of the rules,
// whole and fed in arbitrary chunks, plus the properties every output keeps.
#include "ReferenceConversion.h"
#include "conversion/DataLineConversion.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

using namespace mouthkey;
using namespace mouthkey::reference;

namespace {

std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> pieces{"\n",
                                                 "\v",
                                                 "\f",
                                                 "\r",
                                                 "\r\n",
                                                 "\xC2\x85",
                                                 "\xE2\x80\xA8",
                                                 "\xE2\x80\xA9",
                                                 " ",
                                                 " ",
                                                 "  ",
                                                 "\t",
                                                 "AI",
                                                 "E",
                                                 "L",
                                                 "FV",
                                                 "MBP",
                                                 "O",
                                                 "U",
                                                 "WQ",
                                                 "etc",
                                                 "rest",
                                                 "TH",
                                                 "CH",
                                                 "D",
                                                 "K",
                                                 "\xE2\x84\xAA",
                                                 "A",
                                                 "X",
                                                 "ai",
                                                 "Rest",
                                                 "12",
                                                 "7",
                                                 "MohoSwitch1",
                                                 "\xC2",
                                                 "\xE2",
                                                 "\xE2\x80",
                                                 "\x85",
                                                 "\xA8",
                                                 "\xFF",
                                                 std::string(1, '\0'),
                                                 "\xC3\xA9",
                                                 "\xE2\x80\x85"};
    std::uniform_int_distribution<std::size_t> count(0, 200); // spans several 64-byte scan blocks
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string text;
    for (std::size_t n = count(rng); n > 0; --n) {
        text += pieces[pick(rng)];
    }
    return text;
}

TEST(ConversionProperties, randomTextsKeepTheRules) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = randomText(rng);
        const MappingTable mapping = buildMapping(round % 7 - 1, round % 2 == 1);
        const std::string out = convertDataLines(text, mapping);
        SCOPED_TRACE(testing::PrintToString(text));

        ASSERT_EQ(out, referenceConversion(text, mapping));
        ASSERT_EQ(keyframeLinesProblem(text, mapping, out), "");
    }
}

// The reading that the checks stand on cuts every text as the converter does.
TEST(ConversionProperties, timingReaderAgreesWithTheConverter) {
    std::mt19937 rng(11);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = randomText(rng);
        const MappingTable mapping = buildMapping(round % 5);
        SCOPED_TRACE(testing::PrintToString(text));
        const ReaderResult read = readInChunks(text, mapping, rng);
        ASSERT_EQ(read.problem, "");
        ASSERT_EQ(read.lines, numberedLines(text));
        ASSERT_EQ(read.keyframeLines, convertDataLines(text, mapping));
    }
}

TEST(ConversionProperties, chunkBoundariesDoNotChangeTheResult) {
    std::mt19937 rng(7);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = randomText(rng);
        const MappingTable mapping = buildMapping(round % 5);
        SCOPED_TRACE(testing::PrintToString(text));
        ASSERT_EQ(convertInChunks(text, mapping, rng, round % 2 ? 64 : 4096),
                  convertDataLines(text, mapping));
    }
}

TEST(ConversionProperties, separatorSplitAcrossEveryBoundary) {
    const MappingTable mapping = buildMapping(0);
    for (const auto& sep : separators) {
        const std::string text = "h" + sep + "1 AI" + sep + "2 E" + sep + "3 rest";
        const std::string expected = convertDataLines(text, mapping);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            std::string out;
            DataLineConverter converter(mapping, [&](std::string_view s) { out.append(s); });
            converter.feed(std::string_view(text).substr(0, cut));
            converter.feed(std::string_view(text).substr(cut));
            converter.finish();
            EXPECT_EQ(out, expected) << "cut at " << cut;
        }
    }
}

} // namespace

namespace {

// The scanner works in 64-byte blocks: put every separator and a phoneme
// name astride each block boundary and check against the plain reading.
TEST(ConversionProperties, tokensAndSeparatorsAstrideScanBlocks) {
    const MappingTable mapping = buildMapping(0);
    for (const auto& sep : separators) {
        for (std::size_t pad = 50; pad < 80; ++pad) {
            const std::string text = "MohoSwitch1" + sep + std::string(pad, 'x') + " MBP" + sep +
                                     "12 " + "\xE2\x84\xAA" + sep + std::string(pad, 'y') + sep +
                                     "7 rest";
            EXPECT_EQ(convertDataLines(text, mapping), referenceConversion(text, mapping))
                << "pad " << pad;
        }
    }
}

} // namespace
