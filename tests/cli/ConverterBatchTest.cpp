// Many inputs into one folder: naming, refusals, failures and parallel runs.
#include "ConverterProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

using namespace mouthkey::test;

namespace {

const char* const hello = "hello-world-24fps.dat";
const char* const morning = "good-morning-25fps-crlf.dat";
const char* const everyPhoneme = "every-phoneme.dat";

QStringList entries(const QDir& dir) {
    return dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

class Batch : public testing::Test {
public:
    void SetUp() override { ASSERT_TRUE(root.mkpath(QStringLiteral("out"))); }

    // Writes a sample's text under a new name in the shots folder.
    QString shot(const QString& name, const QByteArray& content) {
        root.mkpath(QFileInfo(root.filePath(QStringLiteral("shots/") + name)).path());
        const QString path = root.filePath(QStringLiteral("shots/") + name);
        EXPECT_TRUE(writeFile(path, content));
        return path;
    }
    QString out(const char* name) const { return root.filePath(QStringLiteral("out/") + name); }
    QString outPath() const { return outDir.path(); }

protected:
    QTemporaryDir tmp;
    QDir root{tmp.path()};
    QDir outDir{tmp.filePath(QStringLiteral("out"))};
};

TEST_F(Batch, writesEachInputToItsNameInTheFolder) {
    const ConverterRun run =
        runConverter({QStringLiteral("--set"), QStringLiteral("3"), QStringLiteral("--fps"),
                      QStringLiteral("25"), QStringLiteral("--output-dir"), outDir.path(),
                      shot(QStringLiteral("Shot01.DAT"), readSample(hello)),
                      shot(QStringLiteral("take.2.dat"), readSample(morning)),
                      shot(QStringLiteral("notes"), readSample(everyPhoneme))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.isEmpty());
    EXPECT_EQ(entries(outDir),
              (QStringList{QStringLiteral("Shot01.txt"), QStringLiteral("notes.txt"),
                           QStringLiteral("take.2.txt")}));
    EXPECT_EQ(readFile(out("Shot01.txt")), windowDocument(readSample(hello), 3, 3));
    EXPECT_EQ(readFile(out("take.2.txt")), windowDocument(readSample(morning), 3, 3));
    EXPECT_EQ(readFile(out("notes.txt")), windowDocument(readSample(everyPhoneme), 3, 3));
}

TEST_F(Batch, writesARateNoTitleWritesIntoEveryDocument) {
    const ConverterRun run =
        runConverter({QStringLiteral("--fps"), QStringLiteral("23.976"), QStringLiteral("-d"),
                      outPath(), shot(QStringLiteral("a.dat"), readSample(hello)),
                      shot(QStringLiteral("b.dat"), readSample(morning))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readFile(out("a.txt")), documentAtRate(readSample(hello), 0, "23.976"));
    EXPECT_EQ(readFile(out("b.txt")), documentAtRate(readSample(morning), 0, "23.976"));
}

TEST_F(Batch, readsLettersInEveryFileWithLetters) {
    const ConverterRun run = runConverter({QStringLiteral("--letters"), QStringLiteral("--set"),
                                           QStringLiteral("4"), QStringLiteral("-d"), outPath(),
                                           shot(QStringLiteral("a.dat"), "h\n1 X\n2 G\n3 FV\n")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Nothing to warn of; a note of advice may remain.
    EXPECT_FALSE(run.err.contains("warning:")) << run.err.toStdString();
    EXPECT_EQ(readFile(out("a.txt")), windowDocument("h\n1 rest\n2 FV\n3 FV\n", 4, 0));
}

// Each input's drawings come from the chart in its own folder, or the set's.
TEST_F(Batch, drawsEachInputByTheChartBesideIt) {
    const QByteArray take = "h\n1 rest\n2 E\n";
    const QString a = shot(QStringLiteral("one/a.dat"), take);
    const QString b = shot(QStringLiteral("two/b.dat"), take);
    shot(QStringLiteral("one/mouth-chart.txt"), "E\nrest\n");
    const ConverterRun run =
        runConverter({QStringLiteral("--target"), QStringLiteral("slider"), QStringLiteral("-q"),
                      QStringLiteral("-d"), outPath(), a, b});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(readFile(out("a.txt")).endsWith("\t1\t1\t\n\t2\t0\t\n\nEnd of Keyframe Data"));
    EXPECT_TRUE(readFile(out("b.txt")).endsWith("\t1\t0\t\n\t2\t2\t\n\nEnd of Keyframe Data"));
}

TEST_F(Batch, warnsPerFileAndStrictRefusesOnlyTheFilesWithFindings) {
    const QString odd = shot(QStringLiteral("odd.dat"), "h\n1 ai\n");
    const QStringList inputs{shot(QStringLiteral("a.dat"), readSample(hello)), odd};
    const QByteArray warning = "mouthkey-convert: warning: '" + odd.toUtf8() +
                               "': unknown phoneme 'ai' on line 2: pasted unchanged; did you "
                               "mean 'AI'?\n";

    const ConverterRun warned = runConverter(QStringList{QStringLiteral("-d"), outPath()} + inputs);
    EXPECT_EQ(warned.exitCode, 0);
    EXPECT_EQ(warned.err, warning);
    EXPECT_EQ(entries(outDir), (QStringList{QStringLiteral("a.txt"), QStringLiteral("odd.txt")}));

    ASSERT_TRUE(QFile::remove(out("a.txt")) && QFile::remove(out("odd.txt")));
    const ConverterRun strict = runConverter(
        QStringList{QStringLiteral("--strict"), QStringLiteral("-d"), outPath()} + inputs);
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_TRUE(strict.err.startsWith(warning)) << strict.err.toStdString();
    EXPECT_EQ(entries(outDir), QStringList{QStringLiteral("a.txt")});
}

TEST_F(Batch, namesAndSkipsAFailingInputAndLeavesItsOutputAsItWas) {
    const QByteArray earlier("an earlier document\n");
    ASSERT_TRUE(writeFile(out("latin1.txt"), earlier));
    const QString bad = shot(QStringLiteral("latin1.dat"), "h\n1 caf\xE9\n");
    const QString missing = root.filePath(QStringLiteral("shots/missing.dat"));
    const ConverterRun run = runConverter(
        {QStringLiteral("-d"), outDir.path(), shot(QStringLiteral("a.dat"), readSample(hello)), bad,
         missing, shot(QStringLiteral("b.dat"), readSample(morning))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.toStdString(),
              QStringLiteral("mouthkey-convert: '%1' is not valid UTF-8 text\n"
                             "mouthkey-convert: cannot read '%2': No such file or directory\n")
                  .arg(bad, missing)
                  .toStdString());
    EXPECT_EQ(readFile(out("latin1.txt")), earlier);
    EXPECT_EQ(readFile(out("a.txt")), windowDocument(readSample(hello), 0, 0));
    EXPECT_EQ(readFile(out("b.txt")), windowDocument(readSample(morning), 0, 0));
    EXPECT_EQ(entries(outDir), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"),
                                            QStringLiteral("latin1.txt")}))
        << "no temporary file may be left behind";
}

// Outputs replaced in a batch look as one call's -o leaves them: a link is
// followed, not replaced, and a replaced file keeps its permissions.
TEST_F(Batch, replacesOutputsAsASingleCallDoes) {
    using P = QFileDevice::Permission;
    const QFileDevice::Permissions kept = P::ReadOwner | P::WriteOwner | P::ReadGroup;
    const QString real = root.filePath(QStringLiteral("real.txt"));
    ASSERT_TRUE(writeFile(out("kept.txt"), "old\n") && writeFile(real, "old\n"));
    ASSERT_TRUE(QFile::setPermissions(out("kept.txt"), kept) &&
                QFile::setPermissions(real, P::ReadOwner | P::WriteOwner | P::ReadOther));
    ASSERT_TRUE(QFile::link(real, out("linked.txt")));
    const QString single = root.filePath(QStringLiteral("single.txt"));
    ASSERT_EQ(runConverter({QStringLiteral("-o"), single, samplePath(hello)}).exitCode, 0);

    const ConverterRun run = runConverter({QStringLiteral("-d"), outPath(),
                                           shot(QStringLiteral("kept.dat"), readSample(hello)),
                                           shot(QStringLiteral("linked.dat"), readSample(hello)),
                                           shot(QStringLiteral("new.dat"), readSample(hello))});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray document = windowDocument(readSample(hello), 0, 0);
    for (const char* name : {"kept.txt", "linked.txt", "new.txt"}) {
        EXPECT_EQ(readFile(out(name)), document) << name;
    }
    // The bits of the owner, group and others; the "user" ones repeat the owner's.
    const auto mode = [](const QString& path) {
        return QFile::permissions(path) & ~(P::ReadUser | P::WriteUser | P::ExeUser);
    };
    EXPECT_EQ(mode(out("kept.txt")), kept);
    EXPECT_EQ(QFileInfo(out("linked.txt")).symLinkTarget(), real);
    EXPECT_EQ(mode(real), P::ReadOwner | P::WriteOwner | P::ReadOther);
    EXPECT_EQ(mode(out("new.txt")), mode(single));
    EXPECT_EQ(entries(outDir),
              (QStringList{QStringLiteral("kept.txt"), QStringLiteral("linked.txt"),
                           QStringLiteral("new.txt")}));
}

struct RefusalCase {
    const char* what;
    // Prepares the inputs in the test's folder and returns the arguments.
    std::function<QStringList(Batch& test)> arguments;
    int exitCode;
    const char* firstLine; // %1 is the test's root folder
    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.what; }
};

class BatchRefusal : public Batch, public testing::WithParamInterface<RefusalCase> {};

TEST_P(BatchRefusal, refusesBeforeWritingAnything) {
    const auto& c = GetParam();
    ASSERT_TRUE(writeFile(out("kept.txt"), "kept\n"));
    const ConverterRun run = runConverter(c.arguments(*this));
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(run.out.isEmpty());
    const QString firstLine =
        QString::fromUtf8(c.firstLine).replace(QStringLiteral("%1"), tmp.path());
    EXPECT_EQ(run.err.toStdString(),
              (firstLine + QLatin1Char('\n')).toStdString() + (c.exitCode == 2 ? tryHelp : ""));
    EXPECT_EQ(entries(outDir), QStringList{QStringLiteral("kept.txt")});
    EXPECT_EQ(readFile(out("kept.txt")), QByteArray("kept\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BatchRefusal,
    testing::Values(
        RefusalCase{"two inputs with one output name",
                    [](Batch& t) {
                        return QStringList{QStringLiteral("-d"), t.outPath(),
                                           t.shot(QStringLiteral("x.dat"), readSample(hello)),
                                           t.shot(QStringLiteral("b/x.DAT"), readSample(hello))};
                    },
                    2,
                    "mouthkey-convert: '%1/shots/x.dat' and '%1/shots/b/x.DAT' would both be "
                    "written to '%1/out/x.txt'"},
        RefusalCase{"an input that would be its own output",
                    [](Batch& t) {
                        return QStringList{QStringLiteral("-d"), t.outPath(),
                                           t.shot(QStringLiteral("new.dat"), readSample(hello)),
                                           t.out("kept.txt")};
                    },
                    2, "mouthkey-convert: '%1/out/kept.txt' would be its own output in '%1/out'"},
        RefusalCase{"an output that is a hard link to an input",
                    [](Batch& t) {
                        const QString input = t.shot(QStringLiteral("kept.dat"), {});
                        EXPECT_TRUE(QFile::remove(input) && hardLink(t.out("kept.txt"), input));
                        return QStringList{QStringLiteral("-d"), t.outPath(), input};
                    },
                    2,
                    "mouthkey-convert: writing '%1/out/kept.txt' for '%1/shots/kept.dat' would "
                    "replace the input '%1/shots/kept.dat'"},
        RefusalCase{"-d with no inputs, as from xargs without -r",
                    [](Batch& t) {
                        return QStringList{QStringLiteral("-d"), t.outPath()};
                    },
                    2,
                    "mouthkey-convert: no input files were given for -d (xargs without -r runs "
                    "the command once with none)"},
        RefusalCase{"-o with several inputs",
                    [](Batch& t) {
                        return QStringList{QStringLiteral("-o"), t.out("all.txt"),
                                           t.shot(QStringLiteral("a.dat"), readSample(hello)),
                                           t.shot(QStringLiteral("b.dat"), readSample(hello))};
                    },
                    2, "mouthkey-convert: -o writes one file, but 2 inputs were given; use -d DIR"},
        RefusalCase{"a folder that does not exist",
                    [](Batch& t) {
                        return QStringList{QStringLiteral("-d"), t.out("renders"),
                                           t.shot(QStringLiteral("a.dat"), readSample(hello))};
                    },
                    1,
                    "mouthkey-convert: cannot write into '%1/out/renders': No such file or "
                    "directory"}));

// Files of many sizes, a few of them bad or missing: any number of jobs gives the same
// files and the same messages, in input order.
TEST_F(Batch, givesTheSameResultWithOneJobAsWithFour) {
    QStringList inputs;
    QByteArray expectedErr;
    for (int i = 0; i < 24; ++i) {
        const QString name = QStringLiteral("s%1.dat").arg(i, 2, 10, QLatin1Char('0'));
        QByteArray text = "MohoSwitch1\n";
        // The first bad file is large, so that the missing one after it fails first.
        const int frames = i == 4 ? 600'000 : 400 * (i % 7 + 1);
        for (int frame = 1; frame < frames; frame += 3) {
            text += QByteArray::number(frame) + (frame % 2 ? " MBP\n" : " etc\n");
        }
        if (i % 9 == 4) {
            text += "\xFF";
        }
        inputs << shot(name, text);
        if (i % 9 == 4) {
            expectedErr +=
                "mouthkey-convert: '" + inputs.last().toUtf8() + "' is not valid UTF-8 text\n";
        }
        if (i == 4) {
            inputs << root.filePath(QStringLiteral("shots/missing.dat"));
            expectedErr += "mouthkey-convert: cannot read '" + inputs.last().toUtf8() +
                           "': No such file or directory\n";
        }
    }
    QDir(root).mkdir(QStringLiteral("one"));
    QDir(root).mkdir(QStringLiteral("four"));
    const ConverterRun one =
        runConverter(QStringList{QStringLiteral("-j"), QStringLiteral("1"), QStringLiteral("-d"),
                                 root.filePath(QStringLiteral("one"))} +
                     inputs);
    const ConverterRun four =
        runConverter(QStringList{QStringLiteral("--jobs"), QStringLiteral("4"),
                                 QStringLiteral("-d"), root.filePath(QStringLiteral("four"))} +
                     inputs);
    EXPECT_EQ(one.exitCode, 1);
    EXPECT_EQ(four.exitCode, 1);
    EXPECT_EQ(one.err.toStdString(), expectedErr.toStdString());
    EXPECT_EQ(four.err.toStdString(), expectedErr.toStdString());
    const QDir oneDir(root.filePath(QStringLiteral("one")));
    const QStringList written = entries(oneDir);
    EXPECT_EQ(written.size(), 21);
    EXPECT_EQ(entries(QDir(root.filePath(QStringLiteral("four")))), written);
    for (const QString& name : written) {
        EXPECT_EQ(readFile(oneDir.filePath(name)),
                  readFile(root.filePath(QStringLiteral("four/") + name)))
            << name.toStdString();
    }
}

TEST_F(Batch, countsTheFilesDoneOnATerminal) {
    QStringList inputs;
    for (int i = 0; i < 8; ++i) {
        inputs << shot(QStringLiteral("t%1.dat").arg(i), readSample(hello));
    }
    // script(1) gives the converter a terminal for its standard streams.
    const ConverterRun run =
        runShell(QStringLiteral("command -v script >/dev/null || exit 77; "
                                "script -qec \"$(printf '%q ' \"$0\" -d \"$@\")\" /dev/null"),
                 QStringList{outPath()} + inputs);
    if (run.exitCode == 77) {
        GTEST_SKIP() << "script(1) is not installed";
    }
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(QByteArray(run.out).replace('\r', '|').contains("|converted "))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(" of 8"));
    EXPECT_TRUE(run.out.endsWith('\r')) << "the count is wiped at the end";
    EXPECT_EQ(readFile(out("t7.txt")), windowDocument(readSample(hello), 0, 0));
}

} // namespace
