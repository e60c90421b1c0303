#include "conversion/MappingTables.h"

namespace mouthkey {

MappingTable buildMapping(int setIndex) {
    const PhonemeSet& set = phonemeSets[choiceRow(setIndex, phonemeSets.size())];
    MappingTable::Values values;
    for (std::size_t i = 0; i < phonemeKeys.size(); ++i) {
        values[i].append("\t").append(set.x[i]).append("\t4.00668\t0");
    }
    return MappingTable(std::move(values));
}

std::string_view phonemeSetTitle(int setIndex) {
    return phonemeSets[choiceRow(setIndex, phonemeSets.size())].title;
}

} // namespace mouthkey
