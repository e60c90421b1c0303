#include "conversion/MappingTables.h"

#include <gtest/gtest.h>

#include <string>

using namespace mouthkey;

namespace {

std::string value(int x) {
    return "\t" + std::to_string(x) + "\t4.00668\t0";
}

struct TableCase {
    int setIndex;
    std::string key;
    int x;
    bool letters = false;
    friend void PrintTo(const TableCase& c, std::ostream* os) {
        *os << "set " << c.setIndex << " " << c.key << (c.letters ? " with letters" : "");
    }
};

class MappingValues : public testing::TestWithParam<TableCase> {};

TEST_P(MappingValues, keyMapsToPositionValue) {
    const auto& c = GetParam();
    const MappingTable table = buildMapping(c.setIndex, c.letters);
    const auto found = table.find(c.key);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, value(c.x));
}

// One row per table where the values are easiest to get wrong: shared values,
// one-digit values, the 0 to 8 step of table 4, and the fallbacks.
INSTANTIATE_TEST_SUITE_P(
    Tables, MappingValues,
    testing::Values(
        TableCase{0, "MBP", 0}, TableCase{0, "AI", -40}, TableCase{0, "etc", 40},
        TableCase{0, "K", -40}, TableCase{1, "etc", -40}, TableCase{1, "CH", 40},
        TableCase{1, "L", 10}, TableCase{2, "MBP", -40}, TableCase{2, "O", 0},
        TableCase{2, "WQ", 0}, TableCase{3, "K", -4}, TableCase{3, "L", 5}, TableCase{3, "U", 41},
        TableCase{3, "E", -31}, TableCase{4, "AI", -42}, TableCase{4, "U", 0},
        TableCase{4, "WQ", 8}, TableCase{4, "K", 43}, TableCase{5, "AI", -40},
        TableCase{-1, "AI", -40}, TableCase{-1, "etc", 40}, TableCase{1000, "FV", -10},
        // Letters by their chart, and the phoneme names unchanged beside them.
        TableCase{0, "A", 0, true}, TableCase{0, "D", -40, true}, TableCase{0, "E", 10, true},
        TableCase{0, "X", -50, true}, TableCase{4, "B", 15, true}, TableCase{4, "C", -35, true},
        TableCase{4, "F", 0, true}, TableCase{4, "G", -21, true}, TableCase{4, "H", -28, true},
        TableCase{4, "TH", 22, true}, TableCase{4, "\xE2\x84\xAA", 43, true}));

TEST(MappingTables, restIsMinusFiftyInEveryTable) {
    for (int index = -2; index <= 6; ++index) {
        const MappingTable table = buildMapping(index);
        EXPECT_EQ(table.find("rest"), value(-50)) << "index " << index;
    }
}

TEST(MappingTables, defaultTableEqualsTableZeroAndDiffersFromTableFour) {
    EXPECT_EQ(buildMapping(-1), buildMapping(0));
    EXPECT_EQ(buildMapping(5), buildMapping(0));
    EXPECT_NE(buildMapping(4), buildMapping(-1));
}

TEST(MappingTables, everyTableMapsAllFourteenKeysToWellFormedValues) {
    for (int index = -1; index <= 4; ++index) {
        const MappingTable table = buildMapping(index);
        for (const auto key : phonemeKeys) {
            const auto found = table.find(key);
            ASSERT_TRUE(found.has_value()) << key;
            const std::string v(*found);
            ASSERT_TRUE(v.starts_with('\t') && v.ends_with("\t4.00668\t0")) << v;
            const std::string x = v.substr(1, v.size() - 11);
            EXPECT_EQ(std::to_string(std::stoi(x)), x) << "X must be plain decimal: " << v;
        }
    }
}

TEST(MappingTables, kelvinSignFindsK) {
    const MappingTable table = buildMapping(3);
    EXPECT_EQ(table.find("\xE2\x84\xAA"), table.find("K"));
}

TEST(MappingTables, nearMissesHaveNoEntry) {
    const MappingTable table = buildMapping(0);
    for (const char* token : {"ai", "Rest", "MBP ", " MBP", "", "k", "RES", "rests", "AI\t",
                              "\xE2\x84", "\xE2\x84\xAB", "Etc", "MB", "MBPX", "A", "X", "a"}) {
        EXPECT_FALSE(table.find(token).has_value()) << '"' << token << '"';
    }
}

} // namespace

namespace {

TEST(MappingTables, titleOfAnIndexNamesTheTableItGives) {
    EXPECT_EQ(phonemeSetTitle(4), "Full Set");
    EXPECT_EQ(phonemeSetTitle(3), "Adobe Character Animator");
    EXPECT_EQ(phonemeSetTitle(-1), "Preston Blair");
    EXPECT_EQ(phonemeSetTitle(5), "Preston Blair");
}

} // namespace
