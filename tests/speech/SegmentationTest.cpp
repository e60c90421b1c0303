#include "Segmentation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

using mouthkey::speech::Piece;
using mouthkey::speech::speechPieces;

namespace {

constexpr int rate = 16000;

// Tone where `loud` says so, near silence (a faint hiss) elsewhere; each
// entry is a tenth of a second.
std::vector<std::int16_t> sound(const std::vector<bool>& loud) {
    std::vector<std::int16_t> samples;
    unsigned noise = 1;
    for (bool on : loud)
        for (int i = 0; i < rate / 10; ++i) {
            noise = noise * 1103515245u + 12345u;
            const double hiss = static_cast<double>((noise >> 16) % 21) - 10;
            const double tone = on ? 8000 * std::sin(2 * std::numbers::pi * 300 * i / rate) : 0;
            samples.push_back(static_cast<std::int16_t>(tone + hiss));
        }
    return samples;
}

std::vector<bool> tenths(std::initializer_list<std::pair<bool, int>> runs) {
    std::vector<bool> loud;
    for (auto [on, count] : runs)
        loud.insert(loud.end(), static_cast<std::size_t>(count), on);
    return loud;
}

} // namespace

TEST(Segmentation, CutsAtPausesWithMargins) {
    struct Case {
        const char* name;
        std::vector<bool> loud;
        std::vector<Piece> pieces; // in hundredths of a second
    };
    const std::vector<Case> cases{
        // A 0.2 s margin either side of each stretch of speech.
        {"two phrases",
         tenths({{false, 10}, {true, 10}, {false, 10}, {true, 5}, {false, 10}}),
         {{80, 220}, {280, 370}}},
        // A pause under 0.3 s is part of the speech.
        {"short pause",
         tenths({{false, 5}, {true, 5}, {false, 2}, {true, 5}, {false, 5}}),
         {{30, 190}}},
        // Margins stop halfway into a pause too short for two of them.
        {"close phrases",
         tenths({{false, 5}, {true, 5}, {false, 3}, {true, 5}, {false, 5}}),
         {{30, 115}, {115, 200}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Piece> expected;
        for (const Piece& p : c.pieces)
            expected.push_back({p.begin * rate / 100, p.end * rate / 100});
        const std::vector<std::int16_t> samples = sound(c.loud);
        const std::vector<Piece> pieces = speechPieces(samples, rate);
        ASSERT_EQ(pieces.size(), expected.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_EQ(pieces[i], expected[i]) << i;
        }
    }
}

TEST(Segmentation, CutsLongSpeechAtItsQuietestMoment) {
    // 50 s without a pause, with a dip at 15 s and 35 s.
    std::vector<bool> loud(500, true);
    loud[150] = loud[350] = false;
    const std::vector<std::int16_t> samples = sound(loud);
    const std::vector<Piece> pieces = speechPieces(samples, rate);
    ASSERT_GE(pieces.size(), 3u);
    EXPECT_EQ(pieces.front().begin, 0u);
    EXPECT_EQ(pieces.back().end, samples.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_LE(pieces[i].end - pieces[i].begin, 20u * rate);
        if (i > 0) {
            EXPECT_EQ(pieces[i].begin, pieces[i - 1].end);
        }
    }
    EXPECT_NEAR(static_cast<double>(pieces[0].end) / rate, 15.0, 0.1);
}
