#include "conversion/TimingReader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace mouthkey;

namespace {

// Lines as "NUMBER[h]:token|token*", a star marking a token that names a phoneme.
std::string describeLines(std::string_view text, std::size_t chunkSize) {
    std::string out;
    TimingReader reader([&](const TimingLine& line) {
        out += (out.empty() ? "" : " ") + std::to_string(line.number) + (line.header ? "h:" : ":");
        for (std::size_t i = 0; i < line.tokens.size(); ++i) {
            out += (i ? "|" : "") + std::string(line.tokens[i].text) +
                   (line.tokens[i].phoneme >= 0 ? "*" : "");
        }
    });
    for (std::size_t at = 0; at < text.size(); at += chunkSize) {
        reader.feed(text.substr(at, chunkSize));
    }
    reader.finish();
    return out;
}

struct ReaderCase {
    const char* what;
    std::string input;
    std::string lines;
    friend void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.what; }
};

class TimingReading : public testing::TestWithParam<ReaderCase> {};

TEST_P(TimingReading, numbersLinesAndFlagsPhonemes) {
    const auto& c = GetParam();
    EXPECT_EQ(describeLines(c.input, c.input.size() + 1), c.lines);
    // Fed a byte at a time, every separator and token is cut.
    EXPECT_EQ(describeLines(c.input, 1), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimingReading,
    testing::Values(
        ReaderCase{"empty lines count", "h\n1 AI\n\n3 ai", "1h:h 2:1|AI* 4:3|ai"},
        ReaderCase{"CR LF is one separator", "h\r\n1 AI\r\n\r\n2 E", "1h:h 2:1|AI* 4:2|E*"},
        ReaderCase{"every separator kind",
                   "h\r1 AI\v\f2 E\xC2\x85"
                   "3 K\xE2\x80\xA8"
                   "4 O\xE2\x80\xA9"
                   "5 U",
                   "1h:h 2:1|AI* 4:2|E* 5:3|K* 6:4|O* 7:5|U*"},
        ReaderCase{"leading empty lines", "\n\nh\n1 rest", "3h:h 4:1|rest*"},
        ReaderCase{"empty tokens kept", "h\n1  AI ", "1h:h 2:1||AI*|"},
        ReaderCase{"tab is token text", "h\n1\tAI", "1h:h 2:1\tAI"},
        ReaderCase{"kelvin sign names K", "h\n1 \xE2\x84\xAA", "1h:h 2:1|\xE2\x84\xAA*"},
        ReaderCase{"a header alone", "1 rest\n", "1h:1|rest*"},
        ReaderCase{"no line at all", "\n\r\n\n", ""}));

} // namespace
