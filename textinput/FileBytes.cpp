#include "textinput/FileBytes.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mouthkey {

namespace {

const QString notRegular = QStringLiteral("not a regular file");

FileBytes unreadable(const QString& reason) {
    return {{}, IoError{IoError::Kind::Unreadable, reason}};
}

FileBytes readOpenFile(QFile& file) {
    FileBytes result;
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return unreadable(file.errorString());
    }
    return result;
}

} // namespace

#ifdef Q_OS_UNIX

FileBytes readFileBytes(const QString& path, SourceKinds kinds) {
    // Ask the system directly: QFileInfo reports a folder it may not enter
    // as missing, and cannot tell a pipe from a device.
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        return unreadable(qt_error_string(errno));
    }
    if (S_ISDIR(st.st_mode)) {
        return unreadable(qt_error_string(EISDIR));
    }
    if (S_ISFIFO(st.st_mode) && kinds == SourceKinds::FilesAndPipes) {
        QFile pipe(path);
        if (!pipe.open(QIODevice::ReadOnly)) {
            return unreadable(pipe.errorString());
        }
        return readOpenFile(pipe);
    }
    if (!S_ISREG(st.st_mode)) {
        return unreadable(notRegular);
    }
    // Opened without waiting and checked again, so that a file swapped for
    // a pipe since the check above cannot block the caller.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return unreadable(qt_error_string(errno));
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return unreadable(notRegular);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(file.errorString());
    }
    return readOpenFile(file);
}

#else

FileBytes readFileBytes(const QString& path, SourceKinds) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return unreadable(QStringLiteral("No such file or directory"));
    }
    if (info.isDir()) {
        return unreadable(QStringLiteral("Is a directory"));
    }
    if (!info.isFile()) {
        return unreadable(notRegular);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return unreadable(file.errorString());
    }
    return readOpenFile(file);
}

#endif

FileBytes readStandardInput() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        return unreadable(in.errorString());
    }
    return readOpenFile(in);
}

} // namespace mouthkey
