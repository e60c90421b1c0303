#include "app/CueListModel.h"

#include "app/LocaleNumbers.h"
#include "conversion/FrameTime.h"
#include "conversion/MappingTables.h"
#include "textinput/Utf8Text.h"

#include <QLocale>

#include <algorithm>
#include <climits>
#include <optional>

namespace mouthkey {

namespace {

int asRow(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

// A whole frame from 1, as typed (digits, grouped as the locale groups them)
// or as a whole number.
std::optional<std::uint64_t> frameOf(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong: {
        const qlonglong n = value.toLongLong();
        return n >= 1 ? std::optional<std::uint64_t>(static_cast<std::uint64_t>(n)) : std::nullopt;
    }
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qulonglong n = value.toULongLong();
        return n >= 1 ? std::optional<std::uint64_t>(n) : std::nullopt;
    }
    default:
        break;
    }
    const QString text = value.toString().trimmed();
    // toULongLong takes a sign; a frame has none.
    if (text.isEmpty() || !text.front().isDigit()) {
        return std::nullopt;
    }
    bool ok = false;
    std::uint64_t frame = QLocale().toULongLong(text, &ok);
    if (!ok) {
        frame = QLocale::c().toULongLong(text, &ok);
    }
    return ok && frame >= 1 ? std::optional(frame) : std::nullopt;
}

bool isName(const QString& name) {
    return !name.isEmpty() &&
           std::none_of(name.begin(), name.end(), [](QChar c) { return c.isSpace(); });
}

} // namespace

CueListModel::CueListModel(QObject* parent)
    : QAbstractTableModel(parent), m_numbers(numberFormatOf()) {}

void CueListModel::setCues(const std::vector<Cue>* cues, const FrameRate& rate, bool letters) {
    m_changing = true;
    beginResetModel();
    m_cues = cues;
    m_rate = rate;
    m_letters = letters;
    m_numbers = numberFormatOf();
    m_rows = cues != nullptr ? cues->size() : 0;
    m_shift = 0;
    endResetModel();
    m_changing = false;
}

void CueListModel::setRate(const FrameRate& rate) {
    if (rate == m_rate) {
        return;
    }
    m_rate = rate;
    if (m_rows > 0) {
        emit dataChanged(index(0, TimeColumn), index(asRow(m_rows) - 1, TimeColumn),
                         {Qt::DisplayRole});
    }
}

void CueListModel::beginSplice(std::size_t first, std::size_t removed, std::size_t added) {
    Q_ASSERT(!m_changing);
    Q_ASSERT(first <= m_rows && removed <= m_rows - first);
    first = std::min(first, m_rows);
    removed = std::min(removed, m_rows - first);
    m_changing = true;
    m_first = first;
    m_removed = removed;
    m_added = added;
    if (removed == added) {
        return; // the rows stay; endSplice redraws them
    }
    if (removed > 0) {
        beginRemoveRows({}, asRow(first), asRow(first + removed - 1));
    } else {
        beginInsertRows({}, asRow(first), asRow(first + added - 1));
    }
}

void CueListModel::endSplice() {
    Q_ASSERT(m_changing);
    if (!m_changing) {
        return;
    }
    const std::size_t first = m_first;
    if (m_removed == m_added) {
        if (m_added > 0) {
            emit dataChanged(index(asRow(first), 0),
                             index(asRow(first + m_added - 1), ColumnCount - 1));
        }
    } else if (m_removed > 0) {
        m_rows -= m_removed;
        // Replaced rows go, then come: until they come, the rows after them
        // show the cues they showed before.
        m_shiftFrom = first;
        m_shift = m_added;
        endRemoveRows();
        if (m_added > 0) {
            beginInsertRows({}, asRow(first), asRow(first + m_added - 1));
            m_shift = 0;
            m_rows += m_added;
            endInsertRows();
        }
    } else {
        m_rows += m_added;
        endInsertRows();
    }
    Q_ASSERT(m_rows == (m_cues != nullptr ? m_cues->size() : 0));
    m_changing = false;
}

QStringList CueListModel::mouthNames() const {
    QStringList names;
    for (const std::string_view name : cueNames(m_letters)) {
        names << toQString(name);
    }
    return names;
}

const Cue& CueListModel::cueAt(int row) const {
    const auto r = static_cast<std::size_t>(row);
    return (*m_cues)[m_shift > 0 && r >= m_shiftFrom ? r + m_shift : r];
}

int CueListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : asRow(m_rows);
}

int CueListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CueListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        return column == MouthColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                     : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    const Cue& cue = cueAt(index.row());
    switch (column) {
    case FrameColumn:
        // Edited as plain digits, which any locale reads back.
        return role == Qt::EditRole ? QString::number(cue.frame)
                                    : toQString(m_numbers.whole(cue.frame));
    case TimeColumn:
        return toQString(frameTimeText(cue.frame, m_rate, m_numbers));
    case MouthColumn:
        return toQString(cue.name);
    case LineColumn:
        // A cue the user added comes from no line.
        return cue.place.line == 0 ? QString() : toQString(m_numbers.whole(cue.place.line));
    default:
        return {};
    }
}

QVariant CueListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case FrameColumn:
        return tr("Frame");
    case TimeColumn:
        return tr("Time");
    case MouthColumn:
        return tr("Mouth");
    case LineColumn:
        return tr("Line");
    default:
        return {};
    }
}

Qt::ItemFlags CueListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == FrameColumn || index.column() == MouthColumn) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool CueListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || m_changing ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return false;
    }
    const auto row = static_cast<std::size_t>(index.row());
    const Cue& cue = cueAt(index.row());
    if (index.column() == FrameColumn) {
        const auto frame = frameOf(value);
        if (!frame) {
            return false;
        }
        if (*frame != cue.frame) {
            emit frameEditRequested(row, *frame);
        }
        return true;
    }
    if (index.column() == MouthColumn) {
        const QString name = value.toString();
        if (!isName(name)) {
            return false;
        }
        if (name != toQString(cue.name)) {
            emit mouthEditRequested(row, name);
        }
        return true;
    }
    return false;
}

} // namespace mouthkey
