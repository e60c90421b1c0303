#include "cli/BatchConversion.h"

#include "cli/ConvertJob.h"
#include "cli/DocumentOutput.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace mouthkey {

namespace {

bool standardErrorIsTerminal() {
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO) == 1;
#elif defined(Q_OS_WIN)
    return ::_isatty(_fileno(stderr)) != 0;
#else
    return false;
#endif
}

// "converted 120 of 500", rewritten in place with a carriage return. Message
// lines wipe it first and it comes back on the next update.
class ProgressLine {
public:
    explicit ProgressLine(qsizetype total)
        : m_total(total), m_enabled(total > fewInputs && standardErrorIsTerminal()) {}

    void update(qsizetype done) {
        // A terminal redrawn thousands of times a second is slower than the work.
        constexpr qint64 intervalMs = 100;
        if (!m_enabled || done == m_shown ||
            (m_clock.isValid() && !m_clock.hasExpired(intervalMs))) {
            return;
        }
        m_clock.start();
        m_shown = done;
        const QByteArray text =
            '\r' + QStringLiteral("converted %1 of %2").arg(done).arg(m_total).toUtf8();
        m_width = text.size() - 1;
        write(text);
    }

    void clear() {
        if (m_width > 0) {
            write('\r' + QByteArray(m_width, ' ') + '\r');
            m_width = 0;
            m_shown = -1;
            m_clock.invalidate();
        }
    }

private:
    static constexpr qsizetype fewInputs = 5;

    static void write(const QByteArray& bytes) {
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
        std::fflush(stderr);
    }

    qsizetype m_total;
    bool m_enabled;
    qsizetype m_shown = -1;
    qsizetype m_width = 0;
    QElapsedTimer m_clock;
};

// Each document that waits for the shared sync keeps its file open; they
// may take a quarter of the files the process may open.
int unplacedAtMost() {
    constexpr int most = 256;
#ifdef Q_OS_UNIX
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        return static_cast<int>(std::clamp<rlim_t>(limit.rlim_cur / 4, 1, most));
    }
#endif
    return most;
}

FileOutcome batchOutcome(const ConversionResult& result, const ConvertRequest& request) {
    FileOutcome outcome;
    outcome.lines = messageLines(result, request);
    outcome.exit = exitCodeOf(result);
    return outcome;
}

} // namespace

ExitCode convertBatch(const ConvertRequest& choices, const BatchRequest& batch,
                      const QStringList& outputs, const MessagePrinter& print) {
    const qsizetype count = batch.inputs.size();
    // Each job holds one input and its output buffer, so the jobs bound the
    // memory; the outcomes hold only message lines.
    std::vector<std::optional<FileOutcome>> outcomes(static_cast<std::size_t>(count));
    qsizetype finished = 0;
    std::mutex mutex;
    std::condition_variable changed;
    const auto finish = [&](qsizetype i, const ConversionResult& result,
                            const ConvertRequest& request) {
        FileOutcome outcome = batchOutcome(result, request);
        {
            const std::lock_guard lock(mutex);
            outcomes[static_cast<std::size_t>(i)] = std::move(outcome);
            ++finished;
        }
        changed.notify_one();
    };

    // Each file's own sync waits for the disk, and one after another those
    // waits are most of a batch's time. Where it is as safe, one sync of the
    // file system serves many files instead: documents written while a sync
    // runs wait, unnamed, for the next one, which takes in all that came in
    // the meantime, and only then replace their outputs.
    const SharedSync sharedSync(batch.outputDir);
    struct Unplaced {
        qsizetype index;
        ConvertRequest request;
        StagedConversion staged;
    };
    std::vector<Unplaced> unplaced;
    qsizetype staged = 0;
    std::mutex syncMutex;
    std::condition_variable toSync;
    QSemaphore openFiles(unplacedAtMost());
    std::thread syncer;
    if (sharedSync.available()) {
        syncer = std::thread([&] {
            // A file system reports a write error to one sync only, whichever
            // file it hit: after one, every file syncs and answers on its own.
            bool shared = true;
            std::unique_lock lock(syncMutex);
            while (true) {
                toSync.wait(lock, [&] { return !unplaced.empty() || staged == count; });
                if (unplaced.empty()) {
                    return;
                }
                std::vector<Unplaced> due = std::exchange(unplaced, {});
                lock.unlock();
                shared = shared && !sharedSync.sync();
                for (Unplaced& file : due) {
                    ConversionResult& result = file.staged.result;
                    DocumentOutput& output = *file.staged.unplaced;
                    result.error = shared ? std::nullopt : output.syncAlone();
                    if (!result.error) {
                        result.error = output.place();
                    }
                    file.staged.unplaced.reset();
                    openFiles.release();
                    finish(file.index, result, file.request);
                }
                lock.lock();
            }
        });
    }

    QThreadPool pool;
    const int jobs = batch.jobs > 0 ? batch.jobs : QThread::idealThreadCount();
    pool.setMaxThreadCount(static_cast<int>(std::clamp<qsizetype>(count, 1, jobs)));
    for (qsizetype i = 0; i < count; ++i) {
        pool.start([&, i] {
            ConvertRequest request = choices;
            request.input = batch.inputs[i];
            request.output = outputs[i];
            openFiles.acquire();
            StagedConversion conversion =
                stageConversion(request, sharedSync.available() ? &sharedSync : nullptr);
            const bool waits = conversion.unplaced != nullptr;
            if (!waits) {
                openFiles.release();
                finish(i, conversion.result, request);
            }
            {
                const std::lock_guard lock(syncMutex);
                if (waits) {
                    unplaced.push_back({i, std::move(request), std::move(conversion)});
                }
                ++staged;
            }
            toSync.notify_one();
        });
    }

    ProgressLine progress(count);
    // The worst of the files' own: a missing model is a usage error for all.
    ExitCode exit = ExitCode::Success;
    qsizetype next = 0;
    qsizetype seen = 0;
    std::unique_lock lock(mutex);
    while (next < count) {
        changed.wait(lock, [&] { return finished != seen; });
        seen = finished;
        std::vector<FileOutcome> due;
        for (; next < count && outcomes[static_cast<std::size_t>(next)]; ++next) {
            due.push_back(std::move(*outcomes[static_cast<std::size_t>(next)]));
            outcomes[static_cast<std::size_t>(next)].reset();
        }
        lock.unlock();
        for (const FileOutcome& outcome : due) {
            exit = std::max(exit, outcome.exit);
            if (outcome.lines.isEmpty()) {
                continue;
            }
            progress.clear();
            for (const QString& line : outcome.lines) {
                print(line);
            }
        }
        progress.update(seen);
        lock.lock();
    }
    lock.unlock();
    pool.waitForDone();
    if (syncer.joinable()) {
        syncer.join();
    }
    progress.clear();
    return exit;
}

} // namespace mouthkey
