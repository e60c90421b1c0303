#pragma once

// A sink's writes on a thread of their own, for a document whose making
// costs more than the converter's: it is written while it is made. Private
// to the conversion library.
#include "conversion/ChunkSink.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace mouthkey {

// Chunks put here are gathered into pieces of `pieceSize` and handed, in
// order, to `sink` on a second thread. A few pieces wait at most, so memory
// stays bounded; a writer that runs ahead waits for the sink.
//
// A document may be made before it is known to be right: held, its pieces
// wait unwritten until settle() says whether it is written at all.
class SinkThread {
public:
    // `sink` outlives this.
    explicit SinkThread(const ChunkSink& sink, std::size_t pieceSize = std::size_t{1} << 20);
    // Hands on what is gathered and waits until the sink has taken it all;
    // a document still held is never written.
    ~SinkThread();
    SinkThread(const SinkThread&) = delete;
    SinkThread& operator=(const SinkThread&) = delete;

    void put(std::string_view chunk);

    // Before the first put: until settle(), up to `room` pieces wait unwritten.
    void hold(std::size_t room);
    // From any thread, once: whether what was put, and will be, is written.
    void settle(bool write);
    // Waits for settle() and gives what it said.
    bool settled();

private:
    enum class State { Writing, Held, Dropping };

    void handOn();
    void write();

    const ChunkSink& m_sink;
    std::size_t m_pieceSize;
    std::string m_gathering;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_waiting; // for the sink, oldest first
    std::vector<std::string> m_spare;  // written pieces, whose room is used again
    State m_state = State::Writing;
    std::size_t m_heldRoom = 0;
    bool m_settled = true;
    bool m_done = false;
    std::jthread m_thread;
};

} // namespace mouthkey
