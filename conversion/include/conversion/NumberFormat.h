#pragma once

#include <cstdint>
#include <string>

namespace mouthkey {

// How the words write numbers. The converter keeps these defaults, so its
// messages read the same everywhere; the window passes its locale's.
struct NumberFormat {
    std::string groupSeparator = ","; // may be empty: no grouping
    std::string decimalPoint = ".";

    // 1234567 as "1,234,567".
    std::string whole(std::uint64_t n) const;
};

} // namespace mouthkey
