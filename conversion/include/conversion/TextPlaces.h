#pragma once

#include "conversion/Take.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mouthkey {

// Characters, not bytes, as an editor counts a column: every byte but
// UTF-8's continuation bytes.
std::uint64_t charactersIn(std::string_view text);

// Where byte offsets of a text fall, as line and column: lines counted as the
// checks count them, columns in characters from 1. For readers whose parsers
// give offsets, such as JSON's.
class TextPlaces {
public:
    explicit TextPlaces(std::string_view text);
    CuePlace at(std::size_t offset) const;

private:
    struct Start {
        std::size_t offset;
        std::uint64_t line;
    };
    std::string_view m_text;
    std::vector<Start> m_starts;
};

} // namespace mouthkey
