#include "conversion/WaveformSummary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace mouthkey;

namespace {

using Peak = WaveformSummary::Peak;
using Column = std::optional<Peak>;

struct PeaksCase {
    std::string name;
    int channels;
    std::size_t framesPerPeak;
    std::vector<float> samples; // at 8 frames a second
    std::size_t chunk;          // samples given at a time
    double from, to;
    std::vector<Column> expected;
    friend void PrintTo(const PeaksCase& c, std::ostream* os) { *os << c.name; }
};

// Eight frames: the blocks of two are (-0.2, 0.1), (0.4, 0.5), (-0.9, 0), (0.2, 0.3).
const std::vector<float> eight{0.1f, -0.2f, 0.5f, 0.4f, -0.9f, 0.0f, 0.3f, 0.2f};

class SummaryPeaks : public ::testing::TestWithParam<PeaksCase> {};

TEST_P(SummaryPeaks, AreTheExtremesOfEachColumn) {
    const PeaksCase& c = GetParam();
    WaveformSummary summary(8, c.channels, c.framesPerPeak);
    for (std::size_t i = 0; i < c.samples.size(); i += c.chunk) {
        summary.append(std::span(c.samples).subspan(i, std::min(c.chunk, c.samples.size() - i)));
    }
    summary.finish();
    const auto peaks = summary.peaks(c.from, c.to, c.expected.size());
    ASSERT_EQ(peaks.size(), c.expected.size());
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        ASSERT_EQ(peaks[i].has_value(), c.expected[i].has_value()) << "column " << i;
        if (peaks[i]) {
            EXPECT_FLOAT_EQ(peaks[i]->low, c.expected[i]->low) << "column " << i;
            EXPECT_FLOAT_EQ(peaks[i]->high, c.expected[i]->high) << "column " << i;
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Sounds, SummaryPeaks, ::testing::Values(
    PeaksCase{"a column a block", 1, 2, eight, 8, 0, 1,
              {Peak{-0.2f, 0.1f}, Peak{0.4f, 0.5f}, Peak{-0.9f, 0}, Peak{0.2f, 0.3f}}},
    PeaksCase{"one column, from the level above", 1, 2, eight, 3, 0, 1, {Peak{-0.9f, 0.5f}}},
    PeaksCase{"two columns of two blocks", 1, 2, eight, 8, 0, 1,
              {Peak{-0.2f, 0.5f}, Peak{-0.9f, 0.3f}}},
    PeaksCase{"columns narrower than a block show the block", 1, 2, eight, 8, 0, 0.5,
              {Peak{-0.2f, 0.1f}, Peak{-0.2f, 0.1f}, Peak{0.4f, 0.5f}, Peak{0.4f, 0.5f}}},
    PeaksCase{"before the sound and after it, nothing", 1, 2, eight, 8, -0.5, 1.5,
              {std::nullopt, Peak{-0.2f, 0.5f}, Peak{-0.9f, 0.3f}, std::nullopt}},
    PeaksCase{"from within the sound to past its end", 1, 2, eight, 8, 0.5, 1.5,
              {Peak{-0.9f, 0.3f}, std::nullopt}},
    PeaksCase{"channels together, a frame split between two calls", 2, 1,
              {0.1f, -0.5f, 0.2f, 0.6f}, 3, 0, 0.25, {Peak{-0.5f, 0.1f}, Peak{0.2f, 0.6f}}},
    PeaksCase{"a last, shorter block counts", 1, 2, {0.1f, 0.2f, 0.3f, 0.4f, -0.7f}, 5, 0, 0.75,
              {Peak{0.1f, 0.2f}, Peak{0.3f, 0.4f}, Peak{-0.7f, -0.7f}}},
    PeaksCase{"a shorter last group reaches the levels above", 1, 1,
              {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.9f}, 17, 0, 2.125,
              {Peak{0, 0.9f}}},
    PeaksCase{"no sound", 1, 2, {}, 1, 0, 1, {std::nullopt, std::nullopt}}));
// clang-format on

// Whatever the sound's length, a column reads a few blocks: the levels grow
// with it, and a drawing of all of it costs what one of a second does.
TEST(WaveformSummary, KeepsLevelsSoThatAWideColumnReadsFewBlocks) {
    WaveformSummary summary(48000, 1, 64);
    std::vector<float> second(48000);
    for (std::size_t i = 0; i < second.size(); ++i) {
        second[i] = static_cast<float>(std::sin(static_cast<double>(i) * 0.01));
    }
    for (int s = 0; s < 60; ++s) {
        summary.append(second);
    }
    summary.finish();
    EXPECT_EQ(summary.frames(), 60u * 48000u);
    EXPECT_DOUBLE_EQ(summary.seconds(), 60);
    // 45000 blocks at the bottom; each level a quarter of the one below.
    EXPECT_EQ(summary.levels(), 9u);
    EXPECT_LT(summary.memoryBytes(), 45000 * sizeof(Peak) * 4 / 3 + 4096);
    const auto whole = summary.peaks(0, 60, 1);
    ASSERT_TRUE(whole.front());
    EXPECT_NEAR(whole.front()->low, -1, 1e-3);
    EXPECT_NEAR(whole.front()->high, 1, 1e-3);
}

} // namespace
