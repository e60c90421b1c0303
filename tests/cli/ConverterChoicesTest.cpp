// Phoneme sets, frame rates and the informational options, through the real
// binary: each choice must give the window's document for the same choice.
#include "ConverterProcess.h"

#include "conversion/KeyframeDocument.h"
#include "conversion/MappingTables.h"
#include "conversion/Targets.h"
#include "textinput/Utf8Text.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace mouthkey;
using namespace mouthkey::test;

namespace {

// Holds every phoneme name, so every table gives a different document.
const char* const everyPhoneme = "every-phoneme.dat";

struct SetCase {
    const char* value; // nullptr: option left out
    int index;
    friend void PrintTo(const SetCase& c, std::ostream* os) {
        *os << (c.value ? c.value : "(default)");
    }
};

class PhonemeSetOption : public testing::TestWithParam<SetCase> {};

TEST_P(PhonemeSetOption, givesTheWindowsDocumentForThatSet) {
    const auto& c = GetParam();
    QStringList args{samplePath(everyPhoneme)};
    if (c.value) {
        args << QStringLiteral("--set") << QString::fromUtf8(c.value);
    }
    const ConverterRun run = runConverter(args);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, windowDocument(readSample(everyPhoneme), c.index, 0));
    EXPECT_TRUE(run.err.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(TitlesAndIndices, PhonemeSetOption,
                         testing::Values(SetCase{nullptr, 0}, SetCase{"Preston Blair", 0},
                                         SetCase{"preston blair", 0}, SetCase{"POWERHOUSE", 1},
                                         SetCase{"Simplified Flash", 2},
                                         SetCase{"adobe character ANIMATOR", 3},
                                         SetCase{"full set", 4}, SetCase{"0", 0}, SetCase{"1", 1},
                                         SetCase{"2", 2}, SetCase{"3", 3}, SetCase{"4", 4}));

class FrameRateOption : public testing::TestWithParam<int> {};

TEST_P(FrameRateOption, givesTheWindowsDocumentForThatRate) {
    const int index = GetParam();
    const ConverterRun run =
        runConverter({samplePath(everyPhoneme), QStringLiteral("--fps"),
                      toQString(frameRateTitles[static_cast<std::size_t>(index)])});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, windowDocument(readSample(everyPhoneme), 0, index));
}

INSTANTIATE_TEST_SUITE_P(EveryTitle, FrameRateOption,
                         testing::Range(0, static_cast<int>(frameRateTitles.size())));

struct NumberRateCase {
    const char* value;
    const char* written; // in the Units Per Second line
    friend void PrintTo(const NumberRateCase& c, std::ostream* os) { *os << c.value; }
};

class FrameRateNumber : public testing::TestWithParam<NumberRateCase> {};

TEST_P(FrameRateNumber, writesTheNumberInItsShortestForm) {
    const auto& c = GetParam();
    const ConverterRun run = runConverter(
        {samplePath(everyPhoneme), QStringLiteral("--fps"), QString::fromUtf8(c.value)});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, documentAtRate(readSample(everyPhoneme), 0, c.written));
}

INSTANTIATE_TEST_SUITE_P(FromOneToAThousand, FrameRateNumber,
                         testing::Values(NumberRateCase{"23.976", "23.976"},
                                         NumberRateCase{"1", "1"},
                                         NumberRateCase{"1000.000", "1000"},
                                         NumberRateCase{"048.50", "48.5"},
                                         // A title written another way is that title.
                                         NumberRateCase{"29.970", "29.97"}));

// Every title of the three lists appears in the text, a target by its name and title.
void expectAllChoicesListed(const QByteArray& text) {
    for (std::size_t i = 0; i < phonemeSetTitles.size(); ++i) {
        EXPECT_TRUE(text.contains(
            QStringLiteral("%1  %2").arg(i).arg(toQString(phonemeSetTitles[i])).toUtf8()))
            << phonemeSetTitles[i];
    }
    for (const auto title : frameRateTitles) {
        EXPECT_TRUE(text.contains(" " + toQString(title).toUtf8())) << title;
    }
    for (const Target target : targets) {
        const QRegularExpression line(
            QStringLiteral("\n  %1 +%2\n")
                .arg(QRegularExpression::escape(toQString(targetName(target))),
                     toQString(targetTitle(target))));
        EXPECT_TRUE(line.match(QString::fromUtf8(text)).hasMatch()) << targetName(target);
    }
}

