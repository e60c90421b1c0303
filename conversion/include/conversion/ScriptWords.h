#pragma once

#include "conversion/Take.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// One spoken word of a dialogue script, as a pronouncing dictionary spells it:
// lower-case ASCII letters and inner apostrophes ("don't"). The place is that
// of the text it came from, so that a finding can point at it; the words a
// number is read as share the number's place.
struct ScriptWord {
    std::string word;
    std::size_t offset = 0; // bytes from the text's start
    std::size_t length = 0; // bytes of the text it came from
    CuePlace place;         // line and column (in characters) of `offset`
    friend bool operator==(const ScriptWord&, const ScriptWord&) = default;
};

// The words of a script's text (UTF-8 prose) in the order they are spoken.
// Punctuation, quotes and dashes separate words, as do hyphens ("well-known"
// is two words) and any byte that is not part of a word. Left out as never
// spoken: a speaker's name opening a line ("BOB:", "Mary Ann:") and stage
// directions in square brackets. Accented Latin letters lose their accents.
// Numbers are read as words: cardinals ("42" is "forty two", "1,000" is "one
// thousand"), four-digit numbers from 1100 to 1999 as years are said ("1999" is
// "nineteen ninety nine", "1905" "nineteen oh five", "1900" "nineteen
// hundred"; but "2005" is "two thousand five"), ordinals ("21st" is "twenty
// first"), decimals digit by digit after "point", "%" as "percent" and a
// leading "$" as "dollars"; a number too long to say is read digit by digit.
std::vector<ScriptWord> scriptWords(std::string_view text);

// A whole number in words, as `scriptWords` reads it outside years.
std::vector<std::string> numberWords(unsigned long long number);

// A word's pronunciation by rule, in the English model's ARPAbet phones (no
// stress marks), for words the dictionary lacks. Never empty for a non-empty
// word, whatever its bytes: letters it cannot read are skipped, and a word
// with no vowel letter ("tv") is spelt out letter by letter.
std::vector<std::string> letterSounds(std::string_view word);

} // namespace mouthkey
