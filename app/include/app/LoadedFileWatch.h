#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

class QFileSystemWatcher;

namespace mouthkey {

// Watches the one file the window has loaded, and says when it changes,
// is replaced or goes away on disk. Only said, never acted on.
class LoadedFileWatch : public QObject {
    Q_OBJECT
public:
    explicit LoadedFileWatch(QObject* parent = nullptr);

    // Starts watching a file as it is on disk now, in place of any other.
    void watch(const QString& path);

signals:
    // The file differs from what it was when watched, or last reported.
    void changedOnDisk(bool stillExists);

private:
    // What the file looked like on disk.
    struct FileStamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const QString& path);
    void check();

    QFileSystemWatcher* m_watcher;
    QString m_path;
    FileStamp m_stamp;
};

} // namespace mouthkey
