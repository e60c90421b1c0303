#include "conversion/MappingTables.h"

#include "KeySlots.h"

#include <algorithm>

namespace mouthkey {

int MappingTable::keyIndex(std::string_view token) noexcept {
    return keys::slotFieldOf<&keys::KeySlot::index>(token);
}

int MappingTable::entryIndex(std::string_view token) noexcept {
    return keys::slotFieldOf<&keys::KeySlot::entry>(token);
}

MappingTable buildMapping(int setIndex, bool letters) {
    const PhonemeSet& set = phonemeSets[choiceRow(setIndex, phonemeSets.size())];
    MappingTable::Values values;
    for (std::size_t i = 0; i < phonemeKeys.size(); ++i) {
        values[i].append("\t").append(set.x[i]).append("\t4.00668\t0");
    }
    return MappingTable(std::move(values), letters);
}

std::string letterChartText() {
    std::string text;
    for (const LetterShape& shape : letterShapes) {
        text.append(text.empty() ? "" : ", ")
            .append(shape.letter)
            .append(" as ")
            .append(shape.phoneme);
    }
    return text;
}

std::string_view phonemeSetTitle(int setIndex) {
    return phonemeSets[choiceRow(setIndex, phonemeSets.size())].title;
}

std::vector<std::string_view> cueNames(bool letters) {
    std::vector<std::string_view> names;
    if (letters) {
        for (const LetterShape& shape : letterShapes) {
            names.push_back(shape.letter);
        }
    }
    for (const std::string_view key : phonemeKeys) {
        if (std::find(names.begin(), names.end(), key) == names.end()) {
            names.push_back(key);
        }
    }
    return names;
}

} // namespace mouthkey
