// What the converter says about a timing file's content, and what --strict,
// -q and --check make of it, through the real binary.
#include "ConverterProcess.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

using namespace mouthkey::test;

namespace {

const QByteArray oddFile = "h\n1 ai\n2 ai\n3 AI\n";
const char* const unknownAi = "unknown phoneme 'ai' on 2 lines (2, 3); did you mean 'AI'?\n";

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

INSTANTIATE_TEST_SUITE_P(
    Options, ContentChecks,
    testing::Values(
        ChecksCase{"warnings go to standard error, the document is still written",
                   {},
                   oddFile,
                   0,
                   [](const ConverterRun& run, const QByteArray& document, const QString& path) {
                       EXPECT_EQ(run.out, document);
                       EXPECT_EQ(run.err, "mouthkey-convert: warning: " + named(path, unknownAi));
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
        ChecksCase{"--check prints the summary and the findings",
                   {"--check"},
                   oddFile,
                   1,
                   [](const ConverterRun& run, const QByteArray&, const QString& path) {
                       EXPECT_EQ(run.out, named(path, "3 keyframes \xC2\xB7 frames 1\xE2\x80\x93"
                                                      "3 \xC2\xB7 0:00.1 at 24 fps\n") +
                                              named(path, unknownAi));
                       EXPECT_EQ(run.err, "");
                   }},
        ChecksCase{"--check passes a clean file",
                   {"--check"},
                   "h\n1 AI\n",
                   0,
                   [](const ConverterRun& run, const QByteArray&, const QString&) {
                       EXPECT_TRUE(run.out.endsWith(": 1 keyframe \xC2\xB7 frame 1 \xC2\xB7 "
                                                    "0:00.0 at 24 fps\n"))
                           << run.out.toStdString();
                   }},
        ChecksCase{
            "--check takes no -o",
            {"--check", "-o", "out.txt"},
            oddFile,
            2,
            [](const ConverterRun& run, const QByteArray&, const QString&) {
                EXPECT_TRUE(run.err.startsWith(
                    "mouthkey-convert: --check writes no document, so it takes no -o or -d\n"));
            }}));

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
