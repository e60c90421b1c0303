#include "conversion/DatDocument.h"

#include "conversion/DocumentWriter.h"
#include "conversion/MappingTables.h"

#include "DatLines.h"
#include "DatLinesPath.h"
#include "SinkThread.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <thread>
#include <tuple>
#include <utility>

namespace mouthkey {

namespace {

// Below this a second thread costs more than the checks it would take over.
constexpr std::size_t checkAlongsideFrom = 4 << 20;

// Pieces of a document made before its frames are known to rise, at most:
// room for what is made while they are confirmed.
constexpr std::size_t heldPieces = 32;

// The text checked between writes of its document, at a time.
constexpr std::size_t checkStep = std::size_t{1} << 20;

// Runs `f` on leaving a scope, however it is left.
template <class F> struct ScopeExit {
    explicit ScopeExit(F f) : f(std::move(f)) {}
    ~ScopeExit() { f(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    F f;
};

} // namespace

struct DatDocument::Impl {
    Impl(const TargetChoices& choices, ChunkSink sink, bool checks, std::size_t chunkSize,
         bool writing)
        : choices(choices), sink(std::move(sink)), lines(writesDatLines(choices)) {
        if (checks) {
            checker = std::make_unique<TimingChecker>(choices.letters);
        }
        // The text's own lines stream through the converter, chunk by chunk;
        // with nothing to write, they have nothing to find but the checks'.
        if (lines && writing) {
            writer =
                std::make_unique<DocumentWriter>(buildMapping(choices.setIndex, choices.letters),
                                                 choices.rate, this->sink, chunkSize);
        }
    }

    // The text's own lines, checked as they are converted.
    void stream(std::string_view chunk) {
        if (chunk.empty()) {
            return;
        }
        if (checker && writer && chunk.size() >= checkAlongsideFrom) {
            std::jthread checks([&] { checker->feed(chunk); });
            writer->feed(chunk);
            return;
        }
        if (checker) {
            checker->feed(chunk);
        }
        if (writer) {
            writer->feed(chunk);
        }
    }

    DatDocumentResult finishStreamed() {
        DatDocumentResult result;
        if (writer) {
            writer->finish();
            result.keyframes = writer->keyframeCount();
        }
        if (checker) {
            result.report = checker->finish();
        }
        return result;
    }

    // Any other choice reads the whole text's cues, checked alongside.
    DatDocumentResult finishFromCues() {
        const std::string_view whole = gathered.empty() ? text : std::string_view(gathered);
        const bool large = whole.size() >= checkAlongsideFrom;
        TimingReport checked;
        {
            // Made from the cues, a large document costs more to make than to
            // write, so it is written while it is made.
            std::optional<SinkThread> writing;
            // Cleaned up, it is made as though its frames rise, which is
            // confirmed alongside while what is made waits unwritten. Its
            // making costs more than the checks and the writes together, so
            // the thread that checks it writes it too, between steps.
            const bool confirming = sink && large && choices.cleanUp.any();
            if (confirming) {
                writing.emplace(sink, SinkThread::Writer::Served);
                writing->hold(heldPieces);
            } else if (sink && large) {
                writing.emplace(sink);
            }
            // Frames that fall are put in order first, and written anew.
            std::optional<SinkThread> rewriting;
            std::jthread alongside;
            if (confirming) {
                alongside = std::jthread([&] {
                    bool confirmed = false;
                    std::size_t at = 0;
                    writing->serve([&] {
                        if (!confirmed) {
                            writing->settle(!datlines::endsLinesOtherwise(whole) &&
                                            datlines::framesRise(whole));
                            confirmed = true;
                        } else if (checker && at < whole.size()) {
                            const std::size_t step = std::min(checkStep, whole.size() - at);
                            checker->feed(whole.substr(at, step));
                            at += step;
                            if (at == whole.size()) {
                                checked = checker->finish();
                            }
                        } else {
                            return false;
                        }
                        return true;
                    });
                });
            } else if (checker && large) {
                alongside = std::jthread([&] {
                    checker->feed(whole);
                    checked = checker->finish();
                });
            } else if (checker) {
                checker->feed(whole);
                checked = checker->finish();
            }
            // However this is left, a serving thread is let go before it is joined.
            const ScopeExit letGo([&writing] {
                if (writing) {
                    writing->close();
                }
            });
            const auto write = [&](SinkThread* into, TargetWriter::DatOrder order) {
                TargetWriter writer(
                    choices, into ? ChunkSink([into](std::string_view chunk) { into->put(chunk); })
                             : sink ? sink
                                    : ChunkSink([](std::string_view) {}));
                LineSample others;
                writer.feedDat(whole, others, order);
                return std::pair(writer.finish(), others);
            };
            auto [written, others] =
                write(writing ? &*writing : nullptr, confirming ? TargetWriter::DatOrder::Rising
                                                                : TargetWriter::DatOrder::Unknown);
            if (confirming && !writing->settled()) {
                rewriting.emplace(sink);
                std::tie(written, others) = write(&*rewriting, TargetWriter::DatOrder::Unknown);
            }
            if (writing) {
                writing->close();
            }
            if (alongside.joinable()) {
                alongside.join();
            }
            rewriting.reset();
            writing.reset();
            if (others.count > 0) {
                leftOut.push_back(linesLeftOut(others));
            }
            leftOut.insert(leftOut.end(), std::make_move_iterator(written.findings.begin()),
                           std::make_move_iterator(written.findings.end()));
            keyframes = written.keyframes;
            holdSteps = written.holdSteps;
            cleaned = written.cleaned;
        }
        DatDocumentResult result;
        result.report = std::move(checked);
        result.report.findings =
            targetFindings(std::move(result.report.findings), std::move(leftOut), choices);
        result.keyframes = keyframes;
        result.holdSteps = holdSteps;
        result.cleaned = cleaned;
        return result;
    }

    TargetChoices choices;
    ChunkSink sink; // empty: only the findings
    bool lines;
    std::unique_ptr<TimingChecker> checker;
    std::unique_ptr<DocumentWriter> writer;
    // The text gathered for its cues, or the one lasting chunk that is all of it.
    std::string gathered;
    std::string_view text;
    std::vector<Finding> leftOut;
    std::uint64_t keyframes = 0;
    std::uint64_t holdSteps = 0;
    CleanUpEffects cleaned;
};

DatDocument::DatDocument(const TargetChoices& choices, ChunkSink sink, bool checks,
                         std::size_t chunkSize)
    : m_impl(std::make_unique<Impl>(choices, std::move(sink), checks, chunkSize, true)) {}

DatDocument::DatDocument(const TargetChoices& choices)
    : m_impl(std::make_unique<Impl>(choices, ChunkSink(), true,
                                    DataLineConverter::defaultBufferSize, false)) {}

DatDocument::~DatDocument() = default;

void DatDocument::feed(std::string_view chunk) {
    Impl& impl = *m_impl;
    if (impl.lines) {
        impl.stream(chunk);
        return;
    }
    impl.gathered.append(impl.text).append(chunk);
    impl.text = {};
}

void DatDocument::feedLasting(std::string_view chunk) {
    Impl& impl = *m_impl;
    if (!impl.lines && impl.gathered.empty() && impl.text.empty()) {
        impl.text = chunk;
        return;
    }
    feed(chunk);
}

DatDocumentResult DatDocument::finish() {
    return m_impl->lines ? m_impl->finishStreamed() : m_impl->finishFromCues();
}

std::optional<std::string> datKeyLines(std::string_view datText, const TargetChoices& choices) {
    if (!writesDatLines(choices)) {
        return std::nullopt;
    }
    return convertDataLines(datText, buildMapping(choices.setIndex, choices.letters));
}

} // namespace mouthkey
