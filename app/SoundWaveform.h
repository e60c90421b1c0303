#pragma once

#include "conversion/WaveformSummary.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class QThread;

namespace mouthkey {

// Reads a sound file's waveform on a thread of its own, so that a long sound
// never holds up the window, and hands its summary back on the window's thread.
class SoundWaveform : public QObject {
    Q_OBJECT
public:
    explicit SoundWaveform(QObject* parent = nullptr);
    ~SoundWaveform() override;

    // Reads the sound at `url`; ready() follows, or failed(). What an earlier
    // load would still have said is dropped. An empty URL: ready(nullptr) now.
    void load(const QUrl& url);
    // Drops the load in progress, if any: neither signal follows it.
    void cancel();
    bool loading() const { return m_thread != nullptr; }

signals:
    void ready(std::shared_ptr<const mouthkey::WaveformSummary> summary);
    void failed(const QString& message);

private:
    QThread* m_thread = nullptr;
    quint64 m_generation = 0; // of the load whose results are wanted
};

} // namespace mouthkey
