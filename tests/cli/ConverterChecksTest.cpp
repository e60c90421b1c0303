// What the converter says about a timing file's content, and what --strict,
// -q and --check make of it, through the real binary.
#include "ConverterProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

using namespace mouthkey::test;

namespace {

const QByteArray oddFile = "h\n1 ai\n2 ai\n3 AI\n";
const char* const readAsDat = "read as Moho switch data\n";
const char* const unknownAi =
    "unknown phoneme 'ai' on 2 lines (2, 3): pasted unchanged; did you mean 'AI'?\n";
// Its 'ai' and 'AI' are two names: the first shows for one frame.
const char* const heldAi = "1 mouth shows for a single frame (line 3): pasted unchanged; hold "
                           "each mouth for two frames at least with --min-hold 2\n";
// Letter mouth shapes, and the same file with each letter's chart name for it.
const QByteArray letterFile = "h\n1 X\n5 A\n9 D\n12 E\n15 B\n20 MBP\n";
const QByteArray letterFileNamed = "h\n1 rest\n5 MBP\n9 AI\n12 O\n15 etc\n20 MBP\n";

struct ChecksCase {
    const char* what;
    QStringList options;
    QByteArray file;
    int exitCode;
    std::function<void(const ConverterRun&, const QByteArray& document, const QString& path)>
        expect;
    friend void PrintTo(const ChecksCase& c, std::ostream* os) { *os << c.what; }
};

class ContentChecks : public testing::TestWithParam<ChecksCase> {
protected:
    QTemporaryDir dir;
};

TEST_P(ContentChecks, reportAndDecide) {
    const auto& c = GetParam();
    const QString path = dir.filePath(QStringLiteral("take1.dat"));
    ASSERT_TRUE(writeFile(path, c.file));
    const ConverterRun run = runConverter(c.options + QStringList{path});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
    c.expect(run, windowDocument(c.file, 0, 0), path);
}

QByteArray named(const QString& path, const char* text) {
    return "'" + path.toUtf8() + "': " + text;
}

// A project of two voices, the second with an unknown name on line 42.
QByteArray twoVoices() {
    return readSample("two-voices.pgo").replace("\t\t\t\t50 etc\n", "\t\t\t\t50 zz\n");
}
QByteArray ofVoice(const QString& path, const char* voice, const char* text) {
    return "'" + path.toUtf8() + "', voice '" + voice + "': " + text;
}
const char* const annAt25 = "15 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                            "46 \xC2\xB7 0:01.8 at 25 fps\n";
const char* const bobAt25 = "15 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                            "76 \xC2\xB7 0:03.0 at 25 fps\n";
const char* const unknownZz = "unknown phoneme 'zz' on line 42: pasted unchanged\n";
const char* const annHeld = "1 mouth shows for a single frame (line 29): pasted unchanged; hold "
                            "each mouth for two frames at least with --min-hold 2\n";
const char* const bobHeld =
    "3 mouths show for a single frame (lines 51, 52, 54): pasted "
    "unchanged; hold each mouth for two frames at least with --min-hold 2\n";
const char* const timedAt24 =
    "the project is timed at 24 fps, not at the chosen rate: keys land on "
    "the project's frames; choose 24 fps, or re-time the project in its "
    "tool\n";

INSTANTIATE_TEST_SUITE_P(
    Options, ContentChecks,
    testing::Values(
        ChecksCase{"warnings go to standard error, the document is still written",
                   {},
                   oddFile,
                   0,
                   [](const ConverterRun& run, const QByteArray& document, const QString& path) {
                       EXPECT_EQ(run.out, document);
                       EXPECT_EQ(run.err, "mouthkey-convert: warning: " + named(path, unknownAi) +
                                              "mouthkey-convert: note: " + named(path, heldAi));
                   }},
        ChecksCase{"-q keeps them back",
                   {"-q"},
                   oddFile,
                   0,
                   [](const ConverterRun& run, const QByteArray& document, const QString&) {
                       EXPECT_EQ(run.out, document);
                       EXPECT_EQ(run.err, "");
                   }},
        ChecksCase{"--strict refuses a file with findings",
                   {"--strict"},
                   oddFile,
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, "");
                       EXPECT_TRUE(run.err.endsWith("mouthkey-convert: '" + path.toUtf8() +
                                                    "' was not converted: its checks found 1 "
                                                    "problem (--strict)\n"));
                   }},
        ChecksCase{"--strict converts a clean file",
                   {"--strict"},
                   "h\n1 AI\n",
                   0,
                   [](const ConverterRun& run, const QByteArray& document, const QString&) {
                       EXPECT_EQ(run.out, document);
                       EXPECT_EQ(run.err, "");
                   }},
        ChecksCase{
            "a mouth held one frame is a note: --strict converts, --check lists it and passes",
            {"--strict"},
            "h\n1 rest\n2 AI\n6 E\n",
            0,
            [](const ConverterRun& run, const QByteArray& document, const QString& path) {
                const char* const held =
                    "1 mouth shows for a single frame (line 2): pasted unchanged; hold "
                    "each mouth for two frames at least with --min-hold 2\n";
                EXPECT_EQ(run.out, document);
                EXPECT_EQ(run.err, "mouthkey-convert: note: " + named(path, held));
                const ConverterRun check = runConverter({QStringLiteral("--check"), path});
                EXPECT_EQ(check.exitCode, 0);
                EXPECT_TRUE(check.out.endsWith(named(path, readAsDat) + named(path, held)))
                    << check.out.toStdString();
            }},
        ChecksCase{"--strict refuses a timing file of a take with findings",
                   {"--target", "tsv", "--strict"},
                   "h\n1 rest\n5MBP\n9 AI\n",
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString&) {
                       EXPECT_EQ(run.out, "");
                   }},
        ChecksCase{"--check --target dat checks the cues the file would hold",
                   {"--check", "--target", "dat"},
                   "h\n1 rest\n5MBP\n9 AI\n",
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out,
                                 named(path, "2 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                                             "9 \xC2\xB7 0:00.4 at 24 fps\n") +
                                     named(path, readAsDat) +
                                     named(path, "a line that is not FRAME NAME on line 3: left "
                                                 "out\n"));
                   }},
        // The document reads them as MBP and etc, so no check may call them unknown.
        ChecksCase{"--letters reads a label track's letters in the checks too",
                   {"--check", "--letters"},
                   "0.0\t0.1\tA\n0.1\t0.2\tB\n0.2\t0.3\trest\n",
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, named(path, "4 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                                                      "8 \xC2\xB7 0:00.3 at 24 fps\n") +
                                              named(path, "read as Audacity labels\n"));
                   }},
        ChecksCase{"--target time-remap writes Time Remap, warning of a name it leaves out",
                   {"--target", "time-remap"},
                   "h\n1 rest\n5 Foo\n9 AI\n",
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_TRUE(run.out.startsWith("Adobe After Effects 8.0 Keyframe Data\n"));
                       EXPECT_TRUE(run.out.endsWith("\tComp Pixel Aspect Ratio\t1\n\nTime "
                                                    "Remap\n\tFrame\tseconds\t\n\t1\t0.0208333\t"
                                                    "\n\t8\t0.0208333\t\n\t9\t0.0625\t\n\nEnd "
                                                    "of Keyframe Data"))
                           << run.out.toStdString();
                       EXPECT_TRUE(run.err.contains(
                           "mouthkey-convert: warning: " +
                           named(path, "unknown phoneme 'Foo' on line 3: left out\n")))
                           << run.err.toStdString();
                   }},
        ChecksCase{"--strict refuses keys an offset moves before frame 0",
                   {"--target", "slider", "--offset", "-2", "--strict"},
                   "h\n1 AI\n2 O\n5 E\n",
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, "");
                       EXPECT_EQ(run.err, "mouthkey-convert: note: " +
                                              named(path, "1 mouth shows for a single frame (line "
                                                          "2): pasted unchanged; hold each mouth "
                                                          "for two frames at least with --min-hold "
                                                          "2\n") +
                                              "mouthkey-convert: warning: " +
                                              named(path, "keys shifted before frame 0 (the first "
                                                          "at frame 1) on line 2: left out\n") +
                                              "mouthkey-convert: '" + path.toUtf8() +
                                              "' was not converted: its checks found 1 problem "
                                              "(--strict)\n");
                   }},
        ChecksCase{"--check lists what a target leaves out",
                   {"--check", "--target=slider", "--offset=-2"},
                   "h\n1 AI\n2 O\n5 E\n",
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_TRUE(run.out.endsWith(named(
                           path, "keys shifted before frame 0 (the first at frame 1) on line 2: "
                                 "left out\n")))
                           << run.out.toStdString();
                   }},
        ChecksCase{"--hold and --offset move Position's keys as its own lines would",
                   {"--hold", "--offset", "2"},
                   "h\n1 rest\n5 AI\n6 Foo\n",
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString&) {
                       EXPECT_EQ(run.out, windowDocument("h\n3 rest\n6 rest\n7 AI\n8 Foo\n", 0, 0));
                   }},
        ChecksCase{"--no-hold and --target position are the plain document",
                   {"--no-hold", "--target", "Position", "--offset", "0"},
                   oddFile,
                   0,
                   [](const ConverterRun& run, const QByteArray& document, const QString&) {
                       EXPECT_EQ(run.out, document);
                   }},
        ChecksCase{"--check prints the summary and the findings",
                   {"--check"},
                   oddFile,
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, named(path, "3 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                                                      "3 \xC2\xB7 0:00.1 at 24 fps\n") +
                                              named(path, readAsDat) + named(path, unknownAi) +
                                              named(path, heldAi));
                       EXPECT_EQ(run.err, "");
                   }},
        ChecksCase{"--check passes a clean file",
                   {"--check"},
                   "h\n1 AI\n",
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_TRUE(run.out.endsWith(": 1 keyframe \xC2\xB7 frame 1 \xC2\xB7 "
                                                    "0:00.0 at 24 fps\n" +
                                                    named(path, readAsDat)))
                           << run.out.toStdString();
                   }},
        ChecksCase{"--check gives the duration at a rate no title writes",
                   {"--check", "--fps", "23.976"},
                   "h\n1 AI\n2398 E\n",
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, named(path, "2 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                                                      "2,398 \xC2\xB7 1:40.0 at 23.976 fps\n") +
                                              named(path, readAsDat));
                   }},
        ChecksCase{"UTF-16 without a mark is read as such, with a note that --strict lets pass",
                   {"--strict"},
                   QByteArray("h\0\n\0"
                              "1\0 \0A\0I\0",
                              12),
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, windowDocument("h\n1 AI", 0, 0));
                       EXPECT_EQ(run.err, "mouthkey-convert: note: " +
                                              named(path, "read as UTF-16 (little-endian): the "
                                                          "file has no byte-order mark\n"));
                   }},
        ChecksCase{"--check says how it read the file, and finds it clean",
                   {"--check"},
                   QByteArray("\0h\0\n"
                              "\0001\0 \0A\0I",
                              12),
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, named(path, "1 keyframe \xC2\xB7 frame 1 \xC2\xB7 "
                                                      "0:00.0 at 24 fps\n") +
                                              named(path, readAsDat) +
                                              named(path, "read as UTF-16 (big-endian): the file "
                                                          "has no byte-order mark\n"));
                   }},
        ChecksCase{
            "a letter-shaped file is one warning, which names --letters",
            {},
            letterFile,
            0,
            [](const ConverterRun& run, const QByteArray& document, const QString& path) {
                EXPECT_EQ(run.out, document);
                EXPECT_EQ(
                    run.err,
                    "mouthkey-convert: warning: " +
                        named(path,
                              "letter mouth shapes (A, B and X) as phoneme "
                              "names on 3 lines (2, 3, 6); its D and E are "
                              "read as the phonemes D and E, not as letters: "
                              "pasted unchanged; they can be read as letter mouth shapes instead "
                              "(A as MBP, B as etc, C as E, D as AI, E as O, F "
                              "as U, G as FV, H as L, X as rest), with "
                              "--letters\n"));
            }},
        ChecksCase{"--letters reads each letter as its chart name, with no warning",
                   {"--letters", "--strict"},
                   letterFile,
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString&) {
                       EXPECT_EQ(run.out, windowDocument(letterFileNamed, 0, 0));
                       EXPECT_EQ(run.err, "");
                   }},
        ChecksCase{"--check --letters finds a letter-shaped file clean",
                   {"--check", "--letters"},
                   letterFile,
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, named(path, "6 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                                                      "20 \xC2\xB7 0:00.8 at 24 fps\n") +
                                              named(path, readAsDat));
                   }},
        ChecksCase{"--check names each voice of a project, and what is about the file once",
                   {"--check", "--fps", "25"},
                   twoVoices(),
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(
                           run.out.toStdString(),
                           (ofVoice(path, "Ann", annAt25) +
                            ofVoice(path, "Ann", "read as Papagayo-NG project, voice 1 of 2\n") +
                            ofVoice(path, "Ann", annHeld) + ofVoice(path, "Bob", bobAt25) +
                            ofVoice(path, "Bob", "read as Papagayo-NG project, voice 2 of 2\n") +
                            ofVoice(path, "Bob", unknownZz) + ofVoice(path, "Bob", bobHeld) +
                            named(path, timedAt24))
                               .toStdString());
                   }},
        ChecksCase{"--check of a project finds what is in any of its voices",
                   {"--check"},
                   twoVoices(),
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_TRUE(run.out.endsWith(ofVoice(path, "Bob", unknownZz) +
                                                    ofVoice(path, "Bob", bobHeld)))
                           << run.out.toStdString();
                   }},
        ChecksCase{"--voice picks the one voice --check checks",
                   {"--check", "--fps", "25", "--voice", "Bob"},
                   twoVoices(),
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(
                           run.out.toStdString(),
                           (named(path, bobAt25) +
                            named(path, "read as Papagayo-NG project, voice 'Bob' (2 of 2)\n") +
                            named(path, timedAt24) + named(path, unknownZz) + named(path, bobHeld))
                               .toStdString());
                   }},
        ChecksCase{"--check takes no -o",
                   {"--check", "-o", "out.txt"},
                   oddFile,
                   2,
                   [](const ConverterRun& run, const QByteArray&, const QString&) {
                       EXPECT_EQ(
                           run.err.toStdString(),
                           std::string("mouthkey-convert: --check writes no document, so it takes "
                                       "no -o\n") +
                               tryHelp);
                   }}));

