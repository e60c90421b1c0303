#pragma once

// The parts of reading a number aloud that the script's words share.

#include <string>
#include <string_view>
#include <vector>

namespace mouthkey {

// A year as said: 1999 "nineteen ninety nine", 1905 "nineteen oh five",
// 1900 "nineteen hundred". For 1100 to 9999.
std::vector<std::string> yearWords(unsigned number);

// Each digit on its own.
std::vector<std::string> digitWords(std::string_view digits);

// "four" to "fourth", "twenty" to "twentieth".
void makeOrdinal(std::string& word);

// "ninety" to "nineties", as in "the 1990s".
void makePlural(std::string& word);

} // namespace mouthkey
