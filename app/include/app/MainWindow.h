#pragma once

#include "app/DiagnosticOutput.h"
#include "app/FileChooser.h"

#include <QMainWindow>

#include <iosfwd>
#include <memory>

class QAction;
class QBoxLayout;
class QComboBox;
class QPlainTextEdit;

namespace mouthkey {

class CueList;
class MouthView;
class TimingOverview;
class ViewController;

// Mouthkey's window: lays out the controls, connects them to the
// ViewController that drives them, and takes dropped timing files.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(std::unique_ptr<FileChooser> chooser, std::ostream& diagnostics,
               QWidget* parent = nullptr);
    MainWindow(std::unique_ptr<FileChooser> chooser, std::unique_ptr<DiagnosticOutput> diagnostics,
               QWidget* parent = nullptr);

    ViewController& controller() const { return *m_controller; }

    // Opens the first of the files named on the command line, as a confirmed
    // Open of it would, and says so when there were others. Each is a path,
    // relative to the working folder, or a file:// URL.
    void openFromCommandLine(const QStringList& files);

    // One action per command, shared by the menu and the window's buttons.
    QAction* openAction() const { return m_open; }
    QAction* reloadAction() const { return m_reload; }
    QAction* convertAction() const { return m_convert; }
    QAction* readLettersAction() const { return m_readLetters; }
    QAction* chooseChartAction() const { return m_chooseChart; }
    QAction* forgetChartAction() const { return m_forgetChart; }
    QAction* playAction() const { return m_play; }
    QAction* toStartAction() const { return m_toStart; }
    QAction* toEndAction() const { return m_toEnd; }
    QAction* openSoundAction() const { return m_openSound; }
    QAction* chooseDrawingsAction() const { return m_chooseDrawings; }
    QAction* saveAction() const { return m_save; }
    QAction* saveAsAction() const { return m_saveAs; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    QAction* cleanUpAction() const { return m_cleanUp; }
    QAction* cueListAction() const { return m_showCueList; }

    // The table of the take's cues, beside the preview while View > Cue List is on.
    CueList* cueList() const { return m_cueList; }

    // What Help > About shows: the name, the version and what it is for.
    static QString aboutText();

protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Unsaved edits are saved or discarded first, or the window stays.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void buildForm();
    void buildMenu();
    void buildStatus();
    TimingOverview* buildOverview(QBoxLayout* page, QComboBox* pset);
    void buildPlayer(TimingOverview* overview);
    // Save, Save As, Undo, Redo and Clean Up.
    void buildEditActions();
    // Asks for the clean-up rules and applies them as one edit.
    void showCleanUp();
    // The cue list, and the edits the timeline and the list ask for.
    void buildEditing(TimingOverview* overview);
    void showPlayback();
    // The Script field a sound is timed by, at the end of the file's row.
    QPlainTextEdit* buildScript(QBoxLayout* row, QWidget* parent);
    // A sound dropped: timed as a take when none is loaded, else the user
    // chooses between that and playing the loaded take with it.
    void dropSound(const QUrl& url, const QPoint& at);

    ViewController* m_controller;
    MouthView* m_mouth = nullptr;
    TimingOverview* m_overview = nullptr;
    CueList* m_cueList = nullptr;
    QAction* m_open = nullptr;
    QAction* m_reload = nullptr;
    QAction* m_convert = nullptr;
    QAction* m_readLetters = nullptr;
    QAction* m_chooseChart = nullptr;
    QAction* m_forgetChart = nullptr;
    QAction* m_play = nullptr;
    QAction* m_toStart = nullptr;
    QAction* m_toEnd = nullptr;
    QAction* m_openSound = nullptr;
    QAction* m_chooseDrawings = nullptr;
    QAction* m_save = nullptr;
    QAction* m_saveAs = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_cleanUp = nullptr;
    QAction* m_showCueList = nullptr;
    QAction* m_quit = nullptr;
    QAction* m_about = nullptr;
};

} // namespace mouthkey
