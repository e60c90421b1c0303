#pragma once

#include "speech/SoundTake.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <string>

class QThread;

namespace mouthkey {

// Times a sound's speech on a thread of its own, so that the window stays
// responsive; its progress and its take come back on the window's thread.
class SoundTimer : public QObject {
    Q_OBJECT
public:
    explicit SoundTimer(QObject* parent = nullptr);
    // Cancels a timing under way and waits for it to stop.
    ~SoundTimer() override;

    // Starts timing the sound at `path` by `request` (whose progress is the
    // timer's own), its script named in notes as `scriptName`. False, and
    // nothing started, while another is under way.
    bool start(const QString& path, speech::TimingRequest request, const std::string& scriptName);
    bool busy() const { return m_thread != nullptr; }

public slots:
    // The timing under way stops soon, and finishes as cancelled.
    void cancel();

signals:
    // 0 to 1 of the sound timed.
    void progressed(double done);
    void finished(std::shared_ptr<mouthkey::speech::SoundTake> timed);

private:
    void done(std::shared_ptr<speech::SoundTake> timed);

    std::unique_ptr<QThread> m_thread;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

} // namespace mouthkey
