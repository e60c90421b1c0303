// How the converter reads its arguments, without starting a process.
#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

using namespace mouthkey;

namespace {

using Action = CommandLine::Action;

struct ParseCase {
    const char* what;
    std::vector<const char*> args;
    Action action;
    int setIndex = 0;
    const char* rate = "24"; // the title of the rate read
    std::optional<const char*> input = std::nullopt;
    std::optional<const char*> output = std::nullopt;
    friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.what; }
};

class ParseCommandLine : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLine, readsWhatWasAsked) {
    const auto& c = GetParam();
    QStringList arguments{QStringLiteral("mouthkey-convert")};
    for (const char* a : c.args) {
        arguments << QString::fromUtf8(a);
    }
    const CommandLine parsed = parseCommandLine(arguments);
    ASSERT_EQ(parsed.action, c.action) << parsed.message.toStdString();
    if (c.action != Action::Convert) {
        return;
    }
    EXPECT_EQ(parsed.request.setIndex, c.setIndex);
    EXPECT_EQ(parsed.request.rate.title(), c.rate);
    const auto asQString = [](std::optional<const char*> s) -> std::optional<QString> {
        return s ? std::optional(QString::fromUtf8(*s)) : std::nullopt;
    };
    EXPECT_EQ(parsed.request.input, asQString(c.input));
    EXPECT_EQ(parsed.request.output, asQString(c.output));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ParseCommandLine,
    testing::Values(
        ParseCase{"no arguments: defaults, standard streams", {}, Action::Convert},
        ParseCase{"a path", {"take1.dat"}, Action::Convert, 0, "24", "take1.dat"},
        ParseCase{"a dash is standard input", {"-"}, Action::Convert},
        ParseCase{
            "an empty name is a file, not standard input", {""}, Action::Convert, 0, "24", ""},
        ParseCase{
            "a file named like an option after --", {"--", "-o"}, Action::Convert, 0, "24", "-o"},
        ParseCase{"-o - is standard output", {"-o", "-"}, Action::Convert},
        ParseCase{"-o joined to its value",
                  {"-oout.txt"},
                  Action::Convert,
                  0,
                  "24",
                  std::nullopt,
                  "out.txt"},
        ParseCase{"--output",
                  {"--output", "out.txt", "in.dat"},
                  Action::Convert,
                  0,
                  "24",
                  "in.dat",
                  "out.txt"},
        ParseCase{"the last --set wins", {"--set", "2", "--set", "full SET"}, Action::Convert, 4},
        ParseCase{"set and rate together",
                  {"--fps", "59.97", "--set", "PowerHouse"},
                  Action::Convert,
                  1,
                  "59.97"},
        ParseCase{"--list wins over a bad set", {"--set", "bogus", "--list"}, Action::ListChoices},
        ParseCase{"--help wins over a bad rate", {"--fps", "0", "-h"}, Action::ShowHelp},
        ParseCase{"--version", {"--version", "x.dat"}, Action::ShowVersion},
        ParseCase{"two inputs", {"a.dat", "b.dat"}, Action::Reject},
        ParseCase{"--check takes several inputs", {"--check", "a.dat", "b.dat"}, Action::Check},
        ParseCase{"--check with -d writes nothing", {"--check", "-d", "k", "a.dat"}, Action::Check},
        ParseCase{"-d without inputs", {"-d", "keys"}, Action::Reject},
        ParseCase{"a number is a rate, never an index", {"--fps", "1"}, Action::Convert, 0, "1"},
        ParseCase{"a set index out of range", {"--set", "5"}, Action::Reject},
        ParseCase{"a set title with extra space", {"--set", "Full Set "}, Action::Reject}));

struct TargetCase {
    const char* what;
    std::vector<const char*> args;
    Target target;
    std::optional<bool> hold;
    std::int64_t offset;
    std::optional<const char*> chart = std::nullopt;
    friend void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.what; }
};

class ParseTargetOptions : public testing::TestWithParam<TargetCase> {};

TEST_P(ParseTargetOptions, readsWhatWasAsked) {
    const auto& c = GetParam();
    QStringList arguments{QStringLiteral("mouthkey-convert")};
    for (const char* a : c.args) {
        arguments << QString::fromUtf8(a);
    }
    const CommandLine parsed = parseCommandLine(arguments);
    ASSERT_EQ(parsed.action, Action::Convert) << parsed.message.toStdString();
    EXPECT_EQ(parsed.request.target, c.target);
    EXPECT_EQ(parsed.request.hold, c.hold);
    EXPECT_EQ(parsed.request.offset, c.offset);
    EXPECT_EQ(parsed.request.chart,
              c.chart ? std::optional(QString::fromUtf8(*c.chart)) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ParseTargetOptions,
    testing::Values(TargetCase{"defaults", {}, Target::Position, std::nullopt, 0},
                    TargetCase{"a negative offset after its option",
                               {"--offset", "-12"},
                               Target::Position,
                               std::nullopt,
                               -12},
                    TargetCase{"a signed offset joined to its option",
                               {"--offset=+7", "--hold"},
                               Target::Position,
                               true,
                               7},
                    TargetCase{"a target in any case, with a chart",
                               {"--target", "TIME-REMAP", "--chart", "m.txt", "--no-hold"},
                               Target::TimeRemap,
                               false,
                               0,
                               "m.txt"},
                    TargetCase{"the largest offset",
                               {"--target=slider", "--offset", "9223372036854775807"},
                               Target::SliderControl,
                               std::nullopt,
                               INT64_MAX}));

TEST(ParseTargetOptions, printChartReadsTheSetAndWinsOverTheRest) {
    const CommandLine parsed =
        parseCommandLine({QStringLiteral("mouthkey-convert"), QStringLiteral("--print-chart"),
                          QStringLiteral("--set"), QStringLiteral("PowerHouse"),
                          QStringLiteral("--hold"), QStringLiteral("--no-hold")});
    EXPECT_EQ(parsed.action, Action::PrintChart);
    EXPECT_EQ(parsed.request.setIndex, 1);
}

} // namespace
