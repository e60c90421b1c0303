#pragma once

#include <QByteArray>

#include <iosfwd>
#include <string_view>
#include <vector>

namespace mouthkey {

// One diagnostic line, without its newline: a stretch of a shared buffer, so
// that echoing a large document costs no copy of it.
struct DiagnosticLine {
    QByteArray buffer;
    qsizetype offset = 0;
    qsizetype size = 0;

    static DiagnosticLine copyOf(std::string_view text);
    std::string_view text() const { return {buffer.constData() + offset, std::size_t(size)}; }
};

// Where the window's diagnostic lines go. A batch is the output of one step
// of an action, and is written whole or not at all.
class DiagnosticOutput {
public:
    virtual ~DiagnosticOutput() = default;
    virtual void writeLines(std::vector<DiagnosticLine> lines) = 0;
};

// Writes straight to a stream, each line flushed as it is written.
class StreamOutput final : public DiagnosticOutput {
public:
    explicit StreamOutput(std::ostream& out) : m_out(out) {}
    void writeLines(std::vector<DiagnosticLine> lines) override;

private:
    std::ostream& m_out;
};

} // namespace mouthkey
