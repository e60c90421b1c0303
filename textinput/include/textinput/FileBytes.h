#pragma once

#include "textinput/IoError.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace mouthkey {

enum class SourceKinds {
    // Only regular files: anything else could block (a pipe with no writer)
    // or never end (a device), which a window must not risk.
    RegularFilesOnly,
    // Regular files and named pipes, as a command-line tool is
    // handed by process substitution; still no folders or devices.
    FilesAndPipes,
};

struct FileBytes {
    QByteArray bytes;
    std::optional<IoError> error;
};

// Reads a whole file.
FileBytes readFileBytes(const QString& path, SourceKinds kinds);

// Reads standard input to its end.
FileBytes readStandardInput();

} // namespace mouthkey
