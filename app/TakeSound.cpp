#include "TakeSound.h"

#include "app/TakePlayer.h"
#include "conversion/Take.h"
#include "textinput/Utf8Text.h"

#include <QDir>
#include <QFileInfo>

namespace mouthkey {

TakeSound::TakeSound(QObject* parent) : QObject(parent), m_player(new TakePlayer(this)) {
    // The take stays loaded; only the sound is gone.
    connect(m_player, &TakePlayer::soundFailed, this, [this](const QString& message) {
        emit noted({StatusMessage::Kind::Failure,
                    withCapital(message) + tr("; the take plays on silently")});
    });
    connect(m_player, &TakePlayer::playingChanged, this, &TakeSound::sayWhySilent);
}

LoadNote TakeSound::useSoundFor(const QString& timingFile, const Take* take) {
    if (timingFile == m_chosenFor && QFileInfo(m_player->soundFile()).isFile()) {
        return {soundNote(), false}; // a reload keeps the sound the user chose for it
    }
    m_chosenFor.clear();
    const QFileInfo timing(timingFile);
    m_noSound = tr("no sound file beside %1").arg(timing.fileName());
    QString sound;
    QString missing;
    if (take && !take->soundFile.empty()) {
        // As the project names it, from the project's folder; a project moved
        // from another system may still have it beside it.
        const QString named = toQString(take->soundFile);
        const QString path = timing.absoluteDir().filePath(named);
        const QString beside = timing.absoluteDir().filePath(
            QFileInfo(QString(named).replace(u'\\', u'/')).fileName());
        if (QFileInfo(path).isFile()) {
            sound = path;
        } else if (QFileInfo(beside).isFile()) {
            sound = beside;
        } else {
            missing = tr("the sound file the project names, '%1', is not there").arg(named);
            m_noSound = missing;
        }
    }
    if (sound.isEmpty()) {
        sound = soundFileBeside(timingFile);
    }
    m_player->setSoundFile(sound);
    // Without a sound file the load says nothing of it, and Play says why it
    // is silent; but a project that names one is meant to be heard.
    if (sound.isEmpty()) {
        return missing.isEmpty() ? LoadNote{} : LoadNote{soundNote(), true};
    }
    return {missing.isEmpty() ? soundNote() : missing + QStringLiteral("; ") + soundNote(), false};
}

StatusNote TakeSound::useFile(const QUrl& url, const QString& timingFile) {
    const QFileInfo info(url.toLocalFile());
    if (!info.isFile()) {
        return {StatusMessage::Kind::Failure,
                tr("'%1' is not a file; the sound is unchanged").arg(info.fileName())};
    }
    m_player->setSoundFile(info.absoluteFilePath());
    m_chosenFor = timingFile;
    return {m_player->sound() == TakePlayer::Sound::Audible ? StatusMessage::Kind::Done
                                                            : StatusMessage::Kind::Notice,
            withCapital(soundNote())};
}

QString TakeSound::folder(const QString& otherwise) const {
    return m_player->soundFile().isEmpty() ? otherwise
                                           : QFileInfo(m_player->soundFile()).absolutePath();
}

QString TakeSound::soundNote() const {
    const QString name = QFileInfo(m_player->soundFile()).fileName();
    switch (m_player->sound()) {
    case TakePlayer::Sound::Audible:
        return tr("sound: %1").arg(name);
    case TakePlayer::Sound::NoDevice:
        return tr("sound: %1, but no sound device: playback is silent").arg(name);
    case TakePlayer::Sound::Failed:
        return m_player->error() + tr(": playback is silent");
    case TakePlayer::Sound::NoFile:
        break;
    }
    return m_noSound + tr(": playback is silent");
}

void TakeSound::sayWhySilent(bool playing) {
    if (!playing || m_player->sound() == TakePlayer::Sound::Audible) {
        return;
    }
    QString why;
    switch (m_player->sound()) {
    case TakePlayer::Sound::NoDevice:
        why = tr("no sound device");
        break;
    case TakePlayer::Sound::Failed:
        why = m_player->error();
        break;
    default:
        why = m_noSound;
        break;
    }
    emit noted({StatusMessage::Kind::Notice, tr("Playing silently: %1").arg(why)});
}

} // namespace mouthkey
