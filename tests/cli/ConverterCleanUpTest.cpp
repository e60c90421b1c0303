// The clean-up options through the real binary: what each does to a take in
// every mode, and the note it leaves.
#include "ConverterProcess.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mouthkey::test;

namespace {

// Flickers: AI, O, MBP and rest show for a frame each.
constexpr char flicker[] = "MohoSwitch1\n1 rest\n5 AI\n6 O\n7 MBP\n8 E\n12 rest\n13 AI\n20 rest\n";
// The checks' advice, which a hold or a grid mends.
constexpr char advice[] =
    "mouthkey-convert: note: standard input: 4 mouths show for a single frame "
    "(lines 3, 4, 5, \xE2\x80\xA6): pasted unchanged; hold each mouth for two "
    "frames at least with --min-hold 2\n";

struct CleanUpCase {
    const char* what;
    QStringList options;
    QByteArray cleaned; // the take as --target dat writes it
    QByteArray note;    // standard error
    friend void PrintTo(const CleanUpCase& c, std::ostream* os) { *os << c.what; }
};

class CleanUpOption : public testing::TestWithParam<CleanUpCase> {};

// The cleaned take is written as it is cleaned, and its document is the
// document of that take.
TEST_P(CleanUpOption, cleansTheTakeForEveryTarget) {
    const CleanUpCase& c = GetParam();
    const ConverterRun timing =
        runConverter(c.options + QStringList{u"--target"_qs, u"dat"_qs}, flicker);
    ASSERT_EQ(timing.exitCode, 0) << timing.err.toStdString();
    EXPECT_EQ(timing.out, c.cleaned);
    EXPECT_EQ(timing.err, c.note);
    for (const QString& target : {u"position"_qs, u"time-remap"_qs}) {
        const QStringList to{u"--target"_qs, target};
        const ConverterRun document = runConverter(c.options + to, flicker);
        EXPECT_EQ(document.out, runConverter(to, c.cleaned).out) << target.toStdString();
        EXPECT_EQ(document.err, c.note) << target.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CleanUpOption,
    testing::Values(
        CleanUpCase{"a minimum hold",
                    {u"--min-hold"_qs, u"2"_qs},
                    "MohoSwitch1\n1 rest\n5 AI\n7 MBP\n12 rest\n20 rest\n",
                    "mouthkey-convert: note: standard input: clean-up: 3 cues dropped by "
                    "--min-hold 2 (lines 4, 6, 8)\n"},
        CleanUpCase{"a closed mouth moved earlier",
                    {u"--min-hold"_qs, u"3"_qs},
                    "MohoSwitch1\n1 rest\n5 MBP\n8 E\n12 rest\n20 rest\n",
                    "mouthkey-convert: note: standard input: clean-up: 3 cues dropped by "
                    "--min-hold 3 (lines 3, 4, 8), 1 closed mouth moved earlier\n"},
        CleanUpCase{"rests bridged",
                    {u"--bridge-rests"_qs, u"2"_qs},
                    "MohoSwitch1\n1 rest\n5 AI\n6 O\n7 MBP\n8 E\n13 AI\n20 rest\n",
                    QByteArray("mouthkey-convert: note: standard input: clean-up: 1 rest "
                               "dropped by --bridge-rests 2 (line 7)\n") +
                        advice},
        CleanUpCase{"on twos",
                    {u"--on"_qs, u"2"_qs},
                    "MohoSwitch1\n1 rest\n5 AI\n7 MBP\n9 E\n13 AI\n21 rest\n",
                    "mouthkey-convert: note: standard input: clean-up: 2 cues dropped by --on 2 "
                    "(lines 4, 7), 2 cues moved onto frames 1, 3, 5, \xE2\x80\xA6\n"},
        CleanUpCase{"ones keep every cue",
                    {u"--min-hold"_qs, u"1"_qs, u"--on"_qs, u"1"_qs},
                    flicker,
                    advice}));

// --check tells what clean-up would do; --strict converts, the note being
// no warning; -q says nothing; -d cleans each file.
TEST(CleanUpModes, noteInEveryModeButQuiet) {
    const QStringList hold{u"--min-hold"_qs, u"2"_qs};
    const ConverterRun check = runConverter(hold + QStringList{u"--check"_qs}, flicker);
    EXPECT_TRUE(check.out.contains("standard input: clean-up: 3 cues dropped by --min-hold 2 "
                                   "(lines 4, 6, 8)\n"))
        << check.out.toStdString();
    const ConverterRun strict = runConverter(hold + QStringList{u"--strict"_qs}, flicker);
    EXPECT_EQ(strict.exitCode, 0);
    EXPECT_EQ(strict.out, runConverter(hold, flicker).out);
    EXPECT_TRUE(runConverter(hold + QStringList{u"-q"_qs}, flicker).err.isEmpty());

    QTemporaryDir dir;
    const QString input = dir.filePath(u"take.dat"_qs);
    writeFile(input, flicker);
    const QString out = dir.filePath(u"out"_qs);
    ASSERT_TRUE(QDir().mkdir(out));
    ASSERT_EQ(runConverter(hold + QStringList{u"-d"_qs, out, input}).exitCode, 0);
    EXPECT_EQ(readFile(QDir(out).filePath(u"take.txt"_qs)), runConverter(hold, flicker).out);
}

} // namespace
