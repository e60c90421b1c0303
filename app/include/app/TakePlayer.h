#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QAudioOutput;
class QMediaPlayer;

namespace mouthkey {

// The suffixes of sound files a take is looked for with, in the order they are looked for.
QStringList soundFileSuffixes();
bool isSoundFileName(const QString& name);
// The sound beside a timing file with its base name: take1.wav for take1.dat,
// the first of soundFileSuffixes() there is; else empty.
QString soundFileBeside(const QString& timingFile);

// The clock silent playback counts on: milliseconds that only ever go forward.
class PlaybackClock {
public:
    virtual ~PlaybackClock() = default;
    virtual qint64 nowMs() const = 0;
};

class ElapsedClock final : public PlaybackClock {
public:
    ElapsedClock() { m_timer.start(); }
    qint64 nowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

// Plays a take: its sound file through Qt Multimedia when there is one and a
// sound device to hear it on, else silently on a clock. Either way position()
// is where the take is, in milliseconds, and a display-rate tick reports it:
// with sound it is the sound's own position, so the mouth never drifts from it.
class TakePlayer : public QObject {
    Q_OBJECT
public:
    explicit TakePlayer(QObject* parent = nullptr);
    ~TakePlayer() override;

    // For the tests, which step time themselves, and may play a sound where
    // QMediaDevices lists no device.
    void setClock(std::unique_ptr<PlaybackClock> clock);
    void setSoundDeviceCheck(std::function<bool()> check) { m_hasDevice = std::move(check); }

    // Why playback is silent, if it is.
    enum class Sound {
        Audible,  // the sound file plays
        NoFile,   // none was given
        NoDevice, // there is no sound device to play it on
        Failed,   // it could not be played; error() says why
    };
    // The sound file to play with the take; an empty path plays silently.
    // Playback pauses and keeps its position.
    void setSoundFile(const QString& path);
    QString soundFile() const { return m_soundFile; }
    Sound sound() const { return m_sound; }
    QString error() const { return m_error; }

    // Where playing stops on its own: the end of the take, or of its sound when longer.
    void setTakeLength(qint64 ms);
    qint64 length() const;

    qint64 position() const { return m_position; }
    bool isPlaying() const { return m_playing; }

    // Whether a device can play sound here.
    static bool hasSoundDevice();

public slots:
    // From the position; from the start once the end was reached.
    void play();
    void pause();
    void togglePlaying();
    void seek(qint64 ms);
    // Reads the position and stops at the end. The display timer calls it.
    void tick();

signals:
    void positionChanged(qint64 ms);
    void playingChanged(bool playing);
    // The sound file could not be played: playback goes on silently.
    void soundFailed(const QString& message);
    // Another sound file is the take's, or none (empty).
    void soundFileChanged(const QString& path);

private:
    void useSound(const QString& path);
    void setPlaying(bool playing);
    void fail(const QString& message);
    bool audible() const { return m_sound == Sound::Audible; }
    qint64 silentPosition() const;

    std::unique_ptr<PlaybackClock> m_clock;
    std::function<bool()> m_hasDevice = &TakePlayer::hasSoundDevice;
    QTimer m_tick;
    QMediaPlayer* m_media = nullptr;
    QAudioOutput* m_output = nullptr;
    QString m_soundFile;
    Sound m_sound = Sound::NoFile;
    QString m_error;
    qint64 m_takeLength = 0;
    qint64 m_soundLength = 0;
    qint64 m_position = 0;
    bool m_playing = false;
    bool m_followSound = false; // the sound's position is the take's
    // Silent playing: the position at a moment of the clock.
    qint64 m_fromPosition = 0;
    qint64 m_fromClock = 0;
};

} // namespace mouthkey
