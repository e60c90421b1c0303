#include "SinkThread.h"

#include <utility>

namespace mouthkey {

namespace {

// Pieces waiting for the sink, at most.
constexpr std::size_t waitingPieces = 4;

} // namespace

SinkThread::SinkThread(const ChunkSink& sink, std::size_t pieceSize)
    : m_sink(sink), m_pieceSize(pieceSize), m_thread([this] { write(); }) {
    m_gathering.reserve(m_pieceSize);
}

SinkThread::~SinkThread() {
    handOn();
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void SinkThread::put(std::string_view chunk) {
    m_gathering.append(chunk);
    if (m_gathering.size() >= m_pieceSize) {
        handOn();
    }
}

void SinkThread::handOn() {
    if (m_gathering.empty()) {
        return;
    }
    std::string next;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waiting.size() < waitingPieces; });
        m_waiting.push_back(std::move(m_gathering));
        if (!m_spare.empty()) {
            next = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    m_changed.notify_all();
    next.clear();
    next.reserve(m_pieceSize);
    m_gathering = std::move(next);
}

void SinkThread::write() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_done || !m_waiting.empty(); });
        if (m_waiting.empty()) {
            return;
        }
        std::string piece = std::move(m_waiting.front());
        m_waiting.pop_front();
        lock.unlock();
        m_changed.notify_all();
        m_sink(piece);
        lock.lock();
        m_spare.push_back(std::move(piece));
    }
}

} // namespace mouthkey
