// Where the converter reads from, what it accepts and what it refuses.
#include "ConverterProcess.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace mouthkey::test;
using namespace std::string_literals;

namespace {

const char* const hello = "hello-world-24fps.dat";
// The same take, timed by hand as a label track.
const char* const helloLabels = "hello-world-labels.txt";

struct SourceCase {
    const char* what;
    std::function<ConverterRun()> run;
    friend void PrintTo(const SourceCase& c, std::ostream* os) { *os << c.what; }
};

class InputSource : public testing::TestWithParam<SourceCase> {};

TEST_P(InputSource, convertsWhatItReads) {
    const ConverterRun run = GetParam().run();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, windowDocument(readSample(hello), 0, 0));
    EXPECT_TRUE(run.err.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Sources, InputSource,
                         testing::Values(SourceCase{"a file",
                                                    [] {
                                                        return runConverter({samplePath(hello)});
                                                    }},
                                         SourceCase{"standard input without INPUT",
                                                    [] {
                                                        return runConverter({}, readSample(hello));
                                                    }},
                                         SourceCase{"standard input as -",
                                                    [] {
                                                        return runConverter({QStringLiteral("-")},
                                                                            readSample(hello));
                                                    }},
                                         SourceCase{"a pipe by process substitution", [] {
                                                        return runShell(
                                                            QStringLiteral("\"$0\" <(cat \"$1\")"),
                                                            {samplePath(hello)});
                                                    }}));

INSTANTIATE_TEST_SUITE_P(
    LabelTracks, InputSource,
    testing::Values(SourceCase{"a label track, told by its text",
                               [] {
                                   return runConverter({samplePath(helloLabels)});
                               }},
                    // A first line of no label would be read as .dat without --from.
                    SourceCase{"a label track as --from labels", [] {
                                   return runConverter({QStringLiteral("--from"),
                                                        QStringLiteral("labels"),
                                                        QStringLiteral("-q")},
                                                       "voice track\n" + readSample(helloLabels));
                               }}));

QByteArray encoded(QStringConverter::Encoding encoding, const QByteArray& utf8) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(QString::fromUtf8(utf8));
}

// A header, then one data line of about 10 MB: a long run of phoneme names.
QByteArray tenMegabyteLine() {
    QByteArray text("MohoSwitch1\n1");
    while (text.size() < 10'000'000) {
        text += " AI rest MBP x";
    }
    return text;
}

// About 3 MB of ordinary lines: many chunks of output.
QByteArray manyLines() {
    QByteArray text("MohoSwitch1\r\n");
    for (int frame = 1; text.size() < 3'000'000; frame += 2) {
        text += QByteArray::number(frame) + (frame % 3 ? " etc\r\n" : " WQ\n");
    }
    return text;
}

struct ContentCase {
    const char* what;
    std::function<QByteArray()> fileBytes;
    std::function<QByteArray()> text; // what the window converts
    friend void PrintTo(const ContentCase& c, std::ostream* os) { *os << c.what; }
};

class InputContent : public testing::TestWithParam<ContentCase> {
protected:
    QTemporaryDir dir;
};

