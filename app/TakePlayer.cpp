#include "app/TakePlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include <algorithm>

namespace mouthkey {

namespace {

// About one tick a displayed frame.
constexpr int tickMs = 15;

} // namespace

QStringList soundFileSuffixes() {
    return {QStringLiteral("wav"), QStringLiteral("mp3"), QStringLiteral("ogg"),
            QStringLiteral("flac"), QStringLiteral("m4a")};
}

bool isSoundFileName(const QString& name) {
    return soundFileSuffixes().contains(QFileInfo(name).suffix(), Qt::CaseInsensitive);
}

QString soundFileBeside(const QString& timingFile) {
    const QFileInfo timing(timingFile);
    const QDir folder = timing.absoluteDir();
    for (const QString& suffix : soundFileSuffixes()) {
        const QFileInfo sound(folder.filePath(timing.completeBaseName() + u'.' + suffix));
        if (sound.isFile()) {
            return sound.absoluteFilePath();
        }
    }
    return {};
}

TakePlayer::TakePlayer(QObject* parent)
    : QObject(parent), m_clock(std::make_unique<ElapsedClock>()) {
    m_tick.setInterval(tickMs);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &TakePlayer::tick);
}

TakePlayer::~TakePlayer() = default;

void TakePlayer::setClock(std::unique_ptr<PlaybackClock> clock) {
    m_clock = std::move(clock);
    m_fromClock = m_clock->nowMs();
    m_fromPosition = m_position;
}

bool TakePlayer::hasSoundDevice() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

void TakePlayer::setSoundFile(const QString& path) {
    useSound(path);
    emit soundFileChanged(m_soundFile);
}

void TakePlayer::useSound(const QString& path) {
    pause();
    m_soundFile = path;
    m_error.clear();
    m_soundLength = 0;
    if (m_media) {
        m_media->disconnect(this); // nothing the old sound still says is about the new one
        m_media->stop();
        m_media->deleteLater();
        m_media = nullptr;
        m_output = nullptr;
    }
    m_followSound = false;
    if (path.isEmpty()) {
        m_sound = Sound::NoFile;
        return;
    }
    if (!m_hasDevice()) {
        m_sound = Sound::NoDevice;
        return;
    }
    m_sound = Sound::Audible;
    m_media = new QMediaPlayer(this);
    m_output = new QAudioOutput(m_media);
    m_media->setAudioOutput(m_output);
    connect(m_media, &QMediaPlayer::durationChanged, this,
            [this](qint64 ms) { m_soundLength = ms; });
    connect(
        m_media, &QMediaPlayer::errorOccurred, this,
        [this](QMediaPlayer::Error, const QString& message) {
            fail(tr("'%1' cannot be played (%2)").arg(QFileInfo(m_soundFile).fileName(), message));
        });
    connect(m_media, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::InvalidMedia) {
                    fail(tr("'%1' is not a sound Mouthkey can play")
                             .arg(QFileInfo(m_soundFile).fileName()));
                } else if (status == QMediaPlayer::EndOfMedia && m_followSound) {
                    // A take longer than its sound goes on silently.
                    m_followSound = false;
                    m_fromPosition = std::max(m_position, m_soundLength);
                    m_fromClock = m_clock->nowMs();
                    tick();
                }
            });
    m_media->setSource(QUrl::fromLocalFile(path));
}

void TakePlayer::fail(const QString& message) {
    if (m_sound != Sound::Audible) {
        return; // one failure is said once
    }
    // Carry on silently from where the sound was.
    m_sound = Sound::Failed;
    m_error = message;
    m_soundLength = 0;
    if (m_media) {
        m_media->disconnect(this);
        m_media->stop();
        m_media->deleteLater();
        m_media = nullptr;
        m_output = nullptr;
    }
    m_followSound = false;
    m_fromPosition = m_position;
    m_fromClock = m_clock->nowMs();
    emit soundFailed(message);
}

void TakePlayer::setTakeLength(qint64 ms) {
    m_takeLength = std::max<qint64>(ms, 0);
}

qint64 TakePlayer::length() const {
    return std::max(m_takeLength, audible() ? m_soundLength : 0);
}

qint64 TakePlayer::silentPosition() const {
    return m_fromPosition + (m_clock->nowMs() - m_fromClock);
}

void TakePlayer::play() {
    if (m_playing) {
        return;
    }
    if (m_position >= length()) {
        seek(0);
    }
    m_fromPosition = m_position;
    m_fromClock = m_clock->nowMs();
    m_followSound = audible() && (m_soundLength == 0 || m_position < m_soundLength);
    if (m_followSound) {
        m_media->setPosition(m_position);
        m_media->play();
    }
    setPlaying(true);
    m_tick.start();
}

void TakePlayer::pause() {
    if (!m_playing) {
        return;
    }
    tick();
    m_tick.stop();
    if (audible()) {
        m_media->pause();
    }
    setPlaying(false);
}

void TakePlayer::togglePlaying() {
    if (m_playing) {
        pause();
    } else {
        play();
    }
}

void TakePlayer::seek(qint64 ms) {
    m_position = std::clamp<qint64>(ms, 0, std::max<qint64>(length(), 0));
    m_fromPosition = m_position;
    m_fromClock = m_clock->nowMs();
    if (audible()) {
        m_media->setPosition(m_position);
        if (m_playing && !m_followSound && m_position < m_soundLength) {
            m_followSound = true;
            m_media->play();
        }
    }
    emit positionChanged(m_position);
}

void TakePlayer::tick() {
    if (!m_playing) {
        return;
    }
    // The sound's own clock while it plays; the sound may still be starting.
    const qint64 at = m_followSound ? m_media->position() : silentPosition();
    const qint64 end = length();
    if (at >= end) {
        m_position = end;
        m_tick.stop();
        if (audible()) {
            m_media->pause();
        }
        emit positionChanged(m_position);
        setPlaying(false);
        return;
    }
    m_position = std::max<qint64>(at, 0);
    emit positionChanged(m_position);
}

void TakePlayer::setPlaying(bool playing) {
    if (playing != m_playing) {
        m_playing = playing;
        emit playingChanged(playing);
    }
}

} // namespace mouthkey
