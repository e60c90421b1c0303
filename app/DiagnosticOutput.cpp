#include "app/DiagnosticOutput.h"

#include <ostream>

namespace mouthkey {

DiagnosticLine DiagnosticLine::copyOf(std::string_view text) {
    const auto size = static_cast<qsizetype>(text.size());
    return {QByteArray(text.data(), size), 0, size};
}

void StreamOutput::writeLines(std::vector<DiagnosticLine> lines) {
    for (const DiagnosticLine& line : lines) {
        const std::string_view text = line.text();
        m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
        m_out.put('\n');
        m_out.flush();
    }
}

} // namespace mouthkey
