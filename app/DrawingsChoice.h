#pragma once

#include "WindowNote.h"
#include "app/MouthDrawings.h"

#include <QObject>
#include <QString>

namespace mouthkey {

// The mouth drawings the player shows: a folder the user chose, which holds
// for every file; or else the "mouths" folder beside the loaded file; or else
// the built-in ones.
class DrawingsChoice : public QObject {
    Q_OBJECT
public:
    explicit DrawingsChoice(QObject* parent = nullptr);

    const MouthDrawings& drawings() const { return m_drawings; }
    QString folder() const { return m_drawings.folder(); }

    // Finds the drawings for a timing file just loaded unless a folder was
    // chosen, and says what it found.
    LoadNote useFolderBeside(const QString& timingFile);
    // Shows the drawings of a folder the user chose from now on.
    StatusNote choose(const QString& folder);

signals:
    void drawingsChanged();

private:
    MouthDrawings m_drawings;
    bool m_chosen = false;
};

} // namespace mouthkey
