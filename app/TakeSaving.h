#pragma once

#include "WindowNote.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/Take.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QWidget;

namespace mouthkey {

class FileChooser;
class RecoveryFile;
class TakeEdits;
class TimingLoad;

// What a save said, and whether it saved.
struct SaveOutcome {
    bool saved = false;
    std::optional<StatusNote> note; // nothing: nothing to say (a cancelled dialog)
};

// Keeps the user's edits: Save and Save As, the question before a take with
// unsaved edits is set aside, and the recovery file that outlives a crash.
class TakeSaving : public QObject {
    Q_OBJECT
public:
    TakeSaving(TimingLoad& load, TakeEdits& edits, QObject* parent = nullptr);
    ~TakeSaving() override;

    // Writes the take to its file in its own format where Mouthkey writes
    // it, else asks where, as Save As does.
    using Outcome = SaveOutcome;
    Outcome save(QWidget* parent, FileChooser& chooser, const FrameRate& rate);
    Outcome saveAs(QWidget* parent, FileChooser& chooser, const FrameRate& rate);

    // Whether the take may be set aside (another opened, the same read again,
    // the window closed): no unsaved edits, or the user saved or discarded them.
    bool mayLeave(QWidget* parent, FileChooser& chooser, const FrameRate& rate);

    // A take was just loaded: edits of it kept from an earlier run are
    // offered, and restored as one step if the user wants them.
    std::optional<StatusNote> offerRecovered(QWidget* parent);

    RecoveryFile& recovery() const { return *m_recovery; }

signals:
    // The loaded take is now another file, as Save As wrote it.
    void savedAs();

private:
    Outcome saveTo(QWidget* parent, const QString& path, const TimingFormat& format,
                   const FrameRate& rate);

    // Whether to write a take whose names are not letters to a format that
    // reads them as letters, where some would read back as other mouths.
    bool askLettersRead(QWidget* parent, const QString& name);

    TimingLoad& m_load;
    TakeEdits& m_edits;
    RecoveryFile* m_recovery;
};

} // namespace mouthkey
