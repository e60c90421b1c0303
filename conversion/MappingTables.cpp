#include "conversion/MappingTables.h"

namespace mouthkey {

namespace {

constexpr std::size_t keyCount = phonemeKeys.size();
using XColumn = std::array<std::string_view, keyCount>;

// X values per phoneme set, in phonemeKeys order:
//   AI     E      L      FV     MBP    O      U      WQ     etc    rest   TH     CH     D      K
constexpr std::array<XColumn, 5> setX{{
    {"-40", "-30", "-20", "-10", "0", "10", "20", "30", "40", "-50", "-40", "-40", "-40", "-40"},
    {"-20", "-40", "10", "20", "10", "-10", "-30", "0", "-40", "-50", "30", "40", "-40", "-40"},
    {"-30", "-20", "10", "20", "-40", "0", "0", "0", "-10", "-50", "-10", "-10", "-10", "-10"},
    {"-40", "-31", "5", "-13", "14", "23", "41", "41", "-22", "-50", "-32", "-23", "-22", "-4"},
    {"-42", "-35", "-28", "-21", "-14", "-7", "0", "8", "15", "-50", "22", "29", "36", "43"},
}};

// The default table, used for any index outside the five sets; it equals set 0.
constexpr XColumn defaultX{
    "-40", "-30", "-20", "-10", "0", "10", "20", "30", "40", "-50", "-40", "-40", "-40", "-40",
};

} // namespace

MappingTable buildMapping(int setIndex) {
    const XColumn& x = (setIndex >= 0 && setIndex < static_cast<int>(setX.size()))
                           ? setX[static_cast<std::size_t>(setIndex)]
                           : defaultX;
    MappingTable::Values values;
    for (std::size_t i = 0; i < keyCount; ++i) {
        values[i].append("\t").append(x[i]).append("\t4.00668\t0");
    }
    return MappingTable(std::move(values));
}

std::string_view phonemeSetTitle(int setIndex) {
    const bool known = setIndex >= 0 && setIndex < static_cast<int>(phonemeSetTitles.size());
    return phonemeSetTitles[known ? static_cast<std::size_t>(setIndex) : 0];
}

} // namespace mouthkey
