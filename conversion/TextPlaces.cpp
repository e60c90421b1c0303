#include "conversion/TextPlaces.h"

#include "conversion/TimingReader.h"

#include <algorithm>

namespace mouthkey {

std::uint64_t charactersIn(std::string_view text) {
    return static_cast<std::uint64_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

TextPlaces::TextPlaces(std::string_view text) : m_text(text) {
    const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
    TimingReader reader([&](const TimingLine& line) {
        const auto at = reinterpret_cast<std::uintptr_t>(line.text.data());
        // The last line, without a separator, may come from the reader's own copy.
        const std::size_t offset =
            at >= begin && at - begin <= text.size() ? at - begin : text.size() - line.text.size();
        m_starts.push_back({offset, line.number});
    });
    reader.feed(text);
    reader.finish();
}

CuePlace TextPlaces::at(std::size_t offset) const {
    offset = std::min(offset, m_text.size());
    const auto after =
        std::upper_bound(m_starts.begin(), m_starts.end(), offset,
                         [](std::size_t o, const Start& start) { return o < start.offset; });
    const Start start = after == m_starts.begin() ? Start{0, 1} : *(after - 1);
    const std::string_view before = m_text.substr(start.offset, offset - start.offset);
    return {start.line, 1 + charactersIn(before)};
}

} // namespace mouthkey
