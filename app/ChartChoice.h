#pragma once

#include "WindowNote.h"
#include "conversion/MouthChart.h"

#include <QObject>
#include <QString>

#include <optional>

namespace mouthkey {

// The mouth chart Time Remap and Slider Control are written with: one the
// user chose, which holds for every file; or else the one beside the loaded
// file; or else none, and the phoneme set's own is used.
class ChartChoice : public QObject {
    Q_OBJECT
public:
    explicit ChartChoice(QObject* parent = nullptr);

    // The chart read from a file; nothing: the set's is used.
    std::optional<MouthChart> read() const {
        return m_chart ? std::optional(m_chart->chart) : std::nullopt;
    }
    MouthChart inUse(int setIndex) const;
    // The file that chart was read from; empty for the set's own.
    QString path() const { return m_chart ? m_chart->path : QString(); }
    bool chosen() const { return m_chart && m_chart->chosen; }

    // Looks for the chart beside a timing file unless one was chosen, and says what it found.
    LoadNote useFolderChart(const QString& timingFile);
    // Reads a chart file the user chose and, if it reads as one, uses it from now on.
    StatusNote choose(const QString& path);
    // Lets the chosen chart go: the loaded file's folder's, or the set's, is used again.
    // Nothing when none was chosen.
    std::optional<StatusNote> forget(const QString& loadedPath);

signals:
    void chartChanged();

private:
    struct ReadChart {
        MouthChart chart;
        QString path;
        bool chosen = false; // by the user, not found beside a file
    };
    std::optional<ReadChart> m_chart;
};

} // namespace mouthkey