struct SeveralCase {
    const char* what;
    std::vector<const char*> files; // each one's content; nullptr: no such file
    bool outputDir;                 // with -d, which still writes nothing
    int exitCode;
    friend void PrintTo(const SeveralCase& c, std::ostream* os) { *os << c.what; }
};

class CheckSeveral : public testing::TestWithParam<SeveralCase> {};

// Several files give what checking each alone gives, in their order, and one
// status for them all.
TEST_P(CheckSeveral, reportsEachByNameAndGoesOnPastTrouble) {
    const auto& c = GetParam();
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    ASSERT_TRUE(dir.mkdir(QStringLiteral("keys")));
    QStringList inputs;
    QByteArray expectedOut;
    QByteArray expectedErr;
    for (const char* content : c.files) {
        inputs << dir.filePath(QStringLiteral("take%1.dat").arg(inputs.size()));
        if (content) {
            ASSERT_TRUE(writeFile(inputs.last(), content));
        }
        const ConverterRun alone = runConverter({QStringLiteral("--check"), inputs.last()});
        expectedOut += alone.out;
        expectedErr += alone.err;
    }
    const QStringList options = c.outputDir
                                    ? QStringList{QStringLiteral("--check"), QStringLiteral("-d"),
                                                  dir.filePath(QStringLiteral("keys"))}
                                    : QStringList{QStringLiteral("--check")};
    const ConverterRun run = runConverter(options + inputs);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out.toStdString(), expectedOut.toStdString());
    EXPECT_EQ(run.err.toStdString(), expectedErr.toStdString());
    EXPECT_EQ(run.out.count("': "), run.out.count('\n')) << "every line is named";
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("keys"))).isEmpty());
}

