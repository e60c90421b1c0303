#pragma once

#include "WindowNote.h"

#include <QObject>
#include <QString>
#include <QUrl>

namespace mouthkey {

struct Take;
class TakePlayer;

// The sound a take plays with: the one its project names, or the one beside
// its file, or one the user chose for that file; and why playback is silent
// when it is.
class TakeSound : public QObject {
    Q_OBJECT
public:
    explicit TakeSound(QObject* parent = nullptr);

    TakePlayer& player() const { return *m_player; }

    // Finds the sound for a timing file just loaded, and says what it found.
    LoadNote useSoundFor(const QString& timingFile, const Take* take);
    // Plays the take of `timingFile` with this sound from now on.
    StatusNote useFile(const QUrl& url, const QString& timingFile);
    // Where a chooser for the sound starts: the sound's folder, or `otherwise`.
    QString folder(const QString& otherwise) const;

signals:
    // Something to say about the sound: it failed, or a take plays silently.
    void noted(const mouthkey::StatusNote& note);

private:
    QString soundNote() const;
    void sayWhySilent(bool playing);

    TakePlayer* m_player;
    QString m_chosenFor;                      // the timing file the user chose the sound for
    QString m_noSound = tr("no take loaded"); // why there is no sound file
};

} // namespace mouthkey
