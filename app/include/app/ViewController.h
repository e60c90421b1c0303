#pragma once

#include "app/DiagnosticOutput.h"
#include "app/FileChooser.h"
#include "app/ImageView.h"
#include "app/LoadedFileWatch.h"
#include "app/LoadedTiming.h"
#include "app/StatusMessage.h"
#include "conversion/MappingTables.h"

#include <QComboBox>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QStatusBar>
#include <QUrl>

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

struct IoError;

// The state and behaviour of Mouthkey's one window: the loaded text, the
// mapping table in use and the pieces of the last keyframe document, and the
// two actions that change them. The window's controls are handed in from
// outside and never owned; a control the logic needs but lacks is fatal.
class ViewController : public QObject {
    Q_OBJECT
public:
    // Diagnostic lines go to `diagnostics`, one flushed line at a time.
    ViewController(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
                   QObject* parent = nullptr);
    ViewController(std::unique_ptr<FileChooser> chooser,
                   std::unique_ptr<DiagnosticOutput> diagnostics, QObject* parent = nullptr);
    ~ViewController() override;

    // Control references.
    QComboBox* frames() const { return m_frames; }
    void setFrames(QComboBox* control) { m_frames = control; }
    QLabel* fpstext() const { return m_fpstext; }
    void setFpstext(QLabel* control) { m_fpstext = control; }
    QComboBox* pset() const { return m_pset; }
    void setPset(QComboBox* control) { m_pset = control; }
    QLabel* fileselect() const { return m_fileselect; }
    void setFileselect(QLabel* control) { m_fileselect = control; }
    ImageView* Picture() const { return m_Picture; }
    void setPicture(ImageView* control) { m_Picture = control; }
    QStatusBar* statusline() const { return m_statusline; }
    void setStatusline(QStatusBar* control) { m_statusline = control; }

    // State.
    const std::string& fps() const { return m_fps; }
    const std::string& newdat() const { return m_newdat; }
    const std::string& newdatout() const { return m_newdatout; }
    std::string_view headertop() const { return m_headertop; }
    const std::string& fpsheader() const { return m_fpsheader; }
    std::string_view headerbottom() const { return m_headerbottom; }
    std::string_view footer() const { return m_footer; }
    const MappingTable& mapping() const { return m_mapping; }
    // The file whose text newdat holds and what the checks found, once one has loaded.
    const std::optional<LoadedTiming>& loaded() const { return m_loaded; }
    // Whether the loaded text is read with letter mouth shapes: off for each
    // .dat file loaded, always on for a format that only knows letters.
    bool letters() const { return m_loaded && m_loaded->letters; }

    // Fills the pop-ups and shows the start-up label and picture, once the
    // controls are connected and before the window is first shown.
    void viewDidLoad();

    // Loads a file the user picked, from the chooser or by dropping it.
    void openFile(const QUrl& url);

    // The file whose text is loaded; empty until one has been read.
    const QUrl& loadedFile() const { return m_loadedUrl; }
    // Where the chooser starts: the folder of the file loaded last.
    QString chooserFolder() const;

public slots:
    // Asks for a timing file and loads it.
    void Opendat();
    // Converts the loaded text and puts the keyframe document on the clipboard.
    void go();
    // Reads the loaded file again, exactly as a confirmed Open would.
    void reload();
    // Reads the loaded text again, with letter mouth shapes read by their
    // chart or not; Convert then converts it so. Nothing when no file is
    // loaded, or when its format only knows letters.
    void setLetters(bool letters);
    // Takes the cues of a take timed in seconds again at a pop-up row's rate,
    // and checks a project's rate against it.
    void setRateIndex(int rateIndex);
    // Reads another voice of a project, by its index in the project.
    void setVoice(int voice);

signals:
    // A file's text was loaded; reload() reads that file.
    void fileLoaded(const QUrl& url);
    // The loaded file was changed, replaced or removed on disk since it was read.
    void loadedFileChangedOnDisk();

signals:
    // A file's text has just replaced newdat.
    void timingLoaded();
    // The loaded text was read again another way: its report is new.
    void readingChanged();

private:
    void writeLine(std::string_view line);
    void reportOpenFailure(const IoError& error, const QString& path);
    void showStatus(StatusMessage::Kind kind, const QString& message);
    // The loaded take's text, report and track for the current choices:
    // newdat is the .dat text of a take's cues.
    void readLoaded(int rateIndex);
    void showChangeOnDisk(bool stillExists);

    std::unique_ptr<FileChooser> m_chooser;
    std::unique_ptr<DiagnosticOutput> m_output;

    QPointer<QComboBox> m_frames;
    QPointer<QLabel> m_fpstext;
    QPointer<QComboBox> m_pset;
    QPointer<QLabel> m_fileselect;
    QPointer<ImageView> m_Picture;
    QPointer<QStatusBar> m_statusline;

    std::string m_fps;
    std::string m_newdat;
    std::string m_newdatout;
    const std::string_view m_headertop;
    std::string m_fpsheader;
    const std::string_view m_headerbottom;
    const std::string_view m_footer;
    MappingTable m_mapping;

    QUrl m_loadedUrl;
    QString m_loadedPath;
    LoadedFileWatch* m_watch;
    std::optional<LoadedTiming> m_loaded;
};

} // namespace mouthkey
