#include "app/QueuedOutput.h"

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace mouthkey {

struct QueuedOutput::State {
    const int fd;
    const qsizetype capacity;

    std::mutex mutex;
    std::condition_variable wake;    // lines queued, or stopping
    std::condition_variable drained; // the queue is empty and nothing is being written
    std::deque<DiagnosticLine> queue;
    qsizetype pending = 0; // bytes queued or being written, newlines included
    qint64 dropped = 0;    // lines lost since the last note
    bool busy = false;
    bool stopping = false;
    std::atomic<quint64> written{0};

    State(int f, qsizetype c) : fd(f), capacity(c) {}

    bool idle() const { return queue.empty() && !busy; }
    void run();
    bool writeAll(const char* data, qsizetype size);
};

namespace {

qint64 linesIn(const DiagnosticLine& line) {
    const std::string_view text = line.text();
    return 1 + std::count(text.begin(), text.end(), '\n');
}

} // namespace

bool QueuedOutput::State::writeAll(const char* data, qsizetype size) {
    while (size > 0) {
        // Bounded pieces, so that progress shows even on a huge line.
        const auto piece = static_cast<unsigned>(std::min<qsizetype>(size, 1 << 20));
#ifdef Q_OS_WIN
        const auto done = static_cast<qsizetype>(::_write(fd, data, piece));
#else
        const auto done = static_cast<qsizetype>(::write(fd, data, piece));
#endif
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
#ifndef Q_OS_WIN
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // Standard output was handed over non-blocking: wait here instead.
                pollfd ready{fd, POLLOUT, 0};
                ::poll(&ready, 1, -1);
                continue;
            }
#endif
            return false; // a closed pipe, a full disk: the line is lost
        }
        data += done;
        size -= done;
        written += static_cast<quint64>(done);
    }
    return true;
}

void QueuedOutput::State::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return !queue.empty() || stopping; });
        if (queue.empty()) {
            return; // stopping, and everything is written
        }
        DiagnosticLine line = std::move(queue.front());
        queue.pop_front();
        busy = true;
        lock.unlock();

        const std::string_view text = line.text();
        const bool ok =
            writeAll(text.data(), static_cast<qsizetype>(text.size())) && writeAll("\n", 1);

        lock.lock();
        busy = false;
        pending -= line.size + 1;
        if (!ok) {
            dropped += linesIn(line);
        }
        if (queue.empty() && dropped > 0) {
            // The reader has caught up: say what it missed, once.
            const QByteArray note = droppedNote(dropped) + '\n';
            dropped = 0;
            busy = true;
            lock.unlock();
            writeAll(note.constData(), note.size());
            lock.lock();
            busy = false;
        }
        if (idle()) {
            drained.notify_all();
        }
    }
}

QueuedOutput::QueuedOutput(int fd, qsizetype capacity)
    : m_state(std::make_shared<State>(fd, capacity)) {
    m_thread = std::thread([state = m_state] { state->run(); });
}

QueuedOutput::~QueuedOutput() {
    using namespace std::chrono_literals;
    State& state = *m_state;
    std::unique_lock lock(state.mutex);
    state.stopping = true;
    state.wake.notify_all();
    quint64 seen = state.written;
    while (!state.drained.wait_for(lock, 1s, [&state] { return state.idle(); })) {
        if (state.written == seen) {
            break; // nobody has read anything for a second: leave the rest
        }
        seen = state.written;
    }
    const bool done = state.idle();
    lock.unlock();
    if (done) {
        m_thread.join();
    } else {
        // Blocked in a write that may never return; the thread owns its state.
        m_thread.detach();
    }
}

void QueuedOutput::writeLines(std::vector<DiagnosticLine> lines) {
    State& state = *m_state;
    std::lock_guard lock(state.mutex);
    if (state.pending >= state.capacity) {
        for (const DiagnosticLine& line : lines) {
            state.dropped += linesIn(line);
        }
        return;
    }
    if (state.dropped > 0) {
        // Mark the gap where it is, before the lines that follow it.
        state.queue.push_back(DiagnosticLine::copyOf(droppedNote(state.dropped).toStdString()));
        state.pending += state.queue.back().size + 1;
        state.dropped = 0;
    }
    for (DiagnosticLine& line : lines) {
        state.pending += line.size + 1;
        state.queue.push_back(std::move(line));
    }
    state.wake.notify_one();
}

QByteArray QueuedOutput::droppedNote(qint64 count) {
    return QByteArray::number(count) + (count == 1 ? " line" : " lines") +
           " dropped: standard output did not keep up";
}

} // namespace mouthkey
