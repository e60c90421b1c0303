#include "app/CueList.h"

#include "app/CueListModel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace mouthkey {

namespace {

// The Mouth cell is edited with a pop-up of the set's names, where typing a
// name's first letters picks it. A cue's own name heads it when the set has
// no such name, so that opening and closing the pop-up changes nothing.
class MouthDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const auto* cues = qobject_cast<const CueListModel*>(index.model());
        if (cues == nullptr || index.column() != CueListModel::MouthColumn) {
            return QStyledItemDelegate::createEditor(parent, option, index);
        }
        auto* combo = new QComboBox(parent);
        combo->setAccessibleName(CueListModel::tr("Mouth"));
        combo->addItems(cues->mouthNames());
        // A pick ends the edit, as Return would.
        connect(combo, &QComboBox::activated, this, [this, combo] {
            auto* self = const_cast<MouthDelegate*>(this);
            emit self->commitData(combo);
            emit self->closeEditor(combo);
        });
        return combo;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = qobject_cast<QComboBox*>(editor);
        if (combo == nullptr) {
            QStyledItemDelegate::setEditorData(editor, index);
            return;
        }
        const QString name = index.data(Qt::EditRole).toString();
        int at = combo->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        if (at < 0) {
            combo->insertItem(0, name);
            at = 0;
        }
        combo->setCurrentIndex(at);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, combo->currentText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }
};

} // namespace

CueList::CueList(QWidget* parent) : QTableView(parent), m_model(new CueListModel(this)) {
    setObjectName(QStringLiteral("cueList"));
    setAccessibleName(tr("Cue list"));
    setModel(m_model);
    setItemDelegateForColumn(CueListModel::MouthColumn, new MouthDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Rows of one height, which the view never measures: with a million
    // cues, measuring them would cost what scrolling should not.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    // Columns sized for their widest likely text, not by reading every cell.
    QHeaderView* columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    columns->setHighlightSections(false);
    const auto widthOf = [this](const QString& sample) {
        return fontMetrics().horizontalAdvance(sample) + 16;
    };
    setColumnWidth(CueListModel::FrameColumn, widthOf(QStringLiteral("0,000,000")));
    setColumnWidth(CueListModel::TimeColumn, widthOf(QStringLiteral("0:00:00.0")));
    // Wide enough for the pop-up that edits it.
    QComboBox mouths;
    mouths.addItems(m_model->mouthNames());
    setColumnWidth(CueListModel::MouthColumn, mouths.sizeHint().width());
    setColumnWidth(CueListModel::LineColumn, widthOf(QStringLiteral("000,000")));
    // The last column stretches, so its width now is the one to ask for.
    for (int column = 0; column < CueListModel::ColumnCount; ++column) {
        m_columnsWidth += columnWidth(column);
    }

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CueList::followSelection);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        emit rowClicked(static_cast<std::size_t>(index.row()));
    });
}

QSize CueList::sizeHint() const {
    return {2 * frameWidth() + verticalScrollBar()->sizeHint().width() + m_columnsWidth,
            QTableView::sizeHint().height()};
}

void CueList::setSelection(std::optional<CueRange> range) {
    m_settingSelection = true;
    const int rows = m_model->rowCount();
    if (!range || rows == 0 || range->first >= static_cast<std::size_t>(rows)) {
        selectionModel()->clearSelection();
    } else {
        const int first = static_cast<int>(range->first);
        const int last = static_cast<int>(std::min<std::size_t>(range->last, rows - 1));
        const QModelIndex top = m_model->index(first, 0);
        selectionModel()->select(
            QItemSelection(top, m_model->index(last, CueListModel::ColumnCount - 1)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        // The keys move on from the selection's first row.
        selectionModel()->setCurrentIndex(top, QItemSelectionModel::NoUpdate);
        scrollTo(top);
    }
    m_settingSelection = false;
}

std::optional<CueRange> CueList::selection() const {
    std::optional<CueRange> range;
    for (const QItemSelectionRange& part : selectionModel()->selection()) {
        const auto top = static_cast<std::size_t>(part.top());
        const auto bottom = static_cast<std::size_t>(part.bottom());
        range = range ? CueRange{std::min(range->first, top), std::max(range->last, bottom)}
                      : CueRange{top, bottom};
    }
    return range;
}

// Only what the user does is asked for: the owner's own selection, and
// what the model's changes do to the selection, are already the owner's.
void CueList::followSelection() {
    if (!m_settingSelection && !m_model->changing()) {
        emit selectRequested(selection());
    }
}

namespace {

bool isDeleteKey(const QKeyEvent& key) {
    return key.matches(QKeySequence::Delete) ||
           (key.key() == Qt::Key_Backspace && key.modifiers() == Qt::NoModifier);
}

} // namespace

// Delete is the table's while it has rows selected, even where a window
// action has the key too: the action would not know which rows.
bool CueList::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && state() != EditingState &&
        isDeleteKey(*static_cast<QKeyEvent*>(event)) && selectionModel()->hasSelection()) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void CueList::keyPressEvent(QKeyEvent* event) {
    if (isDeleteKey(*event) && state() != EditingState) {
        if (selectionModel()->hasSelection()) {
            emit deleteRequested();
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace mouthkey