struct UsageCase {
    std::string what;
    std::vector<std::string> args;
    std::string firstLine;
    friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.what; }
};

UsageCase badRate(const char* what, const char* value) {
    return {std::string("rate: ") + what,
            {std::string("--fps=") + value},
            std::string("mouthkey-convert: invalid frame rate '") + value +
                "' for --fps (a title from --list, or a plain number from 1 to 1000)"};
}

class UsageError : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageError, exitsWithTwoNamingTheProblemInOneLine) {
    const auto& c = GetParam();
    QStringList args{samplePath(everyPhoneme)};
    for (const std::string& a : c.args) {
        args << QString::fromStdString(a);
    }
    const ConverterRun run = runConverter(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err.toStdString(), c.firstLine + "\n" + tryHelp);
}

INSTANTIATE_TEST_SUITE_P(
    Options, UsageError,
    testing::Values(
        UsageCase{"set title cut short",
                  {"--set", "Preston"},
                  "mouthkey-convert: unknown phoneme set 'Preston' for --set"},
        UsageCase{"set index past the end",
                  {"--set", "5"},
                  "mouthkey-convert: unknown phoneme set '5' for --set"},
        UsageCase{"negative set index",
                  {"--set", "-1"},
                  "mouthkey-convert: unknown phoneme set '-1' for --set"},
        badRate("a decimal comma", "29,97"), badRate("by index", "0"), badRate("below 1", "0.999"),
        badRate("above 1000", "1000.001"), badRate("far above 1000", "100000"),
        badRate("an exponent", "1e3"), badRate("a plus sign", "+24"), badRate("negative", "-24"),
        badRate("no number", "nan"), badRate("infinite", "inf"), badRate("hex", "0x18"),
        badRate("a space", " 24"), badRate("a unit", "24fps"), badRate("a point at the end", "48."),
        badRate("a point first", ".5"), badRate("two points", "1.2.3"),
        badRate("other digits", "\xEF\xBC\x92\xEF\xBC\x94"), badRate("empty", ""),
        UsageCase{"unknown long option",
                  {"--frames", "24"},
                  "mouthkey-convert: unknown option '--frames'"},
        UsageCase{"unknown short option", {"-x"}, "mouthkey-convert: unknown option '-x'"},
        UsageCase{"missing value", {"--fps"}, "mouthkey-convert: missing value after '--fps'"},
        UsageCase{"two inputs",
                  {"other.dat"},
                  "mouthkey-convert: only one INPUT may be given, not '" MOUTHKEY_SAMPLES_DIR
                  "/every-phoneme.dat', 'other.dat'"},
        UsageCase{"unknown format",
                  {"--from", "wave"},
                  "mouthkey-convert: unknown format 'wave' for --from (dat, tsv, xml, json, pgo, "
                  "pg2, labels or sound)"},
        UsageCase{"unknown target",
                  {"--target", "opacity"},
                  "mouthkey-convert: unknown target 'opacity' for --target (position, time-remap, "
                  "slider, dat, tsv or labels)"},
        UsageCase{"a shift for a timing file",
                  {"--target", "tsv", "--offset", "-1"},
                  "mouthkey-convert: --offset is for keyframe documents; --target tsv writes a "
                  "timing file"},
        UsageCase{"a chart for a timing file",
                  {"--target", "DAT", "--chart", "mouths.txt"},
                  "mouthkey-convert: --chart is for --target time-remap or slider; dat uses no "
                  "chart"},
        UsageCase{"a chart for Position",
                  {"--chart", "mouths.txt"},
                  "mouthkey-convert: --chart is for --target time-remap or slider; position uses "
                  "no chart"},
        UsageCase{"holding and not",
                  {"--target", "slider", "--hold", "--no-hold"},
                  "mouthkey-convert: --hold and --no-hold cannot be used together"},
        UsageCase{"an offset that is no whole number",
                  {"--offset", "1.5"},
                  "mouthkey-convert: invalid offset '1.5' for --offset (a whole number of frames, "
                  "such as 12 or -12)"},
        UsageCase{"an offset with a space",
                  {"--offset", " 12"},
                  "mouthkey-convert: invalid offset ' 12' for --offset (a whole number of frames, "
                  "such as 12 or -12)"},
        UsageCase{"an offset past any frame",
                  {"--offset=-99999999999999999999"},
                  "mouthkey-convert: invalid offset '-99999999999999999999' for --offset (a whole "
                  "number of frames, such as 12 or -12)"},
        UsageCase{"a hold below one frame",
                  {"--min-hold", "0"},
                  "mouthkey-convert: invalid number of frames '0' for --min-hold (a whole number, "
                  "1 or more)"},
        UsageCase{"a grid that is no number",
                  {"--on", "twos"},
                  "mouthkey-convert: invalid number of frames 'twos' for --on (a whole number, 1 "
                  "or more)"},
        UsageCase{"a negative rest bridge",
                  {"--bridge-rests=-2"},
                  "mouthkey-convert: invalid number of frames '-2' for --bridge-rests (a whole "
                  "number, 1 or more)"},
        UsageCase{"standard input checked twice",
                  {"--check", "-", "-"},
                  "mouthkey-convert: standard input ('-') can be checked only once"}));

