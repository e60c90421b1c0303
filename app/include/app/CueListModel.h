#pragma once

#include "conversion/KeyframeDocument.h"
#include "conversion/NumberFormat.h"
#include "conversion/Take.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mouthkey {

// A take's cues as table rows: frame, time, mouth and the line the cue came
// from. The cues belong to an owner that edits them; the table only reads
// them, each cell when it is shown, and turns the user's edits into requests.
class CueListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { FrameColumn, TimeColumn, MouthColumn, LineColumn, ColumnCount };

    explicit CueListModel(QObject* parent = nullptr);

    // Shows these cues, which must outlive the model or the next call; none
    // for nullptr. `letters`: the mouths are letter shapes, offered as such.
    void setCues(const std::vector<Cue>* cues, const FrameRate& rate, bool letters);
    void setRate(const FrameRate& rate);

    // The owner brackets each change of the cues with these: before it, that
    // rows [first, first + removed) will become [first, first + added); after
    // it, that they have. A change that keeps the count redraws those rows
    // only, so an edit costs the rows it touches, not the take.
    void beginSplice(std::size_t first, std::size_t removed, std::size_t added);
    void endSplice();
    // Whether it shows cues: set and not nullptr.
    bool fed() const noexcept { return m_cues != nullptr; }
    // Between the two calls, or while the cues are being set.
    bool changing() const noexcept { return m_changing; }

    // What the Mouth cell offers: the take's letter shapes when it has them,
    // then the phoneme names.
    QStringList mouthNames() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Asks the owner for the edit rather than making it: true when the value
    // is one a cue may have (a whole frame from 1; a name without spaces),
    // and a request is emitted when it differs from the cue's own.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void frameEditRequested(std::size_t row, std::uint64_t frame);
    void mouthEditRequested(std::size_t row, const QString& name);

private:
    const Cue& cueAt(int row) const;

    const std::vector<Cue>* m_cues = nullptr;
    FrameRate m_rate;
    NumberFormat m_numbers;
    bool m_letters = false;
    // The rows the views know of, which lag the cues while they change.
    std::size_t m_rows = 0;
    // Rows from m_shiftFrom on show the cue m_shift further on, while the
    // views see a splice's removed rows gone and its added ones not yet there.
    std::size_t m_shiftFrom = 0;
    std::size_t m_shift = 0;
    bool m_changing = false;
    std::size_t m_first = 0;
    std::size_t m_removed = 0;
    std::size_t m_added = 0;
};

} // namespace mouthkey
