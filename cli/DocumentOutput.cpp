#include "cli/DocumentOutput.h"

#include "cli/StandardStreams.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>
#endif

namespace mouthkey {

namespace {

#ifdef Q_OS_LINUX
bool syncReportsWriteErrors() {
    utsname system{};
    int major = 0;
    int minor = 0;
    return ::uname(&system) == 0 && std::sscanf(system.release, "%d.%d", &major, &minor) == 2 &&
           (major > 5 || (major == 5 && minor >= 17));
}

bool isLocalDiskFileSystem(decltype(statfs::f_type) type) {
    switch (type) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}
#endif

} // namespace

SharedSync::SharedSync(const QString& folder) {
#ifdef Q_OS_LINUX
    m_folder = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct statfs fileSystem {};
    struct stat status {};
    // place() names an unnamed file through /proc.
    const bool usable = m_folder >= 0 && syncReportsWriteErrors() &&
                        ::fstatfs(m_folder, &fileSystem) == 0 &&
                        isLocalDiskFileSystem(fileSystem.f_type) &&
                        ::fstat(m_folder, &status) == 0 && ::access("/proc/self/fd", X_OK) == 0;
    if (!usable) {
        if (m_folder >= 0) {
            ::close(m_folder);
        }
        m_folder = -1;
        return;
    }
    m_device = static_cast<quint64>(status.st_dev);
#else
    Q_UNUSED(folder);
#endif
}

SharedSync::~SharedSync() {
#ifdef Q_OS_LINUX
    if (m_folder >= 0) {
        ::close(m_folder);
    }
#endif
}

bool SharedSync::covers([[maybe_unused]] int fd) const {
#ifdef Q_OS_LINUX
    struct stat status {};
    return available() && ::fstat(fd, &status) == 0 &&
           static_cast<quint64>(status.st_dev) == m_device;
#else
    return false;
#endif
}

std::optional<IoError> SharedSync::sync() const {
#ifdef Q_OS_LINUX
    if (::syncfs(m_folder) != 0) {
        return IoError{IoError::Kind::Unwritable, qt_error_string(errno)};
    }
#endif
    return std::nullopt;
}

DocumentOutput::DocumentOutput(std::optional<QString> path, const SharedSync* sharedSync)
    : m_path(std::move(path)), m_sharedSync(sharedSync) {}

DocumentOutput::~DocumentOutput() = default;

std::optional<IoError> DocumentOutput::open() {
    // The converter hands over large chunks; buffering them again gains nothing.
    constexpr auto mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (!m_path) {
        auto out = std::make_unique<QFile>();
        const bool opened = out->open(fileno(stdout), mode, QFileDevice::DontCloseHandle);
        m_device = std::move(out);
        return opened ? openSpool() : fail();
    }
    const QFileInfo target(*m_path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        // Replacing a device or a pipe with a regular file would be wrong.
        auto direct = std::make_unique<QFile>(*m_path);
        const bool opened = direct->open(mode);
        m_device = std::move(direct);
        return opened ? openSpool() : fail();
    }
    if (m_sharedSync && openUnnamed()) {
        return std::nullopt;
    }
    auto file = std::make_unique<QSaveFile>(*m_path);
    const bool opened = file->open(mode);
    m_replacement = file.get();
    m_device = std::move(file);
    return opened ? std::nullopt : fail();
}

// As QSaveFile writes it, but unnamed and left unsynced: the file a symbolic
// link leads to is replaced, a new file gets the usual permissions and a
// replaced one keeps its own, and a run that stops leaves nothing behind.
// False when that cannot be done here, for QSaveFile to do it (or to say why
// not).
bool DocumentOutput::openUnnamed() {
#ifdef Q_OS_LINUX
    QFileInfo target(*m_path);
    for (int depth = 0; depth < 128 && target.isSymLink(); ++depth) {
        target.setFile(target.symLinkTarget());
    }
    if (target.isSymLink() || target.isDir()) {
        return false;
    }
    const bool replaces = target.exists();
    if (replaces && !target.isWritable()) {
        return false; // a file its owner made read-only is refused, as QSaveFile refuses it
    }
    // Closed to others until it has the permissions of the file it replaces.
    const int fd = ::open(QFile::encodeName(target.absolutePath()).constData(),
                          O_TMPFILE | O_WRONLY | O_CLOEXEC, replaces ? 0600 : 0666);
    if (fd < 0) {
        return false;
    }
    auto file = std::make_unique<QFile>();
    if (!m_sharedSync->covers(fd) ||
        !file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle) ||
        (replaces && !file->setPermissions(target.permissions()))) {
        if (!file->isOpen()) {
            ::close(fd);
        }
        return false;
    }
    m_unnamed = fd;
    m_unnamedTarget = target.filePath();
    m_device = std::move(file);
    return true;
#else
    return false;
#endif
}