struct InfoCase {
    const char* option;
    std::vector<const char*> expected; // pieces of standard output
    friend void PrintTo(const InfoCase& c, std::ostream* os) { *os << c.option; }
};

class InformationalOption : public testing::TestWithParam<InfoCase> {};

TEST_P(InformationalOption, printsToStandardOutputAndConvertsNothing) {
    const auto& c = GetParam();
    const ConverterRun run = runConverter({QString::fromUtf8(c.option), samplePath(everyPhoneme)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.isEmpty());
    EXPECT_FALSE(run.out.contains("Keyframe Data\n"));
    for (const char* piece : c.expected) {
        EXPECT_TRUE(run.out.contains(piece)) << piece << " in\n" << run.out.toStdString();
    }
    if (QByteArray(c.option) != "--version" && QByteArray(c.option) != "-v") {
        expectAllChoicesListed(run.out);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, InformationalOption,
    testing::Values(
        InfoCase{"--list",
                 {"Phoneme sets", "Frame rates", "any number from 1 to 1000",
                  "\nTargets (--target):\n  position    Position\n"}},
        InfoCase{"--help",
                 {"Usage: mouthkey-convert [--set SET] [--fps RATE] [--from FORMAT] [-o FILE] "
                  "[INPUT]\n",
                  "--set",
                  "--fps",
                  "-o, --output",
                  "--list",
                  "--version",
                  "INPUT",
                  "xargs -0 -r ",
                  "Exit status",
                  "With --check, as for cmp:\n",
                  "any number from 1 to 1000",
                  "--from <FORMAT>",
                  "--voice <VOICE>",
                  "\n  tsv   ",
                  "\n  pg2   ",
                  "--target <TARGET>",
                  "--chart <FILE>",
                  "--print-chart",
                  "--no-hold",
                  "--offset <N>",
                  "\n  time-remap  ",
                  "framesToTime(effect(\"Slider Control\")"}},
        InfoCase{"-h", {"Usage: mouthkey-convert"}},
        InfoCase{"--version", {"mouthkey-convert " MOUTHKEY_VERSION "\n"}},
        InfoCase{"-v", {"mouthkey-convert " MOUTHKEY_VERSION "\n"}}));

TEST(InformationalOption, versionIsTheWholeOutput) {
    EXPECT_EQ(runConverter({QStringLiteral("--version")}).out,
              QByteArray("mouthkey-convert " MOUTHKEY_VERSION "\n"));
}

} // namespace
