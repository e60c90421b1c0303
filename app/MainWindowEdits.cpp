// The window's editing: the cue list beside the timeline, both showing the
// one selection, and the edits they ask for made as undo steps.
#include "CleanUpDialog.h"
#include "app/CueList.h"
#include "app/CueListModel.h"
#include "app/MainWindow.h"
#include "app/TakeEdits.h"
#include "app/TakePlayer.h"
#include "app/TimelinePreview.h"
#include "app/TimingOverview.h"
#include "app/ViewController.h"

#include <QAction>
#include <QCloseEvent>
#include <QSplitter>
#include <QUndoStack>

#include <algorithm>

namespace mouthkey {

void MainWindow::buildEditActions() {
    m_save = new QAction(tr("&Save"), this);
    m_save->setObjectName(QStringLiteral("saveAction"));
    m_save->setShortcuts(QKeySequence::Save);
    m_save->setToolTip(tr("Write the edited take back to its file"));
    m_save->setEnabled(false);
    connect(m_save, &QAction::triggered, m_controller, &ViewController::save);
    m_saveAs = new QAction(tr("Save &As…"), this);
    m_saveAs->setObjectName(QStringLiteral("saveAsAction"));
    m_saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m_saveAs->setToolTip(tr("Write the take to a file of your choice, as .dat or TSV"));
    m_saveAs->setEnabled(false);
    connect(m_saveAs, &QAction::triggered, m_controller, &ViewController::saveAs);
    m_cleanUp = new QAction(tr("&Clean Up…"), this);
    m_cleanUp->setObjectName(QStringLiteral("cleanUpAction"));
    m_cleanUp->setToolTip(tr("Bridge short rests, hold each mouth a few frames or key on every "
                             "few frames, as one edit"));
    m_cleanUp->setEnabled(false);
    connect(m_cleanUp, &QAction::triggered, this, &MainWindow::showCleanUp);
    connect(m_controller, &ViewController::fileLoaded, this, [this] {
        m_save->setEnabled(true);
        m_saveAs->setEnabled(true);
        m_cleanUp->setEnabled(true);
    });

    // Named for the step they take back or again: "Undo Move Cue".
    QUndoStack* undo = m_controller->edits().undoStack();
    m_undo = undo->createUndoAction(this, tr("&Undo"));
    m_undo->setObjectName(QStringLiteral("undoAction"));
    m_undo->setShortcuts(QKeySequence::Undo);
    m_redo = undo->createRedoAction(this, tr("&Redo"));
    m_redo->setObjectName(QStringLiteral("redoAction"));
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    if (const QKeySequence shiftZ(Qt::CTRL | Qt::SHIFT | Qt::Key_Z); !redoKeys.contains(shiftZ)) {
        redoKeys.prepend(shiftZ);
    }
    m_redo->setShortcuts(redoKeys);
    // Before a take's first title there is no mark to show; the title shows it once set.
    connect(&m_controller->edits(), &TakeEdits::modifiedChanged, this, [this](bool modified) {
        if (windowTitle().contains(QStringLiteral("[*]"))) {
            setWindowModified(modified);
        }
    });
}

void MainWindow::showCleanUp() {
    if (!m_controller->loaded()) {
        return;
    }
    TakeEdits& edits = m_controller->edits();
    CleanUpDialog dialog(edits.cues(), m_controller->letters(), this);
    if (dialog.exec() == QDialog::Accepted) {
        edits.replaceAll(dialog.cleaned(), tr("Clean Up"));
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_controller->mayLeaveTake()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::buildEditing(TimingOverview* overview) {
    TakeEdits& edits = m_controller->edits();

    // The timeline shows the selection and asks for edits; an edit keeps its
    // zoom and scroll, where a take read again is fitted anew.
    TimelinePreview* timeline = overview->preview();
    connect(timeline, &TimelinePreview::selectRequested, &edits, &TakeEdits::selectCue);
    connect(&edits, &TakeEdits::selectionChanged, timeline, &TimelinePreview::setSelection);
    connect(timeline, &TimelinePreview::moveRequested, &edits, &TakeEdits::moveSelection);
    connect(timeline, &TimelinePreview::mouthChangeRequested, &edits,
            [&edits](const QString& name) { edits.changeMouth(name.toStdString()); });
    connect(timeline, &TimelinePreview::insertRequested, &edits, &TakeEdits::insertAt);
    connect(timeline, &TimelinePreview::deleteRequested, &edits, &TakeEdits::deleteSelection);
    connect(m_controller, &ViewController::takeEdited, timeline, [this, timeline, &edits] {
        timeline->setEditedTrack(m_controller->loaded()->track);
        timeline->setSelection(edits.selection());
    });

    // Hidden until asked for, in every window: the table is for editing, the
    // preview for reading.
    m_cueList = new CueList;
    m_cueList->hide();
    overview->splitWithPreview(m_cueList);
    CueListModel& model = m_cueList->cues();
    connect(m_controller, &ViewController::rateChanged, m_cueList,
            [&model](const FrameRate& rate) { model.setRate(rate); });
    // The list shows the cues only while it is shown, so that a take merely
    // looked at is never read into cues.
    const auto feedList = [this, &model, &edits] {
        const bool shown = m_showCueList->isChecked() && m_controller->loaded();
        model.setCues(shown ? &edits.cues() : nullptr, m_controller->rate(),
                      shown && m_controller->letters());
        m_cueList->setSelection(shown ? edits.selection() : std::nullopt);
    };
    connect(&edits, &TakeEdits::cuesReset, m_cueList, feedList);
    connect(m_controller, &ViewController::readingChanged, m_cueList, feedList);
    connect(&edits, &TakeEdits::aboutToSplice, m_cueList,
            [&model](std::size_t first, std::size_t removed, std::size_t added) {
                if (model.fed()) {
                    model.beginSplice(first, removed, added);
                }
            });
    connect(&edits, &TakeEdits::spliced, m_cueList, [&model] {
        if (model.changing()) {
            model.endSplice();
        }
    });
    connect(&edits, &TakeEdits::selectionChanged, m_cueList,
            [this, &model](std::optional<CueRange> range) {
                m_cueList->setSelection(model.fed() ? range : std::nullopt);
            });
    connect(m_cueList, &CueList::selectRequested, &edits, &TakeEdits::select);
    connect(m_cueList, &CueList::rowClicked, this, [this, &edits](std::size_t row) {
        const std::vector<Cue>& cues = edits.cues();
        if (row < cues.size()) {
            m_controller->player().seek(m_controller->positionOfTrackFrame(cues[row].frame));
        }
    });
    connect(m_cueList, &CueList::deleteRequested, &edits, &TakeEdits::deleteSelection);
    connect(&model, &CueListModel::frameEditRequested, &edits, &TakeEdits::setFrame);
    connect(&model, &CueListModel::mouthEditRequested, &edits,
            [&edits](std::size_t row, const QString& name) {
                edits.changeMouthAt(row, name.toStdString());
            });

    m_showCueList = new QAction(tr("&Cue List"), this);
    m_showCueList->setObjectName(QStringLiteral("cueListAction"));
    m_showCueList->setCheckable(true);
    m_showCueList->setToolTip(tr("Show the take's cues as a table beside the preview"));
    // First shown as wide as its columns, leaving the rest to the preview;
    // after that, as wide as the user left it.
    connect(m_showCueList, &QAction::toggled, m_cueList,
            [this, feedList, sized = false](bool on) mutable {
                feedList();
                m_cueList->setVisible(on);
                auto* split = qobject_cast<QSplitter*>(m_cueList->parentWidget());
                if (on && !sized && split != nullptr && split->count() == 2) {
                    sized = true;
                    const QList<int> sizes = split->sizes();
                    const int width = std::min(m_cueList->sizeHint().width(), sizes[0] + sizes[1]);
                    split->setSizes({sizes[0] + sizes[1] - width, width});
                }
            });
}

} // namespace mouthkey
