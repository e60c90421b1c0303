#pragma once

#include "conversion/Take.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace mouthkey {

// Where the unsaved edits of a take are kept, so that a crash loses at most a
// few seconds of them: one file per take, under the application's data
// folder, written atomically a few seconds after an edit, and removed once
// the edits are saved or discarded.
class RecoveryFile : public QObject {
    Q_OBJECT
public:
    // How long after an edit its cues are on disk, at most.
    static constexpr int delayMs = 3000;

    // `cuesText` gives the edited cues as the file keeps them.
    RecoveryFile(std::function<std::string()> cuesText, QObject* parent = nullptr);

    // The take whose edits are kept from now on: its file's path. Any write
    // still due for the one before is dropped, not made.
    void setSource(const QString& takePath);
    // The take was edited: its cues are written soon.
    void editsChanged();
    // The edits were saved or discarded.
    void remove();

    // Edits kept for the take from an earlier run, and when they were.
    struct Found {
        std::vector<Cue> cues;
        QDateTime when;
    };
    std::optional<Found> found() const;
    // Where the current take's edits go; empty without a take.
    const QString& path() const { return m_path; }
    // Writes now what would be written soon.
    void writeNow();

private:
    std::function<std::string()> m_cuesText;
    QTimer* m_timer;
    QString m_path;
};

} // namespace mouthkey
