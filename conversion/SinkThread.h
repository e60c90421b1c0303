#pragma once

// A sink's writes on a thread of their own, for a document whose making
// costs more than the converter's: it is written while it is made. Private
// to the conversion library.
#include "conversion/ChunkSink.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
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
// The second thread is the writer's own, or one that serves the writes
// between work of its own: with two threads busy already, a third would
// take its turns from the maker.
//
// A document may be made before it is known to be right: held, its pieces
// wait unwritten until settle() says whether it is written at all.
class SinkThread {
public:
    enum class Writer { Own, Served };

    // `sink` outlives this. Served, serve() must be running or to come on
    // another thread, and must have returned before this is destroyed.
    explicit SinkThread(const ChunkSink& sink, Writer writer = Writer::Own,
                        std::size_t pieceSize = std::size_t{1} << 20);
    // Closes, and waits until its own thread has written what waited; a
    // document still held is never written.
    ~SinkThread();
    SinkThread(const SinkThread&) = delete;
    SinkThread& operator=(const SinkThread&) = delete;

    void put(std::string_view chunk);
    // Hands on what is gathered: nothing more is put. Called again, does nothing.
    void close();

    // Before the first put: until settle(), up to `room` pieces wait unwritten.
    void hold(std::size_t room);
    // From any thread, once: whether what was put, and will be, is written.
    void settle(bool write);
    // Waits for settle() and gives what it said.
    bool settled();

    // Writes what waits, and between writes does `work` a step at a time
    // for as long as it returns true; returns once closed and all is
    // written. `work` may call settle().
    void serve(const std::function<bool()>& work);

private:
    enum class State { Writing, Held, Dropping };

    void handOn();

    const ChunkSink& m_sink;
    std::size_t m_pieceSize;
    std::string m_gathering;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_waiting; // for the sink, oldest first
    std::vector<std::string> m_spare;  // written pieces, whose room is used again
    State m_state = State::Writing;
    std::size_t m_heldRoom = 0;
    bool m_done = false;
    std::jthread m_thread;
};

} // namespace mouthkey
