// A take written as a timing file by --target, and read back to the same
// document, through the real binary.
#include "ConverterProcess.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

using namespace mouthkey::test;

namespace {

const char* const hello = "hello-world-24fps.dat";
const char* const seeYouSoon = "see-you-soon.tsv";

struct RoundTripCase {
    const char* what;
    const char* sample;
    QStringList original; // the options converting the sample itself
    QStringList written;  // writing it as a timing file
    QStringList back;     // converting that file, from standard input
    friend void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.what; }
};

class WrittenTake : public testing::TestWithParam<RoundTripCase> {};

// A TSV's names are letters to its reader; read with --letters, the other
// side makes the same choice.
TEST_P(WrittenTake, convertsBackToTheOriginalsDocument) {
    const RoundTripCase& c = GetParam();
    const ConverterRun original = runConverter(c.original + QStringList{samplePath(c.sample)});
    ASSERT_EQ(original.exitCode, 0) << original.err.toStdString();
    ASSERT_TRUE(original.out.startsWith("Adobe After Effects 8.0 Keyframe Data\n"));
    const ConverterRun written = runConverter(c.written + QStringList{samplePath(c.sample)});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    const ConverterRun back = runConverter(c.back + QStringList{QStringLiteral("-")}, written.out);
    EXPECT_EQ(back.exitCode, 0) << back.err.toStdString();
    EXPECT_EQ(back.out, original.out) << written.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WrittenTake,
    testing::Values(
        RoundTripCase{"a TSV as .dat", seeYouSoon, {}, {"--target", "dat"}, {"--letters"}},
        RoundTripCase{"a TSV re-timed at 25 fps as .dat",
                      seeYouSoon,
                      {"--fps", "25"},
                      {"--target", "dat", "--fps", "25"},
                      {"--letters", "--fps", "25"}},
        RoundTripCase{"a .dat as TSV", hello, {"--letters"}, {"--target", "tsv"}, {}},
        RoundTripCase{"a .dat as TSV at 29.97 fps",
                      hello,
                      {"--letters", "--fps", "29.97"},
                      {"--target", "tsv", "--fps", "29.97"},
                      {"--fps", "29.97"}},
        RoundTripCase{"a long .dat as TSV at 23.976 fps",
                      "one-minute-dialogue-24fps.dat",
                      {"--letters", "--fps", "23.976"},
                      {"--target", "tsv", "--fps", "23.976"},
                      {"--fps", "23.976"}},
        RoundTripCase{"a CR LF .dat as TSV at 25 fps",
                      "good-morning-25fps-crlf.dat",
                      {"--letters", "--fps", "25"},
                      {"--target", "tsv", "--fps", "25"},
                      {"--fps", "25"}},
        RoundTripCase{
            "a .dat as a label track", hello, {"--letters"}, {"--target", "labels"}, {"--letters"}},
        RoundTripCase{"a TSV as a label track at 60 fps",
                      seeYouSoon,
                      {"--fps", "60"},
                      {"--target", "labels", "--fps", "60"},
                      {"--letters", "--fps", "60"}},
        RoundTripCase{"a project's voice as .dat",
                      "two-voices.pgo",
                      {"--voice", "Bob"},
                      {"--target", "dat", "--voice", "Bob"},
                      {}}));

// -d names each file by its format's extension, and -o writes what
// standard output would have had.
TEST(TimingTargetOutputs, goToTheirFilesUnderTheFormatsExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir root(dir.path());
    ASSERT_TRUE(root.mkdir(QStringLiteral("keys")));
    const ConverterRun batch = runConverter(
        {QStringLiteral("--target"), QStringLiteral("tsv"), QStringLiteral("-d"),
         root.filePath(QStringLiteral("keys")), samplePath(hello), samplePath(seeYouSoon)});
    ASSERT_EQ(batch.exitCode, 0) << batch.err.toStdString();
    EXPECT_EQ(
        QDir(root.filePath(QStringLiteral("keys"))).entryList(QDir::Files),
        (QStringList{QStringLiteral("hello-world-24fps.tsv"), QStringLiteral("see-you-soon.tsv")}));
    const QByteArray helloTsv =
        runConverter({QStringLiteral("--target"), QStringLiteral("tsv"), samplePath(hello)}).out;
    EXPECT_EQ(readFile(root.filePath(QStringLiteral("keys/hello-world-24fps.tsv"))), helloTsv);

    const QString output = root.filePath(QStringLiteral("take.tsv"));
    EXPECT_EQ(runConverter({QStringLiteral("--target"), QStringLiteral("tsv"), QStringLiteral("-o"),
                            output, samplePath(hello)})
                  .exitCode,
              0);
    EXPECT_EQ(readFile(output), helloTsv);

    // A .dat written into its own folder would replace itself.
    const QString take = root.filePath(QStringLiteral("take1.dat"));
    ASSERT_TRUE(writeFile(take, readSample(hello)));
    const ConverterRun own = runConverter({QStringLiteral("--target"), QStringLiteral("dat"),
                                           QStringLiteral("-d"), dir.path(), take});
    EXPECT_EQ(own.exitCode, 2);
    EXPECT_EQ(readFile(take), readSample(hello));
}

} // namespace
