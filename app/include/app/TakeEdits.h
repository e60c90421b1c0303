#pragma once

#include "conversion/CueEdits.h"
#include "conversion/Take.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QUndoCommand;
class QUndoStack;

namespace mouthkey {

// The loaded take's cues as the user edits them: one selection over them,
// shared by every view, and each edit one step on an undo stack. The cues
// belong to the load; they are asked for only when first needed, so that a
// take merely looked at is never read into cues.
class TakeEdits : public QObject {
    Q_OBJECT
public:
    // Gives the load's cues, in frame order, read on the first call.
    using CueSource = std::function<std::vector<Cue>&()>;

    explicit TakeEdits(QObject* parent = nullptr);
    ~TakeEdits() override;

    // Another take, or the same read again: no selection, nothing to undo.
    // An `unsaved` take is in no file yet, such as one just timed from its
    // sound: it is modified until saved, whatever is undone.
    void reset(CueSource source, std::size_t cueCount, bool unsaved = false);
    // The cues, read now if they were not yet.
    const std::vector<Cue>& cues();
    std::size_t cueCount() const;

    QUndoStack* undoStack() const { return m_undo; }
    // Whether the cues differ from the file's or the state last saved, or
    // were never saved at all.
    bool modified() const;
    void markSaved();

    std::optional<CueRange> selection() const { return m_selection; }
    void select(std::optional<CueRange> range);
    // A click on a cue, or Shift and a click: from the selection's anchor.
    void selectCue(std::size_t index, bool extend);

    // Each edit is one undo step, or nothing when it would change nothing;
    // true when it was made.
    bool moveSelection(std::int64_t frames);
    bool setFrame(std::size_t index, std::uint64_t frame);
    bool changeMouth(const std::string& name);
    bool changeMouthAt(std::size_t index, const std::string& name);
    // A cue at `frame` with the mouth in force there, selected.
    bool insertAt(std::uint64_t frame);
    bool deleteSelection();
    bool deleteRange(CueRange range);
    // Every cue at once, as one step named `text`, such as restored edits.
    bool replaceAll(std::vector<Cue> cues, const QString& text);

    // For the undo steps: rows [first, first + removed) become
    // [first, first + added), and the selection after.
    std::vector<Cue>& beginSplice(std::size_t first, std::size_t removed, std::size_t added);
    void endSplice(std::optional<CueRange> selection);

signals:
    // Around every change of the cues: an edit, its undo or its redo. Views
    // of the rows take these; what follows from the cues takes `changed`,
    // once every view has seen the change.
    void aboutToSplice(std::size_t first, std::size_t removed, std::size_t added);
    void spliced(std::size_t first, std::size_t removed, std::size_t added);
    void changed(std::size_t first, std::size_t removed, std::size_t added);
    // Another take, or the same read again.
    void cuesReset();
    void selectionChanged(std::optional<mouthkey::CueRange> selection);
    void modifiedChanged(bool modified);

private:
    bool push(QUndoCommand* command);

    QUndoStack* m_undo;
    CueSource m_source;
    std::vector<Cue>* m_cues = nullptr;
    std::size_t m_count = 0;
    std::optional<CueRange> m_selection;
    std::size_t m_anchor = 0;
    bool m_unsaved = false;
    std::optional<std::size_t> m_pendingFirst; // of the splice under way
    std::size_t m_pendingRemoved = 0, m_pendingAdded = 0;
};

} // namespace mouthkey
