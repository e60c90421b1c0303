#pragma once

#include <cstddef>

namespace mouthkey {

// The row a pop-up index selects in a list of choices. Any index outside the
// list (-1 when nothing is selected) selects the first row: the default for
// phoneme sets and frame rates alike.
constexpr std::size_t choiceRow(int index, std::size_t rows) noexcept {
    return index >= 0 && static_cast<std::size_t>(index) < rows ? static_cast<std::size_t>(index)
                                                                : 0;
}

} // namespace mouthkey
