#include "textinput/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace mouthkey;

namespace {

class FileBytesTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(FileBytesTest, readsARegularFileWhole) {
    QFile f(path("take.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray content("MohoSwitch1\n1 rest\n\0\xFF", 22);
    f.write(content);
    f.close();
    for (auto kinds : {SourceKinds::RegularFilesOnly, SourceKinds::FilesAndPipes}) {
        const FileBytes read = readFileBytes(f.fileName(), kinds);
        ASSERT_FALSE(read.error.has_value());
        EXPECT_EQ(read.bytes, content);
    }
}

TEST_F(FileBytesTest, missingFileAndFolderAreUnreadable) {
    const FileBytes missing = readFileBytes(path("nope.dat"), SourceKinds::FilesAndPipes);
    ASSERT_TRUE(missing.error.has_value());
    EXPECT_EQ(missing.error->reason, QStringLiteral("No such file or directory"));

    const FileBytes folder = readFileBytes(dir.path(), SourceKinds::FilesAndPipes);
    ASSERT_TRUE(folder.error.has_value());
    EXPECT_EQ(folder.error->kind, IoError::Kind::Unreadable);
}

#ifdef Q_OS_UNIX
TEST_F(FileBytesTest, pipeIsRefusedAtOnceWhenOnlyFilesAreAllowed) {
    const QString fifo = path("pipe.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // No writer ever opens this pipe: reading it would block forever.
    const FileBytes read = readFileBytes(fifo, SourceKinds::RegularFilesOnly);
    ASSERT_TRUE(read.error.has_value());
    EXPECT_EQ(read.error->reason, QStringLiteral("not a regular file"));
}

TEST_F(FileBytesTest, pipeIsReadWhenAllowed) {
    const QString fifo = path("pipe.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::thread writer([&] {
        QFile w(fifo);
        if (w.open(QIODevice::WriteOnly)) {
            w.write("h\n1 AI\n");
        }
    });
    const FileBytes read = readFileBytes(fifo, SourceKinds::FilesAndPipes);
    writer.join();
    ASSERT_FALSE(read.error.has_value());
    EXPECT_EQ(read.bytes, QByteArray("h\n1 AI\n"));
}

TEST_F(FileBytesTest, lockedFolderIsReportedAsSuch) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may read anything";
    }
    const QString locked = path("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    QFile f(locked + QStringLiteral("/take.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions{}));
    const FileBytes read = readFileBytes(f.fileName(), SourceKinds::RegularFilesOnly);
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(read.error.has_value());
    EXPECT_EQ(read.error->reason, QStringLiteral("Permission denied"));
}

TEST_F(FileBytesTest, deviceIsRefusedEvenWhenPipesAreAllowed) {
    const FileBytes read = readFileBytes(QStringLiteral("/dev/zero"), SourceKinds::FilesAndPipes);
    ASSERT_TRUE(read.error.has_value());
    EXPECT_EQ(read.error->reason, QStringLiteral("not a regular file"));
}
#endif

} // namespace
