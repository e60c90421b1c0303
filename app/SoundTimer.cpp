#include "SoundTimer.h"

#include <QFile>
#include <QThread>

namespace mouthkey {

SoundTimer::SoundTimer(QObject* parent) : QObject(parent) {}

SoundTimer::~SoundTimer() {
    if (m_thread) {
        cancel();
        m_thread->wait();
    }
}

bool SoundTimer::start(const QString& path, speech::TimingRequest request,
                       const std::string& scriptName) {
    if (busy()) {
        return false;
    }
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    // The thread only ever posts to this object, which outlives it: the
    // destructor waits for it.
    request.progress = [this, cancel = m_cancel](double done) {
        QMetaObject::invokeMethod(
            this, [this, done] { emit progressed(done); }, Qt::QueuedConnection);
        return !cancel->load();
    };
    m_thread.reset(QThread::create([this, file = QFile::encodeName(path).toStdString(),
                                    request = std::move(request), scriptName]() mutable {
        auto timed = std::make_shared<speech::SoundTake>(
            speech::soundTake(file, std::move(request), scriptName));
        QMetaObject::invokeMethod(
            this, [this, timed] { done(timed); }, Qt::QueuedConnection);
    }));
    m_thread->start();
    return true;
}

void SoundTimer::cancel() {
    if (m_cancel) {
        m_cancel->store(true);
    }
}

void SoundTimer::done(std::shared_ptr<speech::SoundTake> timed) {
    m_thread->wait(); // its last act was to post this
    m_thread.reset();
    // Cancelled after the last look at the flag: what was asked is what is told.
    if (m_cancel && m_cancel->load() && !timed->cancelled) {
        timed->cancelled = true;
        timed->take.reset();
    }
    m_cancel.reset();
    emit finished(std::move(timed));
}

} // namespace mouthkey
