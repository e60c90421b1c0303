#include "cli/DocumentOutput.h"

#include "cli/StandardStreams.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

namespace mouthkey {

DocumentOutput::DocumentOutput(std::optional<QString> path) : m_path(std::move(path)) {}

DocumentOutput::~DocumentOutput() = default;

std::optional<IoError> DocumentOutput::open() {
    // The converter hands over large chunks; buffering them again gains nothing.
    constexpr auto mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (!m_path) {
        auto out = std::make_unique<QFile>();
        const bool opened = out->open(fileno(stdout), mode, QFileDevice::DontCloseHandle);
        m_device = std::move(out);
        return opened ? std::nullopt : fail();
    }
    const QFileInfo target(*m_path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        // Replacing a device or a pipe with a regular file would be wrong.
        auto direct = std::make_unique<QFile>(*m_path);
        const bool opened = direct->open(mode);
        m_device = std::move(direct);
        return opened ? std::nullopt : fail();
    }
    auto file = std::make_unique<QSaveFile>(*m_path);
    const bool opened = file->open(mode);
    m_replacement = file.get();
    m_device = std::move(file);
    return opened ? std::nullopt : fail();
}

void DocumentOutput::write(std::string_view chunk) {
    if (m_error || !m_device) {
        return;
    }
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
    if (m_replacement) {
        return m_replacement->commit() ? std::nullopt : fail();
    }
    if (!m_device->flush()) {
        return fail();
    }
    m_device->close();
    return m_device->error() == QFileDevice::NoError ? std::nullopt : fail();
}

std::optional<IoError> DocumentOutput::fail() {
    if (!m_error) {
        m_error =
            IoError{IoError::Kind::Unwritable, m_device ? m_device->errorString() : QString()};
    }
    return m_error;
}

} // namespace mouthkey