// Standard output, a device or a pipe takes what is written at once; a
// document held until commit waits in a temporary file instead.
std::optional<IoError> DocumentOutput::openSpool() {
    if (!m_held) {
        return std::nullopt;
    }
    m_spool = std::make_unique<QTemporaryFile>();
    if (!m_spool->open()) {
        m_error = IoError{IoError::Kind::Unwritable,
                          QStringLiteral("cannot hold the document in a temporary file: %1")
                              .arg(m_spool->errorString())};
        return m_error;
    }
    return std::nullopt;
}

void DocumentOutput::write(std::string_view chunk) {
    if (m_error || !m_device) {
        return;
    }
    if (m_spool) {
        if (m_spool->write(chunk.data(), static_cast<qint64>(chunk.size())) !=
            static_cast<qint64>(chunk.size())) {
            m_error = IoError{IoError::Kind::Unwritable,
                              QStringLiteral("cannot hold the document in a temporary file: %1")
                                  .arg(m_spool->errorString())};
        }
        return;
    }
    writeOut(chunk);
}

void DocumentOutput::writeOut(std::string_view chunk) {
    // A short write is no error yet (a pipe may take only part); writing
    // the rest either goes through or fails with the system's reason.
    const char* data = chunk.data();
    auto left = static_cast<qint64>(chunk.size());
    while (left > 0) {
        errno = 0;
        const qint64 written = m_device->write(data, left);
        if (written <= 0) {
            if (!m_path) {
                // Qt keeps the system's errno of the failed write call.
                endIfReaderLeft(errno);
            }
            fail();
            return;
        }
        data += written;
        left -= written;
    }
}

std::optional<IoError> DocumentOutput::commit() {
    if (m_error || !m_device) {
        return m_error ? m_error : fail();
    }
    if (m_spool) {
        const std::unique_ptr<QTemporaryFile> spool = std::move(m_spool);
        const auto spoolFailed = [&] {
            m_error = IoError{IoError::Kind::Unwritable,
                              QStringLiteral("cannot read back the document held in a temporary "
                                             "file: %1")
                                  .arg(spool->errorString())};
            return m_error;
        };
        if (!spool->seek(0)) {
            return spoolFailed();
        }
        // An empty read is the end or an error: what was copied tells which.
        const qint64 held = spool->size();
        qint64 copied = 0;
        QByteArray part;
        while (!m_error && copied < held && !(part = spool->read(1 << 20)).isEmpty()) {
            writeOut(std::string_view(part.constData(), static_cast<std::size_t>(part.size())));
            copied += part.size();
        }
        if (m_error) {
            return m_error;
        }
        if (copied != held) {
            return spoolFailed();
        }
    }
    if (m_replacement) {
        return m_replacement->commit() ? std::nullopt : fail();
    }
    if (m_unnamed >= 0) {
        m_awaitsPlace = true;
        return std::nullopt;
    }
    if (!m_device->flush()) {
        return fail();
    }
    m_device->close();
    return m_device->error() == QFileDevice::NoError ? std::nullopt : fail();
}

std::optional<IoError> DocumentOutput::place() {
    if (!m_awaitsPlace) {
        return std::nullopt;
    }
    m_awaitsPlace = false;
#ifdef Q_OS_LINUX
    // linkat cannot replace a file, so the document takes a name of its own
    // beside it first, then rename replaces the file in one step.
    const QByteArray handle = "/proc/self/fd/" + QByteArray::number(m_unnamed);
    const QByteArray target = QFile::encodeName(m_unnamedTarget);
    QByteArray named;
    for (int attempt = 0;; ++attempt) {
        named = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        if (::linkat(AT_FDCWD, handle.constData(), AT_FDCWD, named.constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            break;
        }
        if (errno != EEXIST || attempt == 16) {
            return failWith(errno);
        }
    }
    if (::rename(named.constData(), target.constData()) != 0) {
        const int cause = errno;
        ::unlink(named.constData());
        return failWith(cause);
    }
#endif
    m_device->close();
    return std::nullopt;
}

std::optional<IoError> DocumentOutput::syncAlone() {
#ifdef Q_OS_LINUX
    if (m_awaitsPlace && ::fdatasync(m_unnamed) != 0) {
        m_awaitsPlace = false;
        return failWith(errno);
    }
#endif
    return std::nullopt;
}

std::optional<IoError> DocumentOutput::fail() {
    if (!m_error) {
        m_error =
            IoError{IoError::Kind::Unwritable, m_device ? m_device->errorString() : QString()};
    }
    return m_error;
}

std::optional<IoError> DocumentOutput::failWith(int systemError) {
    if (!m_error) {
        m_error = IoError{IoError::Kind::Unwritable, qt_error_string(systemError)};
    }
    return m_error;
}

} // namespace mouthkey