const char* const clean = "h\n1 AI\n";
const char* const latin1 = "h\n1 caf\xE9\n";

INSTANTIATE_TEST_SUITE_P(
    Files, CheckSeveral,
    testing::Values(SeveralCase{"all clean", {clean, clean}, false, 0},
                    SeveralCase{"findings in one", {clean, oddFile.constData(), clean}, false, 1},
                    SeveralCase{"one missing and one undecodable among findings",
                                {clean, nullptr, oddFile.constData(), latin1},
                                false,
                                2},
                    SeveralCase{"with -d", {oddFile.constData(), clean}, true, 1}));

// A chart beside the input, one given, and one that cannot be read.
TEST(ContentChecks, aMouthChartFileChoosesTheDrawings) {
    const char* const restHeld = "1 mouth shows for a single frame (line 2): pasted unchanged; "
                                 "hold each mouth for two frames at least with --min-hold 2\n";
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("take1.dat"));
    const QString beside = dir.filePath(QStringLiteral("mouth-chart.txt"));
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    ASSERT_TRUE(writeFile(in, "h\n1 rest\n2 AI\n"));
    ASSERT_TRUE(writeFile(beside, "# two drawings\nAI\nrest E rest\n"));
    ASSERT_TRUE(writeFile(other, "  # nothing\n"));
    const QString slider = QStringLiteral("--target=slider");
    const QByteArray keys = "\tFrame\t\t\n\t1\t1\t\n\t2\t0\t\n\nEnd of Keyframe Data";

    ConverterRun run = runConverter({slider, in});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.endsWith(keys)) << run.out.toStdString();
    EXPECT_EQ(run.err.toStdString(),
              "mouthkey-convert: note: '" + in.toStdString() + "': drawings as the mouth chart '" +
                  beside.toStdString() +
                  "' beside it lists them; --chart chooses another\n"
                  "mouthkey-convert: warning: '" +
                  beside.toStdString() + "': 'rest' is listed for an earlier drawing on line 3\n" +
                  "mouthkey-convert: note: " + named(in, restHeld).toStdString());

    // The set's own chart, printed, gives the document no chart gives.
    const ConverterRun printed = runConverter({QStringLiteral("--print-chart")});
    EXPECT_EQ(printed.exitCode, 0);
    EXPECT_TRUE(printed.out.startsWith("# ")) << printed.out.toStdString();
    EXPECT_TRUE(printed.out.endsWith("\nrest\nAI TH CH D K\nE\nL\nFV\nMBP\nO\nU\nWQ\netc\n"));
    ASSERT_TRUE(writeFile(other, printed.out));
    ASSERT_TRUE(QFile::remove(beside));
    const ConverterRun setChart = runConverter({slider, in});
    EXPECT_EQ(setChart.err, "mouthkey-convert: note: " + named(in, restHeld));
    EXPECT_EQ(runConverter({slider, QStringLiteral("--chart"), other, in}).out, setChart.out);
    EXPECT_TRUE(setChart.out.endsWith("\t1\t0\t\n\t2\t1\t\n\nEnd of Keyframe Data"));

    ASSERT_TRUE(writeFile(other, "# no drawing\n"));
    run = runConverter({slider, QStringLiteral("--chart"), other, in});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err.toStdString(), "mouthkey-convert: cannot read '" + other.toStdString() +
                                         "': the mouth chart lists no drawing\n");
}

TEST(ContentChecks, strictLeavesAnExistingOutputAsItWas) {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("take1.dat"));
    const QString out = dir.filePath(QStringLiteral("take1.txt"));
    ASSERT_TRUE(writeFile(in, oddFile) && writeFile(out, "earlier document"));
    EXPECT_EQ(runConverter({QStringLiteral("--strict"), in, QStringLiteral("-o"), out}).exitCode,
              1);
    EXPECT_EQ(readFile(out), "earlier document");
}

TEST(ContentChecks, warningsStayShortOnAFileOfUnknownNames) {
    QByteArray text = "h\n";
    for (int i = 0; i < 200000; ++i) {
        text += QByteArray::number(i) + " name" + QByteArray::number(i % 5000) + "\n";
    }
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("many.dat"));
    ASSERT_TRUE(writeFile(in, text));
    const ConverterRun run = runConverter({in, QStringLiteral("-o"), dir.filePath("many.txt")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_LE(run.err.count('\n'), 10);
    EXPECT_LT(run.err.size(), 2000);
}

} // namespace
