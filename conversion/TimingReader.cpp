#include "conversion/TimingReader.h"

#include "LineReader.h"

namespace mouthkey {

struct TimingReader::Impl {
    scan::LineReader<LineHandler> reader;
};

TimingReader::TimingReader(LineHandler handler)
    : m_impl(std::make_unique<Impl>(Impl{scan::LineReader<LineHandler>(std::move(handler))})) {}

TimingReader::~TimingReader() = default;

void TimingReader::feed(std::string_view chunk) {
    m_impl->reader.feed(chunk);
}

void TimingReader::finish() {
    m_impl->reader.finish();
}

std::uint64_t TimingReader::lineCount() const noexcept {
    return m_impl->reader.lineCount();
}

} // namespace mouthkey
