#include "app/LoadedFileWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace mouthkey {

LoadedFileWatch::LoadedFileWatch(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)) {
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &LoadedFileWatch::check);
    // The folder too: a save that writes a new file and renames it over the
    // old one ends the watch on the file itself.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &LoadedFileWatch::check);
}

void LoadedFileWatch::watch(const QString& path) {
    for (const QStringList& watched : {m_watcher->files(), m_watcher->directories()}) {
        if (!watched.isEmpty()) {
            m_watcher->removePaths(watched);
        }
    }
    m_path = path;
    m_stamp = stampOf(path);
    m_watcher->addPath(path);
    m_watcher->addPath(QFileInfo(path).absolutePath());
}

LoadedFileWatch::FileStamp LoadedFileWatch::stampOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return {};
    }
    return {true, info.size(), info.lastModified()};
}

void LoadedFileWatch::check() {
    const FileStamp now = stampOf(m_path);
    if (now.exists && !m_watcher->files().contains(m_path)) {
        m_watcher->addPath(m_path);
    }
    if (now == m_stamp) {
        return; // something else in the folder changed
    }
    m_stamp = now;
    emit changedOnDisk(now.exists);
}

} // namespace mouthkey