TEST_P(InputContent, givesTheWindowsDocument) {
    const auto& c = GetParam();
    const QString path = dir.filePath(QStringLiteral("take1.dat"));
    ASSERT_TRUE(writeFile(path, c.fileBytes()));
    // Odd content draws warnings, which other tests cover; this one is about the document.
    const ConverterRun run =
        runConverter({path, QStringLiteral("--set"), QStringLiteral("3"), QStringLiteral("-q")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out == windowDocument(c.text(), 3, 0))
        << "output of " << run.out.size() << " bytes differs";
    EXPECT_TRUE(run.err.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, InputContent,
    testing::Values(
        ContentCase{"UTF-8 with BOM", [] { return "\xEF\xBB\xBF" + readSample(hello); },
                    [] {
                        return readSample(hello);
                    }},
        ContentCase{"UTF-16LE with BOM",
                    [] { return encoded(QStringConverter::Utf16LE, readSample(hello)); },
                    [] {
                        return readSample(hello);
                    }},
        ContentCase{"UTF-16BE with BOM and CR LF",
                    [] {
                        return encoded(QStringConverter::Utf16BE,
                                       readSample("good-morning-25fps-crlf.dat"));
                    },
                    [] {
                        return readSample("good-morning-25fps-crlf.dat");
                    }},
        ContentCase{"UTF-32LE with BOM, non-ASCII",
                    [] { return encoded(QStringConverter::Utf32LE, "h\n1 \u212A \u00e9\n"); },
                    [] {
                        return QByteArray("h\n1 \u212A \u00e9\n");
                    }},
        ContentCase{"NUL is text", [] { return QByteArray("h\n1\0 AI\n\0 E"s.c_str(), 11); },
                    [] {
                        return QByteArray("h\n1\0 AI\n\0 E"s.c_str(), 11);
                    }},
        ContentCase{"empty file", [] { return QByteArray(); },
                    [] {
                        return QByteArray();
                    }},
        // Told by its text, whatever its name: seconds re-timed at 24 fps, letters by their chart.
        ContentCase{
            "seconds and letters, in UTF-16 with BOM",
            [] { return encoded(QStringConverter::Utf16LE, "0.00\tX\n0.50\tA\n1.00\tX\n"); },
            [] {
                return QByteArray("MohoSwitch1\n1 rest\n13 MBP\n25 rest\n");
            }},
        ContentCase{"10 MB single data line", tenMegabyteLine, tenMegabyteLine},
        ContentCase{"10 MB header line alone", [] { return QByteArray(10'000'000, 'h'); },
                    [] {
                        return QByteArray();
                    }},
        ContentCase{"3 MB of lines", manyLines, manyLines}));

struct BadInputCase {
    const char* what;
    std::function<QString(const QTemporaryDir&)> prepare; // returns the path to read
    const char* message;                                  // %1 is the path
    bool needsNonRoot = false;
    friend void PrintTo(const BadInputCase& c, std::ostream* os) { *os << c.what; }
};

QString fileWith(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("take1.dat"));
    writeFile(path, content);
    return path;
}

class BadInput : public testing::TestWithParam<BadInputCase> {
protected:
    void SetUp() override {
#ifdef Q_OS_UNIX
        if (GetParam().needsNonRoot && ::geteuid() == 0) {
            GTEST_SKIP() << "root reads files whatever their permissions";
        }
#endif
    }
    QTemporaryDir dir;
};

TEST_P(BadInput, exitsWithOneNamingTheFileAndWritesNothing) {
    const auto& c = GetParam();
    const QString path = c.prepare(dir);
    const ConverterRun run = runConverter({path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.size() << " bytes on standard output";
    EXPECT_EQ(run.err.toStdString(), QStringLiteral("mouthkey-convert: %1\n")
                                         .arg(QString::fromUtf8(c.message).arg(path))
                                         .toStdString());
}

TEST_P(BadInput, leavesAnExistingOutputFileAsItWas) {
    const QString path = GetParam().prepare(dir);
    const QDir outDir(dir.filePath(QStringLiteral("out")));
    ASSERT_TRUE(outDir.mkpath(QStringLiteral(".")));
    const QString target = outDir.filePath(QStringLiteral("keys.txt"));
    const QByteArray earlier("an earlier document\n");
    ASSERT_TRUE(writeFile(target, earlier));

    const ConverterRun run = runConverter({path, QStringLiteral("-o"), target});
    EXPECT_EQ(run.exitCode, 1);
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), earlier);
    EXPECT_EQ(outDir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("keys.txt")})
        << "no temporary file may be left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadInput,
    testing::Values(
        BadInputCase{"missing file",
                     [](const QTemporaryDir& d) { return d.filePath(QStringLiteral("take1.dat")); },
                     "cannot read '%1': No such file or directory"},
        BadInputCase{"a folder",
                     [](const QTemporaryDir& d) {
                         QDir(d.path()).mkdir(QStringLiteral("shots.dat"));
                         return d.filePath(QStringLiteral("shots.dat"));
                     },
                     "cannot read '%1': Is a directory"},
        BadInputCase{"a device", [](const QTemporaryDir&) { return QStringLiteral("/dev/zero"); },
                     "cannot read '%1': not a regular file"},
        BadInputCase{"no permission",
                     [](const QTemporaryDir& d) {
                         const QString path = fileWith(d, "h\n1 AI\n");
                         QFile::setPermissions(path, QFileDevice::WriteOwner);
                         return path;
                     },
                     "cannot read '%1': Permission denied", true},
        BadInputCase{"Latin-1 text",
                     [](const QTemporaryDir& d) { return fileWith(d, "h\n1 caf\xE9\n2 AI\n"); },
                     "'%1' is not valid UTF-8 text"},
        BadInputCase{"invalid UTF-8 after a BOM late in the file",
                     [](const QTemporaryDir& d) {
                         // Far more output than one chunk before the bad byte.
                         return fileWith(d, "\xEF\xBB\xBFh\n" +
                                                QByteArray("1 AI\n").repeated(50'000) + "\xFF");
                     },
                     "'%1' is not valid UTF-8 text"},
        BadInputCase{
            "UTF-16 cut in the middle of a character",
            [](const QTemporaryDir& d) { return fileWith(d, QByteArray("\xFF\xFEh\0\n", 5)); },
            "'%1' is not valid UTF-16 text"},
        BadInputCase{"a JSON document of no timing format",
                     [](const QTemporaryDir& d) { return fileWith(d, "{\"frames\": [1, 5]}\n"); },
                     "'%1' is not a timing file Mouthkey reads (it looks like an XML or JSON "
                     "document, but not one of Moho switch data, Rhubarb TSV, Rhubarb XML, Rhubarb "
                     "JSON, Papagayo-NG project, Papagayo-NG JSON project, Audacity labels; read "
                     "it with --from to say which it is)"},
        BadInputCase{"UTF-16 with a lone surrogate",
                     [](const QTemporaryDir& d) {
                         return fileWith(d, QByteArray("\xFE\xFF\0h\0\n\xD8\x00\0A", 10));
                     },
                     "'%1' is not valid UTF-16 text"}));

TEST(BadStandardInput, isNamedAsStandardInput) {
    const ConverterRun run = runConverter({}, QByteArray("h\n1 caf\xE9\n"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, QByteArray("mouthkey-convert: standard input is not valid UTF-8 text\n"));
}

} // namespace
