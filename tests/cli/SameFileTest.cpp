// Whether two paths reach one file, which decides that an output would
// replace an input, for -o and -d alike.
#include "cli/SameFile.h"

#include "ConverterProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

using namespace mouthkey;
using namespace mouthkey::test;

namespace {

struct SameFileCase {
    const char* what;
    // Makes a second path in the folder, given the path of "take.dat" there.
    std::function<QString(const QDir& dir, const QString& take)> other;
    bool same;
    friend void PrintTo(const SameFileCase& c, std::ostream* os) { *os << c.what; }
};

class SameFile : public testing::TestWithParam<SameFileCase> {};

TEST_P(SameFile, comparesFilesNotNames) {
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    const QString take = dir.filePath(QStringLiteral("take.dat"));
    ASSERT_TRUE(writeFile(take, "h\n1 AI\n"));
    const QString other = GetParam().other(dir, take);
    const auto identity = fileIdentity(take);
    ASSERT_TRUE(identity);
    EXPECT_EQ(fileIdentity(other) == identity, GetParam().same) << other.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SameFile,
    testing::Values(SameFileCase{"the same name",
                                 [](const QDir&, const QString& take) { return take; }, true},
                    SameFileCase{"through ./",
                                 [](const QDir& dir, const QString&) {
                                     return dir.path() + QStringLiteral("/./take.dat");
                                 },
                                 true},
                    SameFileCase{"a symbolic link",
                                 [](const QDir& dir, const QString& take) {
                                     const QString link =
                                         dir.filePath(QStringLiteral("latest.dat"));
                                     EXPECT_TRUE(QFile::link(take, link));
                                     return link;
                                 },
                                 true},
                    SameFileCase{"a hard link",
                                 [](const QDir& dir, const QString& take) {
                                     const QString link = dir.filePath(QStringLiteral("take.txt"));
                                     EXPECT_TRUE(hardLink(take, link));
                                     return link;
                                 },
                                 true},
                    SameFileCase{"a copy",
                                 [](const QDir& dir, const QString& take) {
                                     const QString copy = dir.filePath(QStringLiteral("copy.dat"));
                                     EXPECT_TRUE(QFile::copy(take, copy));
                                     return copy;
                                 },
                                 false},
                    SameFileCase{"a file not written yet",
                                 [](const QDir& dir, const QString&) {
                                     return dir.filePath(QStringLiteral("take.txt"));
                                 },
                                 false}));

} // namespace
