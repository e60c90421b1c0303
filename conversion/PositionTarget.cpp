// Position: a strip of drawings slid sideways, as the phoneme set places them.
#include "conversion/DocumentWriter.h"
#include "conversion/MappingTables.h"
#include "conversion/Take.h"

#include "KeyframeLinesTarget.h"
#include "TargetFactories.h"

#include <functional>
#include <string>

namespace mouthkey {

namespace {

// Each key's line as the converter writes it for the key's .dat line, so
// that a name the set does not know passes through exactly as it always
// has. The lines go to the converter in batches: one call a line would cost
// more than the line.
class PositionTarget final : public KeyframeLinesTarget {
public:
    PositionTarget(const TargetChoices& choices, const ChunkSink& sink)
        : m_writer(buildMapping(choices.setIndex, choices.letters), choices.rate, sink),
          m_values(buildMapping(choices.setIndex, choices.letters)),
          m_batch(m_values, [this](std::string_view lines, std::uint64_t count) {
              m_writer.feedKeyframeLines(lines, count);
          }) {}

    void head() override {}
    void key(const TargetKey& key) override {
        if (!isOneToken(key.name)) {
            keyAsLine(key);
            return;
        }
        m_batch.add(key.frame, key.digits.size() <= 8 ? key.digits : std::string_view(), key.name,
                    key.name.size());
    }
    const PositionValues& values() const override { return m_values; }
    void keyframeLines(std::string_view lines, std::uint64_t count) override {
        m_batch.flush();
        m_writer.feedKeyframeLines(lines, count);
    }
    void tail() override {
        m_batch.flush();
        m_writer.finish();
    }
    // Counted as the converter reads them: complete after the tail.
    std::uint64_t keyframes() const override { return m_writer.keyframeCount(); }

private:
    // A name the converter reads as more than one token, or more than one
    // line, is read so still: its line goes through the converter, after
    // the header it skips.
    MOUTHKEY_COLD void keyAsLine(const TargetKey& key) {
        m_batch.flush();
        std::string line = m_headerFed ? std::string() : datText({});
        m_headerFed = true;
        char frame[24];
        line.append(frame, static_cast<std::size_t>(frameAt(frame, key.frame) - frame));
        line.append(1, ' ').append(key.name).append(1, '\n');
        m_writer.feed(line);
    }

    DocumentWriter m_writer;
    PositionValues m_values;
    KeyframeBatch<std::function<void(std::string_view, std::uint64_t)>> m_batch;
    bool m_headerFed = false;
};

} // namespace

std::unique_ptr<DocumentTarget> makePositionTarget(const TargetChoices& choices, std::size_t,
                                                   const ChunkSink& sink) {
    return std::make_unique<PositionTarget>(choices, sink);
}

} // namespace mouthkey
