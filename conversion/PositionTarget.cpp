// Position: a strip of drawings slid sideways, as the phoneme set places them.
#include "conversion/DocumentWriter.h"
#include "conversion/MappingTables.h"
#include "conversion/Take.h"

#include "DatLinesTarget.h"
#include "TargetFactories.h"

#include <string>

namespace mouthkey {

namespace {

// Each key as the converter writes its .dat line, so that a name the set
// does not know passes through exactly as it always has. The lines go to the
// converter in batches: one call a line would cost more than the line.
class PositionTarget final : public DatLinesTarget {
public:
    PositionTarget(const TargetChoices& choices, const ChunkSink& sink)
        : m_writer(buildMapping(choices.setIndex, choices.letters), choices.rate, sink) {}

    void head() override { m_lines = datText({}); }
    void key(const TargetKey& key) override {
        // A usual line is put together where it stands and appended once.
        if (key.name.size() <= 40) {
            char line[40 + datLineRoom];
            m_lines.append(line,
                           static_cast<std::size_t>(datLineAt(line, key.frame, key.name) - line));
        } else {
            std::string line(key.name.size() + datLineRoom, '\0');
            line.resize(static_cast<std::size_t>(datLineAt(line.data(), key.frame, key.name) -
                                                 line.data()));
            m_lines.append(line);
        }
        if (m_lines.size() >= batch) {
            m_writer.feed(m_lines);
            m_lines.clear();
        }
    }
    void keyLines(std::string_view lines) override {
        m_writer.feed(m_lines);
        m_lines.clear();
        m_writer.feed(lines);
    }
    void tail() override {
        m_writer.feed(m_lines);
        m_lines.clear();
        m_writer.finish();
    }
    // Counted as the converter reads them: complete after the tail.
    std::uint64_t keyframes() const override { return m_writer.keyframeCount(); }

private:
    static constexpr std::size_t batch = 64 * 1024;

    DocumentWriter m_writer;
    std::string m_lines;
};

} // namespace

std::unique_ptr<DocumentTarget> makePositionTarget(const TargetChoices& choices, std::size_t,
                                                   const ChunkSink& sink) {
    return std::make_unique<PositionTarget>(choices, sink);
}

} // namespace mouthkey
