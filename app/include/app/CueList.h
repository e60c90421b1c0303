#pragma once

#include "conversion/CueEdits.h"

#include <QTableView>

#include <cstddef>
#include <optional>

namespace mouthkey {

class CueListModel;

// The take's cues as a table, one whole row a cue, selected in one run of
// rows. It asks for what the user does (select, click, delete, edit a
// cell) and leaves it to the cues' owner, which answers through the model
// and setSelection.
class CueList : public QTableView {
    Q_OBJECT
public:
    explicit CueList(QWidget* parent = nullptr);

    CueListModel& cues() const { return *m_model; }

    // Selects these rows and scrolls to the first, as the owner's selection
    // says; no request follows.
    void setSelection(std::optional<CueRange> range);
    std::optional<CueRange> selection() const;

    QSize sizeHint() const override;

signals:
    // The user selected other rows; nothing when none.
    void selectRequested(std::optional<mouthkey::CueRange> range);
    void rowClicked(std::size_t row);
    // Delete was pressed with rows selected.
    void deleteRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followSelection();

    CueListModel* m_model;
    bool m_settingSelection = false;
    int m_columnsWidth = 0;
};

} // namespace mouthkey
