#include "conversion/RhubarbTsv.h"

#include "TakeText.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace mouthkey;

namespace {

struct TsvCase {
    const char* what;
    std::string text;
    std::string take; // as takeText writes it
    friend void PrintTo(const TsvCase& c, std::ostream* os) { *os << c.what; }
};

class RhubarbTsv : public testing::TestWithParam<TsvCase> {};

TEST_P(RhubarbTsv, readsEachCueAndLeavesOutWhatItCannotRead) {
    const Take take = readRhubarbTsv(GetParam().text);
    EXPECT_EQ(test::takeText(take), GetParam().take);
    EXPECT_TRUE(take.letters);
    EXPECT_TRUE(take.timedInSeconds());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RhubarbTsv,
    testing::Values(
        TsvCase{"the tool's own layout, the closing X last",
                "0.00\tX\n0.05\tD\n0.29\tB\n12.40\tX\n",
                "X 0 1:6, D 0.05 2:6, B 0.29 3:6, X 12.4 4:7"},
        TsvCase{"CR LF, empty lines counted, no line end at the end", "0.00\tA\r\n\r\n\n1.10\tX",
                "A 0 1:6, X 1.1 4:6"},
        TsvCase{"an unknown letter is kept for the checks", "0.00\tQ\n0.10\tX\n",
                "Q 0 1:6, X 0.1 2:6"},
        TsvCase{"times that are not plain decimals", "abc\tA\n1e2\tB\n0.10\tC\ninf\tD\n\tE\n",
                "C 0.1 3:6 | times that are not numbers, such as 'abc', on 4 lines (1, 2, 4, "
                "\xE2\x80\xA6)"},
        TsvCase{"a negative time, after a line of the wrong shape", "-0.05\tA\n0.05 B\n0.10\tX\n",
                "X 0.1 3:6 | '0.05 B' is not a time and a mouth shape between a tab on line 2 / "
                "time '-0.05' is negative on line 1, column 1"},
        TsvCase{"three fields, at the second tab", "0.05\tA\tB\n",
                " | '0.05?A?B' is not a time and a mouth shape between a tab on line 1, column 7"},
        // Lines end where the checks end them, a lone CR too.
        TsvCase{"a shape that no .dat line can hold, and none",
                "0.05\tA B\n0.10\t\n0.15\tA\rB\n0.20\tX\n",
                "A 0.15 3:6, X 0.2 5:6 | mouth shape 'A B' holds spaces or line breaks on 3 lines "
                "(1, 2, 4)"},
        TsvCase{"nothing", "", ""}));

} // namespace
