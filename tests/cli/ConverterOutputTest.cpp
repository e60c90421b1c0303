// Where the document goes, and how a failed write is reported.
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

struct DestinationCase {
    const char* what;
    // Runs the converter on the hello sample for a folder and returns where
    // the document should be: a path, or empty for standard output.
    std::function<QString(const QDir& dir, ConverterRun& run)> convert;
    friend void PrintTo(const DestinationCase& c, std::ostream* os) { *os << c.what; }
};

class OutputDestination : public testing::TestWithParam<DestinationCase> {
protected:
    QTemporaryDir tmp;
};

TEST_P(OutputDestination, receivesExactlyTheDocument) {
    const QDir dir(tmp.path());
    ConverterRun run;
    const QString target = GetParam().convert(dir, run);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    const QByteArray expected = windowDocument(readSample(hello), 0, 0);
    if (target.isEmpty()) {
        EXPECT_EQ(run.out, expected);
    } else {
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(readFile(target), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Destinations, OutputDestination,
    testing::Values(
        DestinationCase{"-o a new file",
                        [](const QDir& dir, ConverterRun& run) {
                            const QString out = dir.filePath(QStringLiteral("keys.txt"));
                            run = runConverter({samplePath(hello), QStringLiteral("-o"), out});
                            return out;
                        }},
        DestinationCase{
            "--output replaces an existing file",
            [](const QDir& dir, ConverterRun& run) {
                const QString out = dir.filePath(QStringLiteral("keys.txt"));
                writeFile(out, QByteArray(100'000, 'x'));
                run = runConverter({QStringLiteral("--output"), out, samplePath(hello)});
                return out;
            }},
        DestinationCase{"-o through a symbolic link",
                        [](const QDir& dir, ConverterRun& run) {
                            const QString real = dir.filePath(QStringLiteral("keys.txt"));
                            const QString link = dir.filePath(QStringLiteral("latest.txt"));
                            writeFile(real, "old");
                            QFile::link(real, link);
                            run = runConverter({samplePath(hello), QStringLiteral("-o"), link});
                            return real;
                        }},
        DestinationCase{
            "-o - is standard output",
            [](const QDir&, ConverterRun& run) {
                run = runConverter({samplePath(hello), QStringLiteral("-o"), QStringLiteral("-")});
                return QString();
            }},
        DestinationCase{"-o a device writes to it rather than replacing it",
                        [](const QDir&, ConverterRun& run) {
                            run = runShell(QStringLiteral("\"$0\" \"$1\" -o /dev/stdout"),
                                           {samplePath(hello)});
                            return QString();
                        }}));

struct WriteFailureCase {
    const char* what;
    std::function<ConverterRun(const QDir& dir, QString& path)> run;
    const char* message; // %1 is the output path
    friend void PrintTo(const WriteFailureCase& c, std::ostream* os) { *os << c.what; }
};

class WriteFailure : public testing::TestWithParam<WriteFailureCase> {
protected:
    QTemporaryDir tmp;
};

TEST_P(WriteFailure, exitsWithOneNamingTheDestination) {
    QString path;
    const ConverterRun run = GetParam().run(QDir(tmp.path()), path);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.toStdString(), QStringLiteral("mouthkey-convert: %1\n")
                                         .arg(QString::fromUtf8(GetParam().message).arg(path))
                                         .toStdString());
}

// Longer than any pipe buffer, so a reader that stops early is noticed.
QString largeInput(const QDir& dir) {
    const QString path = dir.filePath(QStringLiteral("long.dat"));
    writeFile(path, "h\n" + QByteArray("12 MBP\n").repeated(200'000));
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Destinations, WriteFailure,
    testing::Values(
        WriteFailureCase{"-o into a missing folder",
                         [](const QDir& dir, QString& path) {
                             path = dir.filePath(QStringLiteral("renders/keys.txt"));
                             return runConverter({samplePath(hello), QStringLiteral("-o"), path});
                         },
                         "cannot write '%1': No such file or directory"},
        WriteFailureCase{"-o onto a folder",
                         [](const QDir& dir, QString& path) {
                             path = dir.path();
                             return runConverter({samplePath(hello), QStringLiteral("-o"), path});
                         },
                         "cannot write '%1': Filename refers to a directory"},
        WriteFailureCase{"full disk on standard output",
                         [](const QDir&, QString&) {
                             return runShell(QStringLiteral("\"$0\" \"$1\" > /dev/full"),
                                             {samplePath(hello)});
                         },
                         "cannot write to standard output: No space left on device"},
        WriteFailureCase{"standard output closed",
                         [](const QDir&, QString&) {
                             return runShell(QStringLiteral("\"$0\" \"$1\" >&-"),
                                             {samplePath(hello)});
                         },
                         "cannot write to standard output: Bad file descriptor"},
        WriteFailureCase{"listing onto a full disk",
                         [](const QDir&, QString&) {
                             return runShell(QStringLiteral("\"$0\" --list > /dev/full"));
                         },
                         "cannot write to standard output: No space left on device"}));

TEST(OutputOntoInput, isRefusedAndLeavesTheInputAsItWas) {
    QTemporaryDir tmp;
    const QString path = QDir(tmp.path()).filePath(QStringLiteral("take1.dat"));
    ASSERT_TRUE(writeFile(path, readSample(hello)));
    const ConverterRun run = runConverter({QStringLiteral("-o"), path, path});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.toStdString(),
              QStringLiteral("mouthkey-convert: writing '%1' would replace the input '%1'\n")
                      .arg(path)
                      .toStdString() +
                  tryHelp);
    EXPECT_EQ(readFile(path), readSample(hello));
}

struct ClosedPipeCase {
    const char* what;
    const char* script; // $1 is an input larger than any pipe buffer
    friend void PrintTo(const ClosedPipeCase& c, std::ostream* os) { *os << c.what; }
};

class ClosedPipe : public testing::TestWithParam<ClosedPipeCase> {
protected:
    QTemporaryDir tmp;
};

// As for cat: no message, and the status of a death by SIGPIPE.
TEST_P(ClosedPipe, endsTheConverterQuietly) {
    const ConverterRun run =
        runShell(QStringLiteral("set -o pipefail; ") + QString::fromUtf8(GetParam().script),
                 {largeInput(QDir(tmp.path()))});
    EXPECT_EQ(run.exitCode, 128 + 13);
    EXPECT_EQ(run.err.toStdString(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ClosedPipe,
    testing::Values(ClosedPipeCase{"a document read in part", "\"$0\" \"$1\" | head -1 >/dev/null"},
                    // The reader is gone before the short help is written: the
                    // one reader of the pipe has ended before the converter starts.
                    ClosedPipeCase{"the help", "exec {out}> >(:); wait $!; \"$0\" --help >&$out"}));

} // namespace
