#include "SinkThread.h"

#include <utility>

namespace mouthkey {

namespace {

// Pieces waiting for the sink, at most, and written pieces kept for their
// room: enough for a serving thread's step of other work.
constexpr std::size_t waitingPieces = 8;

} // namespace

SinkThread::SinkThread(const ChunkSink& sink, Writer writer, std::size_t pieceSize)
    : m_sink(sink), m_pieceSize(pieceSize) {
    m_gathering.reserve(m_pieceSize);
    if (writer == Writer::Own) {
        m_thread = std::jthread([this] { serve([] { return false; }); });
    }
}

SinkThread::~SinkThread() {
    close();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void SinkThread::put(std::string_view chunk) {
    m_gathering.append(chunk);
    if (m_gathering.size() >= m_pieceSize) {
        handOn();
    }
}

void SinkThread::close() {
    handOn();
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
}

void SinkThread::hold(std::size_t room) {
    const std::lock_guard lock(m_mutex);
    m_state = State::Held;
    m_heldRoom = room;
}

void SinkThread::settle(bool write) {
    {
        const std::lock_guard lock(m_mutex);
        m_state = write ? State::Writing : State::Dropping;
        if (!write) {
            m_waiting.clear();
        }
    }
    m_changed.notify_all();
}

bool SinkThread::settled() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_state != State::Held; });
    return m_state != State::Dropping;
}

void SinkThread::handOn() {
    if (m_gathering.empty()) {
        return;
    }
    std::string next;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] {
            return m_state == State::Dropping ||
                   m_waiting.size() < (m_state == State::Held ? m_heldRoom : waitingPieces);
        });
        if (m_state == State::Dropping) {
            m_gathering.clear();
            return;
        }
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

void SinkThread::serve(const std::function<bool()>& work) {
    bool working = true;
    std::unique_lock lock(m_mutex);
    for (;;) {
        while (m_state == State::Writing && !m_waiting.empty()) {
            std::string piece = std::move(m_waiting.front());
            m_waiting.pop_front();
            lock.unlock();
            m_changed.notify_all();
            m_sink(piece);
            lock.lock();
            // The room of many pieces, let wait while held, is given back.
            if (m_spare.size() < waitingPieces) {
                m_spare.push_back(std::move(piece));
            }
        }
        if (working) {
            lock.unlock();
            working = work();
            lock.lock();
            continue;
        }
        if (m_done && (m_state != State::Writing || m_waiting.empty())) {
            return;
        }
        m_changed.wait(
            lock, [this] { return m_done || (m_state == State::Writing && !m_waiting.empty()); });
    }
}

} // namespace mouthkey
