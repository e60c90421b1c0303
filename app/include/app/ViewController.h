#pragma once

#include "app/DiagnosticOutput.h"
#include "app/FileChooser.h"
#include "app/ImageView.h"
#include "app/LoadedTiming.h"
#include "app/MouthDrawings.h"
#include "app/MouthView.h"
#include "app/StatusMessage.h"
#include "conversion/CueEdits.h"
#include "conversion/Targets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <QStatusBar>
#include <QUrl>

#include <iosfwd>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace mouthkey {

struct IoError;
namespace speech {
struct SoundTake;
}
struct SaveOutcome;
struct StatusNote;
class ChartChoice;
class ConvertAction;
class DrawingsChoice;
class RateChoice;
class SoundTimer;
class TakeEdits;
class TakeSaving;
class TakePlayer;
class TakeSound;
class TimingLoad;

// The state and behaviour of Mouthkey's one window: the choices its controls
// make, wired to its parts (the load, the chart, the sound, the drawings, the
// rate and Convert) and to the player. The window's controls are handed in
// from outside and never owned; a control the logic needs but lacks is fatal.
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
    // What the document animates, in the order of `targets`.
    QComboBox* target() const { return m_target; }
    void setTarget(QComboBox* control) { m_target = control; }
    QCheckBox* hold() const { return m_hold; }
    void setHold(QCheckBox* control) { m_hold = control; }
    QSpinBox* shift() const { return m_shift; }
    void setShift(QSpinBox* control) { m_shift = control; }
    // Any rate from 1 to 1000, beside the pop-up, which fills it; may be absent.
    QLineEdit* rateField() const { return m_rateField; }
    void setRateField(QLineEdit* control) { m_rateField = control; }
    // The dialogue a sound opened next is timed by, typed or pasted; when it
    // is empty, the prose NAME.txt beside the sound fills it. May be absent.
    QPlainTextEdit* script() const { return m_script; }
    void setScript(QPlainTextEdit* control) { m_script = control; }

    // The file whose text is loaded and what the checks found, once one has loaded.
    const std::optional<LoadedTiming>& loaded() const;
    // Whether the loaded text is read with letter mouth shapes: off for each
    // .dat file loaded, always on for a format that only knows letters.
    bool letters() const { return loaded() && loaded()->letters; }

    // What Convert writes the document for, as the controls stand now.
    TargetChoices choices() const;
    // The rate in use: the pop-up's row, or a rate typed beside it.
    FrameRate rate() const;
    // What the findings panel lists: the loaded take's findings as the
    // document for the controls as they stand gives them, each line with
    // the one outcome the chosen target gives it.
    const std::vector<Finding>& findings() const { return m_findings; }
    // The chart Time Remap and Slider Control are written with: one chosen
    // with chooseChart(), or else the loaded file's folder's mouth-chart.txt,
    // or else the phoneme set's own.
    MouthChart chartInUse() const;
    // The file that chart was read from; empty for the set's own.
    QString chartPath() const;
    bool chartChosen() const;
    // What writing the last document left out; empty for a plain Position one.
    const std::vector<Finding>& writtenFindings() const;

    // The loaded take's cues as edited, their selection and the undo stack.
    TakeEdits& edits() const;
    // The take's player, and the drawings its mouth shows.
    TakePlayer& player() const;
    const MouthDrawings& drawings() const;
    // What the player shows at a position of the take: the mouth of the cue
    // in force, with the shift, at the chosen rate; and the frame of the track
    // that is, where it is one (a shift may put it before the first).
    struct PlayedMouth {
        MouthView::Mouth mouth;
        QString label;
        std::optional<std::uint64_t> trackFrame;
    };
    PlayedMouth mouthAt(qint64 ms) const;
    // Where the player is when a frame of the track plays, with the shift.
    qint64 positionOfTrackFrame(std::uint64_t frame) const;

    // Whether the loaded take may be set aside: it has no unsaved edits, or
    // the user saved or discarded them when asked.
    bool mayLeaveTake();

    // Fills the pop-ups and shows the start-up label and picture, once the
    // controls are connected and before the window is first shown.
    void viewDidLoad();

    // Loads a file the user picked, from the chooser or by dropping it. A
    // sound is timed from its speech, off the window's thread, with a
    // progress dialog that can cancel it; the take it gives is unsaved.
    void openFile(const QUrl& url);
    // Whether a sound is being timed; openFile() waits for none.
    bool timingSound() const;

    // The file whose text is loaded; empty until one has been read.
    const QUrl& loadedFile() const;
    // Where the chooser starts: the folder of the file loaded last.
    QString chooserFolder() const;

