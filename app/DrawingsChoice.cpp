#include "DrawingsChoice.h"

#include "app/LocaleNumbers.h"

#include <QFileInfo>

namespace mouthkey {

DrawingsChoice::DrawingsChoice(QObject* parent) : QObject(parent) {}

LoadNote DrawingsChoice::useFolderBeside(const QString& timingFile) {
    if (m_chosen) {
        return {};
    }
    const QString beside = MouthDrawings::folderBeside(timingFile);
    if (beside.isEmpty()) {
        if (!m_drawings.folder().isEmpty()) {
            m_drawings.setFolder({});
            emit drawingsChanged();
        }
        return {};
    }
    const MouthDrawings::FolderReading reading = m_drawings.setFolder(beside);
    emit drawingsChanged();
    QString text = tr("mouth drawings from the %1 folder beside it (%2 of them)")
                       .arg(QFileInfo(beside).fileName(), localeNumber(reading.found));
    if (!reading.problems.isEmpty()) {
        text += QStringLiteral("; ") + reading.problems.join(QStringLiteral("; "));
    }
    return {text, !reading.problems.isEmpty()};
}

StatusNote DrawingsChoice::choose(const QString& folder) {
    const MouthDrawings::FolderReading reading = m_drawings.setFolder(folder);
    m_chosen = true;
    emit drawingsChanged();
    QString text =
        reading.found == 0
            ? tr("%1 holds no mouth drawing named by shape (AI.png, MBP.svg, rest.png, ...): "
                 "the built-in drawings are shown")
                  .arg(QFileInfo(folder).fileName())
            : tr("Showing the mouth drawings in %1 (%2 of them); the built-in ones stand in for "
                 "the rest")
                  .arg(QFileInfo(folder).fileName(), localeNumber(reading.found));
    if (!reading.problems.isEmpty()) {
        text += QStringLiteral("; ") + reading.problems.join(QStringLiteral("; "));
    }
    return {reading.found == 0 || !reading.problems.isEmpty() ? StatusMessage::Kind::Notice
                                                              : StatusMessage::Kind::Done,
            text};
}

} // namespace mouthkey
