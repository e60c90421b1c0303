#include "speech/SoundTiming.h"

#include "Recognizer.h"
#include "ScriptAlignment.h"
#include "Segmentation.h"
#include "SoundTimingDetail.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace mouthkey::speech {
namespace {

constexpr auto progressInterval = std::chrono::milliseconds(50);

// The pieces' phones in time order, each moved by its piece's start, with
// silence wherever no piece speaks and neighbouring silences joined.
std::vector<TimedPhone> stitch(const std::vector<Piece>& pieces,
                               const std::vector<std::vector<TimedPhone>>& heard,
                               double soundSeconds) {
    std::vector<TimedPhone> phones;
    auto add = [&](const std::string& phone, double start, double end) {
        start = std::max(start, phones.empty() ? 0.0 : phones.back().end);
        end = std::min(end, soundSeconds);
        if (end <= start)
            return;
        if (!phones.empty() && phones.back().end < start) {
            if (phones.back().phone == "SIL")
                phones.back().end = start;
            else
                phones.push_back({"SIL", phones.back().end, start});
        }
        if (phones.empty() && start > 0)
            phones.push_back({"SIL", 0, start});
        if (!phones.empty() && phone == "SIL" && phones.back().phone == "SIL")
            phones.back().end = end;
        else
            phones.push_back({phone, start, end});
    };
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        const double offset = static_cast<double>(pieces[p].begin) / soundRate;
        for (const TimedPhone& phone : heard[p])
            add(phone.phone, phone.start + offset, phone.end + offset);
    }
    add("SIL", phones.empty() ? 0 : phones.back().end, soundSeconds);
    return phones;
}

} // namespace

std::string defaultModelDirectory() {
    return "/usr/share/pocketsphinx/model/en-us";
}

SoundTiming timeSoundWith(const Sound& sound, const TimingRequest& request, const ModelFiles& model,
                          const RecognizerSettings& settings) {
    SoundTiming timing;

    const std::vector<Piece> pieces = speechPieces(sound.samples, soundRate);
    std::vector<std::vector<TimedPhone>> heard(pieces.size());
    // The longest pieces first, so that no thread is left with a long one
    // at the end.
    std::vector<std::size_t> order(pieces.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return pieces[a].end - pieces[a].begin > pieces[b].end - pieces[b].begin;
    });
    std::size_t total = 0;
    for (const Piece& piece : pieces)
        total += piece.end - piece.begin;

    unsigned threads = request.threads ? request.threads : std::thread::hardware_concurrency();
    threads = static_cast<unsigned>(
        std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(pieces.size(), 1)));

    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> fed{0};
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    unsigned running = 0;
    std::string failure;

    auto work = [&] {
        std::string problem;
        try {
            std::unique_ptr<Recognizer> recognizer = Recognizer::create(model, settings);
            if (!recognizer)
                problem = "the English speech model cannot be loaded; reinstall it (Debian: "
                          "pocketsphinx-en-us)";
            while (recognizer && !cancel) {
                const std::size_t n = next.fetch_add(1);
                if (n >= order.size())
                    break;
                const Piece& piece = pieces[order[n]];
                std::optional<std::vector<TimedPhone>> phones = recognizer->phones(
                    std::span(sound.samples).subspan(piece.begin, piece.end - piece.begin), cancel,
                    fed);
                if (phones)
                    heard[order[n]] = std::move(*phones);
            }
        } catch (const std::bad_alloc&) {
            problem = "there is not enough memory to time the sound";
        }
        std::lock_guard lock(mutex);
        if (!problem.empty() && failure.empty()) {
            failure = problem;
            cancel = true;
        }
        --running;
        finished.notify_all();
    };

    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        std::lock_guard lock(mutex);
        ++running;
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            // Fewer threads than asked; those started share the work.
            --running;
            break;
        }
    }
    if (workers.empty()) {
        timing.error = "cannot start a thread to time the sound";
        return timing;
    }

    // Progress is reported here, on the caller's thread, never on a worker's.
    {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, progressInterval, [&] { return running == 0; })) {
            if (request.progress && !cancel) {
                const double done = total ? static_cast<double>(fed) / total : 0.0;
                lock.unlock();
                const bool goOn = request.progress(std::min(done, 1.0));
                lock.lock();
                if (!goOn)
                    cancel = true;
            }
        }
    }
    for (std::thread& worker : workers)
        worker.join();

    if (!failure.empty()) {
        timing.error = failure;
        return timing;
    }
    if (cancel) {
        timing.cancelled = true;
        return timing;
    }
    if (request.progress)
        request.progress(1.0);
    timing.phones = stitch(pieces, heard, sound.seconds());
    return timing;
}

SoundTiming timeSound(const Sound& sound, const TimingRequest& request) {
    try {
        const std::optional<ModelFiles> model = findModel(
            request.modelDirectory.empty() ? defaultModelDirectory() : request.modelDirectory);
        if (!model) {
            SoundTiming timing;
            timing.error = missingModelError;
            return timing;
        }
        if (!request.script.empty())
            return alignScript(sound, request, *model);
        return timeSoundWith(sound, request, *model, RecognizerSettings{});
    } catch (const std::bad_alloc&) {
        SoundTiming timing;
        timing.error = "there is not enough memory to time the sound";
        return timing;
    } catch (const std::exception& e) {
        SoundTiming timing;
        timing.error = std::string("cannot time the sound: ") + e.what();
        return timing;
    }
}

} // namespace mouthkey::speech
