#pragma once

#include "conversion/ChunkSink.h"
#include "conversion/DataLineConversion.h"
#include "conversion/Targets.h"
#include "conversion/TimingCheck.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mouthkey {

struct DatDocumentResult {
    // The checks' report (empty without them), its findings joined by what
    // writing the document found, as targetFindings gives them.
    TimingReport report;
    std::uint64_t keyframes = 0; // key lines written, hold steps included
    std::uint64_t holdSteps = 0;
    CleanUpEffects cleaned; // what the choices' clean-up rules did
};

// A .dat text's document for the chosen target, with the text's checks
// beside it: the text in chunks cut anywhere, the document out to a sink.
// How it is written is the core's to pick; either way the checks of a large
// piece of text run on a second thread while it is written.
class DatDocument {
public:
    // The document goes to `sink`, in chunks of `chunkSize` where the text's
    // own lines are written; with `checks`, the text is checked as well.
    DatDocument(const TargetChoices& choices, ChunkSink sink, bool checks,
                std::size_t chunkSize = DataLineConverter::defaultBufferSize);
    // Only the findings, the checks' and writing's: no document.
    explicit DatDocument(const TargetChoices& choices);
    ~DatDocument();
    DatDocument(const DatDocument&) = delete;
    DatDocument& operator=(const DatDocument&) = delete;

    // The text's next chunk, valid only during the call.
    void feed(std::string_view chunk);
    // The same for a chunk that stays valid until finish(): one that is the
    // whole text is read where it is, never copied.
    void feedLasting(std::string_view chunk);
    // Writes the rest and the tail; call it once, at the end.
    DatDocumentResult finish();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The key lines of a .dat text's document when they are the text's own
// lines, each converted as the converter always has, for a caller that
// shows the document's pieces; nothing when it is written from the cues.
std::optional<std::string> datKeyLines(std::string_view datText, const TargetChoices& choices);

} // namespace mouthkey
