#include "ChartChoice.h"

#include "app/LocaleNumbers.h"
#include "textinput/MouthChartFile.h"
#include "textinput/Utf8Text.h"

#include <QFileInfo>
#include <QStringList>

namespace mouthkey {

namespace {

// A chart file's reading in the window's words: its chart, or why there is
// none; and what it found that still gives one, such as a name listed again.
struct ChartWords {
    std::optional<MouthChart> chart;
    QString problem;
};

ChartWords readChart(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    ChartFile file = readMouthChartFile(path);
    if (file.error) {
        return {{}, file.error->describe(name)};
    }
    QStringList found;
    for (const Finding& finding : file.findings) {
        found << toQString(findingText(finding, numberFormatOf()));
    }
    return {std::move(file.chart), found.isEmpty()
                                       ? QString()
                                       : QStringLiteral("in '%1', %2 (the first listing counts)")
                                             .arg(name, found.join(QStringLiteral("; ")))};
}

} // namespace

ChartChoice::ChartChoice(QObject* parent) : QObject(parent) {}

MouthChart ChartChoice::inUse(int setIndex) const {
    return m_chart ? m_chart->chart : MouthChart::ofSet(setIndex);
}

LoadNote ChartChoice::useFolderChart(const QString& timingFile) {
    const std::optional<QString> beside = mouthChartBeside(timingFile);
    if (m_chart && m_chart->chosen) {
        if (beside && QFileInfo(*beside) != QFileInfo(m_chart->path)) {
            return {tr("the chosen mouth chart %1 is used, not the %2 beside it")
                        .arg(QFileInfo(m_chart->path).fileName(), toQString(mouthChartFileName)),
                    false};
        }
        return {};
    }
    if (!beside) {
        if (m_chart) {
            m_chart.reset();
            emit chartChanged();
        }
        return {};
    }
    ChartWords reading = readChart(*beside);
    if (!reading.chart) {
        // The chart read from this same file before stays, as a chosen one
        // would; another folder's never speaks for this one.
        if (m_chart && QFileInfo(m_chart->path) != QFileInfo(*beside)) {
            m_chart.reset();
            emit chartChanged();
        }
        return {reading.problem + (m_chart ? tr("; the chart read from it before stays in use")
                                           : tr("; the phoneme set's own chart is used")),
                true};
    }
    m_chart = ReadChart{std::move(*reading.chart), QFileInfo(*beside).absoluteFilePath(), false};
    emit chartChanged();
    QString text = tr("using the mouth chart in %1").arg(toQString(mouthChartFileName));
    if (!reading.problem.isEmpty()) {
        text += QStringLiteral("; ") + reading.problem;
    }
    return {text, !reading.problem.isEmpty()};
}

StatusNote ChartChoice::choose(const QString& path) {
    ChartWords reading = readChart(path);
    if (!reading.chart) {
        return {StatusMessage::Kind::Failure,
                withCapital(reading.problem) + tr("; the chart in use is unchanged")};
    }
    m_chart = ReadChart{std::move(*reading.chart), QFileInfo(path).absoluteFilePath(), true};
    QString text = tr("Using the mouth chart in %1").arg(QFileInfo(path).fileName());
    if (!reading.problem.isEmpty()) {
        text += QStringLiteral("; ") + reading.problem;
    }
    StatusNote note{
        reading.problem.isEmpty() ? StatusMessage::Kind::Done : StatusMessage::Kind::Notice, text};
    emit chartChanged();
    return note;
}

std::optional<StatusNote> ChartChoice::forget(const QString& loadedPath) {
    if (!chosen()) {
        return std::nullopt;
    }
    m_chart.reset();
    emit chartChanged();
    const LoadNote note = loadedPath.isEmpty() ? LoadNote{} : useFolderChart(loadedPath);
    return StatusNote{
        note.problem ? StatusMessage::Kind::Notice : StatusMessage::Kind::Done,
        tr("The chosen mouth chart is no longer used; ") +
            (note.text.isEmpty() ? tr("the phoneme set's own chart is used") : note.text)};
}

} // namespace mouthkey
