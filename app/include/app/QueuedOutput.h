#pragma once

#include "app/DiagnosticOutput.h"

#include <memory>
#include <thread>

namespace mouthkey {

// Writes diagnostic lines to a file descriptor from a thread of its own, so
// that a slow, stalled or closed reader never holds up the window.
//
// Lines wait in a queue of bounded size. A batch that arrives while the
// queue is full is dropped whole; once the queue has drained, one line says
// how many lines were lost. A line that cannot be written is dropped too.
class QueuedOutput final : public DiagnosticOutput {
public:
    static constexpr qsizetype defaultCapacity = 4 * 1024 * 1024;

    explicit QueuedOutput(int fd, qsizetype capacity = defaultCapacity);
    // Lets the reader take what is still queued for as long as it keeps
    // taking it, then leaves the rest.
    ~QueuedOutput() override;
    QueuedOutput(const QueuedOutput&) = delete;
    QueuedOutput& operator=(const QueuedOutput&) = delete;

    void writeLines(std::vector<DiagnosticLine> lines) override;

    // The line that stands in for `count` dropped lines.
    static QByteArray droppedNote(qint64 count);

    struct State;

private:
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace mouthkey
