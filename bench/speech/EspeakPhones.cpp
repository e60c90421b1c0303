#include "EspeakPhones.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace mouthkey::speecheval {

namespace {

struct Row {
    std::string_view mnemonic;
    std::array<std::string_view, 2> phones; // the second empty for one phone
};

// The mnemonics espeak-ng 1.51 emits for its English voices (en-us, en,
// en-gb-x-rp, en-gb-scotland, en-029 and their variants), collected over the
// evaluation's sentences. Where the voices differ in what a mnemonic sounds
// like, the American reading wins, as the recognizer's model is American.
// clang-format off
constexpr Row rows[] = {
    // Pauses.
    {"_", {"SIL"}}, {"_:", {"SIL"}},
    // Stops; t# is the American flap ("water"), t2 and t[ other t's.
    {"p", {"P"}}, {"b", {"B"}}, {"t", {"T"}}, {"d", {"D"}}, {"k", {"K"}}, {"g", {"G"}},
    {"t#", {"T"}}, {"t2", {"T"}}, {"t[", {"T"}},
    // Affricates and fricatives.
    {"tS", {"CH"}}, {"dZ", {"JH"}},
    {"f", {"F"}}, {"v", {"V"}}, {"T", {"TH"}}, {"D", {"DH"}},
    {"s", {"S"}}, {"z", {"Z"}}, {"S", {"SH"}}, {"Z", {"ZH"}}, {"h", {"HH"}},
    // Nasals, liquids, glides; r- links ("far away"), w# is a Scottish "wh".
    {"m", {"M"}}, {"n", {"N"}}, {"N", {"NG"}},
    {"l", {"L"}}, {"@L", {"AH", "L"}},
    {"r", {"R"}}, {"r-", {"R"}},
    {"w", {"W"}}, {"w#", {"W"}}, {"j", {"Y"}},
    // A hiatus mark between vowels ("the old"): no sound of its own.
    {";", {}},
    // Short vowels.
    {"a", {"AE"}}, {"aa", {"AE"}}, {"E", {"EH"}}, {"I", {"IH"}}, {"I2", {"IH"}},
    {"I#", {"IH"}}, {"0", {"AA"}}, {"V", {"AH"}}, {"U", {"UH"}},
    // Reduced vowels; "3" is American r-coloured schwa ("mother").
    {"@", {"AH"}}, {"@2", {"AH"}}, {"@5", {"AH"}}, {"a#", {"AH"}}, {"3", {"ER"}},
    // Long vowels and diphthongs.
    {"i", {"IY"}}, {"i:", {"IY"}}, {"u:", {"UW"}}, {"A:", {"AA"}}, {"O:", {"AO"}},
    {"O2", {"AO"}}, {"3:", {"ER"}}, {"eI", {"EY"}}, {"aI", {"AY"}}, {"aI2", {"AY"}},
    {"aU", {"AW"}}, {"oU", {"OW"}}, {"OI", {"OY"}},
    // Scottish r-coloured vowels ("bird", "hurt").
    {"IR", {"ER"}}, {"VR", {"ER"}},
    // Vowels before an r, and centring diphthongs.
    {"A@", {"AA", "R"}}, {"e@", {"EH", "R"}}, {"o@", {"AO", "R"}}, {"O@", {"AO", "R"}},
    {"i@", {"IY", "AH"}}, {"i@3", {"IH", "R"}}, {"aI@", {"AY", "AH"}}, {"aI3", {"AY", "ER"}},
    {"aU@", {"AW", "AH"}},
};
// clang-format on

} // namespace

std::optional<std::span<const std::string_view>> arpabetForEspeak(std::string_view mnemonic) {
    const auto row = std::find_if(std::begin(rows), std::end(rows),
                                  [mnemonic](const Row& r) { return r.mnemonic == mnemonic; });
    if (row == std::end(rows)) {
        return std::nullopt;
    }
    const std::size_t count = row->phones[0].empty() ? 0 : row->phones[1].empty() ? 1 : 2;
    return std::span<const std::string_view>(row->phones.data(), count);
}

} // namespace mouthkey::speecheval
