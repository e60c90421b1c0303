#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace mouthkey {

// What came back from asking the user for a timing file.
struct FileChoice {
    enum class Outcome {
        Confirmed, // exactly one file was chosen
        Cancelled,
        Other, // anything else the chooser may report
    };

    Outcome outcome = Outcome::Cancelled;
    QUrl url;        // set when Confirmed
    int filter = -1; // for a file to save: which of the filters offered was chosen
};

// Asks the user for one existing file: a timing file, a mouth chart or a sound,
// or for a folder of mouth drawings. The
// window only ever talks to this interface, so tests can answer in place of a
// real dialog.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Modal: returns once the user has answered. It starts in `folder`, or
    // where the platform likes when that is empty.
    virtual FileChoice chooseDatFile(QWidget* parent, const QString& folder) = 0;
    // The same, for a mouth chart file.
    virtual FileChoice chooseChartFile(QWidget* parent, const QString& folder) = 0;
    // The same, for the sound a take is played with.
    virtual FileChoice chooseSoundFile(QWidget* parent, const QString& folder) = 0;
    // One existing folder, of mouth drawings; its URL when Confirmed.
    virtual FileChoice chooseDrawingsFolder(QWidget* parent, const QString& folder) = 0;
    // A file to save to, new or not (replacing one is confirmed there),
    // starting at `suggested`, in one of the formats `filters` name.
    virtual FileChoice chooseSaveFile(QWidget* parent, const QString& suggested,
                                      const QStringList& filters) = 0;
};

} // namespace mouthkey
