#include "cli/SameFile.h"

#include <QFile>
#include <QHashFunctions>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#else
#include <QFileInfo>
#endif

namespace mouthkey {

std::size_t qHash(const FileIdentity& identity, std::size_t seed) noexcept {
    return qHashMulti(seed, identity.device, identity.inode, identity.canonicalPath);
}

std::optional<FileIdentity> fileIdentity(const QString& path) {
#ifdef Q_OS_UNIX
    // stat follows symbolic links, and a hard link has no other name to compare.
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{
        static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino), {}};
#else
    // Misses hard links, which are rare where there is no stat.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty()) {
        return std::nullopt;
    }
    return FileIdentity{0, 0, canonical};
#endif
}

} // namespace mouthkey
