// A take written as a timing file by --target, and converted back to the
// same document, through the real binary.
#include "ConverterProcess.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>

using namespace mouthkey::test;

namespace {

// The sample and the options it is converted with, the target it is written
// as with them, and what converts the written file back: a TSV's names are
// letters to its reader, so the other side reads them with --letters.
using RoundTrip = std::tuple<const char*, QStringList, QString, QStringList>;

class WrittenTake : public testing::TestWithParam<RoundTrip> {};

TEST_P(WrittenTake, convertsBackToTheOriginalsDocument) {
    const auto& [sample, options, target, back] = GetParam();
    const QStringList input{samplePath(sample)};
    const ConverterRun original = runConverter(options + input);
    const ConverterRun written =
        runConverter(QStringList{u"--target"_qs, target} + options + input);
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    const ConverterRun again = runConverter(back + QStringList{u"-"_qs}, written.out);
    EXPECT_TRUE(original.out.startsWith("Adobe After Effects 8.0 Keyframe Data\n"));
    EXPECT_EQ(again.out, original.out) << written.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WrittenTake,
    testing::Values(
        RoundTrip{"see-you-soon.tsv", {"--fps", "25"}, "dat", {"--letters", "--fps", "25"}},
        RoundTrip{
            "hello-world-24fps.dat", {"--letters", "--fps", "29.97"}, "tsv", {"--fps", "29.97"}},
        RoundTrip{"one-minute-dialogue-24fps.dat",
                  {"--letters", "--fps", "23.976"},
                  "tsv",
                  {"--fps", "23.976"}},
        RoundTrip{"good-morning-25fps-crlf.dat",
                  {"--letters", "--fps", "25"},
                  "labels",
                  {"--letters", "--fps", "25"}},
        RoundTrip{"hello-world-labels.txt", {"--letters"}, "tsv", {}},
        RoundTrip{"two-voices.pgo", {"--voice", "Bob"}, "dat", {}}));

// -d names each file by its format's extension.
TEST(TimingTargetFiles, takeTheFormatsExtension) {
    QTemporaryDir dir;
    const QStringList target{u"--target"_qs, u"tsv"_qs, samplePath("hello-world-24fps.dat")};
    ASSERT_EQ(runConverter(QStringList{u"-d"_qs, dir.path()} + target).exitCode, 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"hello-world-24fps.tsv"_qs});
    EXPECT_EQ(readFile(dir.filePath(u"hello-world-24fps.tsv"_qs)), runConverter(target).out);
}

} // namespace
