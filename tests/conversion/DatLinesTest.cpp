// Each fast lane of a .dat text reads what the rule reads: the same cues at
// the same places, and the same other lines.
#include "DatLaneReadings.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace mouthkey {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// The digits opening a token, read plainly: nineteen fit, more saturate.
std::pair<std::size_t, std::uint64_t> plainDigits(std::string_view token) {
    std::size_t n = 0;
    std::uint64_t value = 0;
    for (; n < token.size() && token[n] >= '0' && token[n] <= '9'; ++n) {
        value = n < 19 ? value * 10 + static_cast<std::uint64_t>(token[n] - '0')
                       : std::numeric_limits<std::uint64_t>::max();
    }
    return {n, value};
}

TEST(DatLines, theDigitReaderReadsAsPlainDigitsWhateverMayBeReadPastThem) {
    std::mt19937_64 rng(7);
    const std::string alphabet = "0123456789 /:a\x80\xff"s + '\0';
    for (int i = 0; i < 20000; ++i) {
        std::string token;
        const std::size_t size = rng() % 4 == 0 ? 18 + rng() % 6 : rng() % 12;
        for (std::size_t j = 0; j < size; ++j) {
            token +=
                rng() % 3 ? static_cast<char>('0' + rng() % 10) : alphabet[rng() % alphabet.size()];
        }
        const auto [count, value] = plainDigits(token);
        std::string padded = token + "12345678"; // digits past the end must not count
        for (const std::size_t readable : {token.size(), padded.size()}) {
            std::uint64_t frame = 7;
            const char* const end = datlines::frameDigits(
                padded.data(), padded.data() + token.size(), padded.data() + readable, frame);
            ASSERT_EQ(static_cast<std::size_t>(end - padded.data()), count) << token;
            ASSERT_EQ(frame, value) << token;
        }
        ASSERT_EQ(wholeFrame(token),
                  count == token.size() && count > 0 ? std::optional(value) : std::nullopt)
            << token;
    }
}

// Texts of the shapes that matter to the lanes: mostly usual lines, with
// every line end, stray bytes and odd frames mixed in at random places,
// so that some fall at the ends of words and blocks.
std::string randomText(std::mt19937_64& rng, std::size_t lines) {
    static constexpr std::array<std::string_view, 11> names{
        "AI",  "rest", "E",       "MBP", "x", "Xylo_1", "etc", "\xC3\xA9t\xC3\xA9",
        "sil", "CH",   "abcdefgh"};
    static constexpr std::array<std::string_view, 14> ends{
        "\n",           "\n",           "\n",   "\r\n", "\r\n", "\r", "\xC2\x85",
        "\xE2\x80\xA8", "\xE2\x80\xA9", "\x0B", "\x0C", "\n\n", "",   "\r\n\r\n"};
    static constexpr std::array<std::string_view, 16> oddities{
        "\t", " ",   "  ",  "\0"sv, "\xC2",     "\xE2\x80", "\xFF", "-",
        "0",  "007", "1.5", "x",    "\xC2\x85", "\r",       "\t1",  "99999999999999999999999"};
    const bool usualEnds = rng() % 3 == 0; // LF or CR LF only: QuickLines' texts
    std::string text = rng() % 8 == 0 ? "" : "MohoSwitch1\n";
    std::uint64_t frame = rng() % 3;
    for (std::size_t i = 0; i < lines; ++i) {
        frame += rng() % 4;
        std::string frameText = std::to_string(frame);
        switch (rng() % 16) {
        case 0:
            frameText = "0" + frameText; // a leading zero
            break;
        case 1:
            frameText = std::string(1 + rng() % 24, static_cast<char>('1' + rng() % 9));
            break;
        case 2:
            frameText.clear();
            break;
        default:
            break;
        }
        std::string line = frameText + " " + std::string(names[rng() % names.size()]);
        if (rng() % 5 == 0) {
            const std::string_view odd = oddities[rng() % oddities.size()];
            line.insert(rng() % (line.size() + 1), odd);
        }
        std::string_view end = ends[rng() % ends.size()];
        if (usualEnds) {
            for (const char c : line) {
                if (c == '\r' || c == '\x0B' || c == '\x0C' ||
                    static_cast<unsigned char>(c) >= 0x80) {
                    line.clear(); // keep it usual: drop a line with another end in it
                    break;
                }
            }
            end = rng() % 2 ? "\n" : "\r\n";
        }
        text += line;
        text += end;
    }
    if (rng() % 4 == 0 && !text.empty()) {
        text.pop_back(); // no end to the last line, or half a CR LF
    }
    return text;
}

void expectLanesReadAsTheRule(std::string_view text, std::mt19937_64& rng) {
    const lanes::Reading rule = lanes::byRule(text);
    ASSERT_EQ(lanes::byReader(text), rule) << testing::PrintToString(text);
    ASSERT_EQ(lanes::byDatCues(text), rule) << testing::PrintToString(text);
    if (!datlines::endsLinesOtherwise(text)) {
        ASSERT_EQ(lanes::byQuickLines(text), rule) << testing::PrintToString(text);
    }
    const std::size_t chunk = rng() % 3 == 0 ? 1 + rng() % 100 : 0;
    const std::uint64_t decline = rng() % 3 == 0 ? 2 + rng() % 6 : 0;
    ASSERT_EQ(lanes::byBlockLane(text, chunk, decline), rule)
        << testing::PrintToString(text) << " chunk " << chunk << " decline " << decline;
    ASSERT_EQ(lanes::byQuickLane(text, decline), rule)
        << testing::PrintToString(text) << " decline " << decline;
}

TEST(DatLines, eachLaneReadsTheCuesAndOtherLinesTheRuleReads) {
    std::mt19937_64 rng(2024);
    for (int i = 0; i < 20000; ++i) {
        // Short texts, byte for byte at random, then texts of lines.
        std::string text;
        if (i % 3 == 0) {
            const std::string bytes = "0123456789 \n\r\t\x0B\x0C\xC2\x85\xE2\x80\xA8z"s + '\0';
            for (std::size_t n = rng() % 41; n > 0; --n) {
                text += bytes[rng() % bytes.size()];
            }
        } else {
            text = randomText(rng, i % 3 == 1 ? rng() % 6 : 8 + rng() % 120);
        }
        expectLanesReadAsTheRule(text, rng);
    }
}

TEST(DatLines, lanesTakeRunsOfUsualLinesAtEveryBoundary) {
    // Runs of usual lines, whose ends walk over every place in a word and
    // in a block, so that the lanes do take them, and take them right.
    std::mt19937_64 rng(99);
    for (std::size_t shift = 0; shift < 130; ++shift) {
        std::string text = "h" + std::string(shift, 'e') + "\n";
        for (std::uint64_t frame = 1; frame <= 200; ++frame) {
            text += std::to_string(frame * 37) + " " + (frame % 3 ? "AI" : "rest") +
                    (shift % 2 ? "\r\n" : "\n");
        }
        expectLanesReadAsTheRule(text, rng);
        const lanes::Reading rule = lanes::byRule(text);
        ASSERT_EQ(rule.cues.size(), 200u);
        ASSERT_TRUE(rule.others.empty());
        // All but the lines the line reader reads before it hands over, and
        // those within the bytes each lane leaves at the end.
        EXPECT_GE(lanes::byBlockLane(text, 0, 0).laneCues, 150u) << shift;
        EXPECT_GE(lanes::byQuickLane(text, 0).laneCues, 190u) << shift;
    }
}

} // namespace
} // namespace mouthkey
