#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <optional>

namespace mouthkey {

// What tells one file from another, however a path reaches it: through
// "./", a symbolic link or a hard link, two paths to one file have the same
// identity. It is the device and inode number where the system has them, and
// the canonical path elsewhere.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    QString canonicalPath;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

std::size_t qHash(const FileIdentity& identity, std::size_t seed = 0) noexcept;

// The identity of the file at path; nothing when there is no file there (or
// it cannot be looked at), so a file not yet written is no other file.
std::optional<FileIdentity> fileIdentity(const QString& path);

} // namespace mouthkey
