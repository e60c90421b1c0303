#pragma once

// Work handed from one thread to another in pieces. Private to the
// conversion library.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace mouthkey {

// Pieces from one thread to another, a few at most waiting, so that
// neither runs far ahead of the other. Kept on a cache line of its own.
template <class Piece> class alignas(64) Handoff {
public:
    void put(Piece&& piece) {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_waiting.size() < waitingAtMost; });
        m_waiting.push_back(std::move(piece));
        m_ready.notify_one();
    }
    void close() {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        m_ready.notify_one();
    }
    // The next piece; nothing once every piece is taken and it is closed.
    std::optional<Piece> take() {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_waiting.empty() || m_closed; });
        if (m_waiting.empty()) {
            return std::nullopt;
        }
        Piece piece = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_room.notify_one();
        return piece;
    }

private:
    static constexpr std::size_t waitingAtMost = 4;

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<Piece> m_waiting;
    bool m_closed = false;
};

} // namespace mouthkey
