#include "textinput/FileBytes.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace mouthkey {

namespace {

FileBytes unreadable(const QString& reason) {
    return {{}, TextInputError{TextInputError::Kind::Unreadable, reason}};
}

FileBytes readOpenFile(QFile& file) {
    FileBytes result;
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return unreadable(file.errorString());
    }
    return result;
}

// QFileInfo cannot tell a pipe from a device, so ask the system.
bool isPipeOrSocket(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
           (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace

FileBytes readFileBytes(const QString& path, SourceKinds kinds) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return unreadable(QStringLiteral("No such file or directory"));
    }
    if (info.isDir()) {
        return unreadable(QStringLiteral("Is a directory"));
    }
    if (!info.isFile() && !(kinds == SourceKinds::FilesAndPipes && isPipeOrSocket(path))) {
        return unreadable(QStringLiteral("not a regular file"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return unreadable(file.errorString());
    }
    return readOpenFile(file);
}

FileBytes readStandardInput() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        return unreadable(in.errorString());
    }
    return readOpenFile(in);
}

} // namespace mouthkey
