#pragma once

#include "textinput/IoError.h"

#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>
#include <string_view>

class QFileDevice;
class QSaveFile;
class QTemporaryFile;

namespace mouthkey {

// One sync for the documents of many files, instead of one each: on a real
// disk each file's own sync waits for the disk, and those waits are most of a
// batch's time. It syncs the whole file system of a folder in one call, and is
// available only where that is as safe as syncing each file: a local disk's
// file system (a network or FUSE one may not pass it on as it passes on each
// file's sync) on a kernel that reports to it the write errors of the files and of the
// file system's own flush (Linux 5.17 on).
// Files in memory (tmpfs) have no disk to wait for, and sync on their own.
class SharedSync {
public:
    explicit SharedSync(const QString& folder);
    ~SharedSync();
    SharedSync(const SharedSync&) = delete;
    SharedSync& operator=(const SharedSync&) = delete;

    bool available() const noexcept { return m_folder >= 0; }
    // Whether the open file lies on the file system sync() syncs.
    bool covers(int fd) const;
    // Every file written on that file system so far is on the disk once it
    // returns without an error.
    std::optional<IoError> sync() const;

private:
    int m_folder = -1;
    quint64 m_device = 0;
};

// Where the converter writes its document: standard output, or a file that
// is replaced only when the whole document has been written. A file is
// written to a temporary file beside it and renamed into place on commit, so
// a failed run leaves an existing file exactly as it was. A device or a named
// pipe cannot be replaced that way and is written directly.
//
// With a SharedSync, a file's document is written to an unnamed file beside
// it instead, and commit leaves it there, neither synced nor in place: once
// the caller's SharedSync::sync has returned, place() puts it in place. A
// file the shared sync cannot cover is committed on its own as usual.
class DocumentOutput {
public:
    // No path means standard output.
    explicit DocumentOutput(std::optional<QString> path, const SharedSync* sharedSync = nullptr);
    ~DocumentOutput();
    DocumentOutput(const DocumentOutput&) = delete;
    DocumentOutput& operator=(const DocumentOutput&) = delete;

    // A run that may still refuse what it writes: standard output, a device
    // or a pipe receives nothing before commit. Call it before open().
    void holdUntilCommit() noexcept { m_held = true; }
    std::optional<IoError> open();
    // After the first failure further writes are dropped; commit reports it.
    void write(std::string_view chunk);
    // Puts the document in place, or with a shared sync readies it for
    // place(); without a commit a file is left untouched.
    std::optional<IoError> commit();
    // Whether a committed document waits for the shared sync and place().
    bool awaitsPlace() const noexcept { return m_awaitsPlace; }
    // After the shared sync: names the document, replacing the file.
    std::optional<IoError> place();
    // Syncs a document that awaits place() on its own: once a shared sync has
    // failed, its error may belong to any file, and the next shared sync no
    // longer reports it, so each file must answer for itself.
    std::optional<IoError> syncAlone();

    // The destination's name for messages; nothing for standard output.
    const std::optional<QString>& path() const noexcept { return m_path; }

private:
    bool openUnnamed();
    std::optional<IoError> openSpool();
    void writeOut(std::string_view chunk);
    std::optional<IoError> fail();
    std::optional<IoError> failWith(int systemError);

    std::optional<QString> m_path;
    const SharedSync* m_sharedSync;
    std::unique_ptr<QFileDevice> m_device;
    QSaveFile* m_replacement = nullptr; // m_device, when it is a file to replace
    int m_unnamed = -1;                 // m_device's descriptor, when it is an unnamed file
    QString m_unnamedTarget;            // the file it is to replace
    bool m_awaitsPlace = false;
    bool m_held = false;
    std::unique_ptr<QTemporaryFile> m_spool; // the held document, for a destination written at once
    std::optional<IoError> m_error;
};

} // namespace mouthkey