public slots:
    // Asks for a timing file and loads it.
    void Opendat();
    // Converts the loaded text and puts the keyframe document on the clipboard.
    void go();
    // Reads the loaded file again, exactly as a confirmed Open would.
    void reload();
    // Writes the take to its file, in its own format where Mouthkey writes
    // it, else to one the user picks, as saveAs() does.
    void save();
    void saveAs();
    // Reads the loaded text again, with letter mouth shapes read by their
    // chart or not; Convert then converts it so. Nothing when no file is
    // loaded, or when its format only knows letters.
    void setLetters(bool letters);
    // A pop-up row's rate is chosen: the rate field shows it, and rateChanged follows.
    void setRateIndex(int rateIndex);
    // The rate field was edited: a rate from 1 to 1000 is used (the pop-up
    // shows its row, or none), anything else is refused with a message.
    void setRateText();
    // The findings follow the controls; call when one that bears on them changed.
    void refreshFindings();
    // Reads another voice of a project, by its index in the project.
    void setVoice(int voice);
    // A target pop-up row was chosen: the hold box takes that target's default.
    void setTargetIndex(int targetIndex);
    // Asks for a mouth chart file and, if it reads as one, uses it for every
    // file from now on, whatever chart their folders hold.
    void chooseChart();
    // Lets the chosen chart go: the loaded file's folder's, or the set's, is used again.
    void forgetChart();
    // Asks for the sound to play the take with.
    void openSound();
    // Plays the take with this sound from now on, as a dropped sound file does.
    void setSoundFile(const QUrl& url);
    // Asks for a folder of mouth drawings and shows them from now on, for every file.
    void chooseDrawings();
    // The rate, the shift or the target changed: the take's length and mouth follow.
    void refreshPlayback();

signals:
    // A sound's timing has ended: loaded, failed or cancelled.
    void soundTimingEnded();
    // A file's text was loaded; reload() reads that file.
    void fileLoaded(const QUrl& url);
    // The loaded file was changed, replaced or removed on disk since it was read.
    void loadedFileChangedOnDisk();

signals:
    // A file has just been loaded in place of the one before.
    void timingLoaded();
    // findings() changed.
    void findingsChanged();
    // Another rate is in use; a take timed in seconds was re-timed at it.
    void rateChanged(const mouthkey::FrameRate& rate);
    // The loaded text was read again another way: its report is new.
    void readingChanged();
    // The take's cues were edited, an edit undone or redone: its report and
    // track are new.
    void takeEdited();
    // The chart in use, or whether the target uses one, may have changed.
    void chartChanged();
    // A document was copied; writtenFindings() says what it left out.
    void converted();
    // What the player shows at a position may have changed: another take,
    // rate, shift, target, chart or drawings.
    void playbackChanged();
    // Other mouth drawings are in use.
    void drawingsChanged();
    // The take was saved as another file, which is now the one loaded.
    void savedAs();

private:
    void writeLine(std::string_view line);
    // The tail of every load: what the window shows of the take just loaded,
    // its status starting with `loadedText`.
    void showLoaded(const QUrl& url, QString loadedText);
    // The label names the loaded file, its path in the tool tip.
    void showFileName();
    // Times the sound at `url`, and loads its take once timed.
    void timeSound(const QUrl& url);
    void useTimedSound(const QUrl& url, const speech::SoundTake& timed, const QString& scriptFrom);
    void reportOpenFailure(const IoError& error, const QString& path);
    void showStatus(StatusMessage::Kind kind, const QString& message);
    void showStatus(const StatusNote& note);
    // The loaded take read again for the current choices, and its findings.
    void readLoaded(const FrameRate& rate);
    void useRate(const FrameRate& rate);
    // The loaded take's findings for `choices`, given what writing its document left out.
    void showFindings(const TargetChoices& choices, std::vector<Finding> leftOut);
    void showChangeOnDisk(bool stillExists);
    void showSaved(const SaveOutcome& outcome);
    // Another take, or its cues read again: nothing selected, nothing to undo.
    void resetEdits();
    // An edit, its undo or its redo: everything shown follows the cues.
    void cuesEdited(std::size_t first, std::size_t removed, std::size_t added);
    // The player goes to the first cue selected.
    void showSelected(std::optional<CueRange> selection);

    std::unique_ptr<FileChooser> m_chooser;
    std::unique_ptr<DiagnosticOutput> m_output;

    QPointer<QComboBox> m_frames;
    QPointer<QLabel> m_fpstext;
    QPointer<QComboBox> m_pset;
    QPointer<QLabel> m_fileselect;
    QPointer<ImageView> m_Picture;
    QPointer<QStatusBar> m_statusline;
    QPointer<QComboBox> m_target;
    QPointer<QCheckBox> m_hold;
    QPointer<QSpinBox> m_shift;
    QPointer<QLineEdit> m_rateField;
    QPointer<QPlainTextEdit> m_script;
    // The text the script field was filled with from a file beside a sound:
    // the next sound looks for its own rather than take it.
    QString m_scriptBeside;
    std::unique_ptr<RateChoice> m_rate;

    // The window's parts, each a child of the controller.
    TimingLoad* m_load;
    ChartChoice* m_chart;
    TakeSound* m_sound;
    ConvertAction* m_convert;
    DrawingsChoice* m_drawings;
    TakeEdits* m_edits;
    TakeSaving* m_saving;
    SoundTimer* m_timer;
    std::vector<Finding> m_findings;
};

} // namespace mouthkey
