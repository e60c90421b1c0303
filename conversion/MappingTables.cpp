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

constexpr std::string_view kelvinSign = "\xE2\x84\xAA";

constexpr int twoChar(char a, char b) {
    return (static_cast<unsigned char>(a) << 8) | static_cast<unsigned char>(b);
}

} // namespace

int MappingTable::keyIndex(std::string_view t) noexcept {
    switch (t.size()) {
    case 1:
        switch (t[0]) {
        case 'E':
            return 1;
        case 'L':
            return 2;
        case 'O':
            return 5;
        case 'U':
            return 6;
        case 'D':
            return 12;
        case 'K':
            return 13;
        default:
            return -1;
        }
    case 2:
        switch (twoChar(t[0], t[1])) {
        case twoChar('A', 'I'):
            return 0;
        case twoChar('F', 'V'):
            return 3;
        case twoChar('W', 'Q'):
            return 7;
        case twoChar('T', 'H'):
            return 10;
        case twoChar('C', 'H'):
            return 11;
        default:
            return -1;
        }
    case 3:
        if (t == "MBP") {
            return 4;
        }
        if (t == "etc") {
            return 8;
        }
        if (t == kelvinSign) {
            return 13;
        }
        return -1;
    case 4:
        return t == "rest" ? 9 : -1;
    default:
        return -1;
    }
}

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

} // namespace mouthkey
