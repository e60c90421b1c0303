#pragma once

#include "textinput/IoError.h"

#include <QString>

#include <memory>
#include <optional>
#include <string_view>

class QFileDevice;
class QSaveFile;

namespace mouthkey {

// Where the converter writes its document: standard output, or a file that
// is replaced only when the whole document has been written. A file is
// written to a temporary file beside it and renamed into place on commit, so
// a failed run leaves an existing file exactly as it was. A device or a named
// pipe cannot be replaced that way and is written directly.
class DocumentOutput {
public:
    // No path means standard output.
    explicit DocumentOutput(std::optional<QString> path);
    ~DocumentOutput();
    DocumentOutput(const DocumentOutput&) = delete;
    DocumentOutput& operator=(const DocumentOutput&) = delete;

    std::optional<IoError> open();
    // After the first failure further writes are dropped; commit reports it.
    void write(std::string_view chunk);
    // Puts the document in place; without a commit a file is left untouched.
    std::optional<IoError> commit();

    // The destination's name for messages; nothing for standard output.
    const std::optional<QString>& path() const noexcept { return m_path; }

private:
    std::optional<IoError> fail();

    std::optional<QString> m_path;
    std::unique_ptr<QFileDevice> m_device;
    QSaveFile* m_replacement = nullptr; // m_device, when it is a file to replace
    std::optional<IoError> m_error;
};

} // namespace mouthkey
