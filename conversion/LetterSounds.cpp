// Pronunciation by rule, for script words the dictionary lacks: mostly names
// and coinages. Aimed at a likely pronunciation, not a right one; the timing
// only needs phones of about the right length and mouth.
#include "conversion/ScriptWords.h"

#include <array>

namespace mouthkey {

namespace {

bool isVowel(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y';
}

bool isConsonant(char c) {
    return c >= 'a' && c <= 'z' && !isVowel(c);
}

enum class Where {
    Anywhere,
    AtStart,
    AtEnd,
    NotBeforeVowelOrR, // r-coloured vowels: "car", not "carry" or "caret"
    BeforeFrontVowel,  // soft c and g: "city", "gem"
    AfterConsonantAtEnd,
};

struct Rule {
    std::string_view letters;
    std::string_view phones;
    Where where = Where::Anywhere;
};

// Tried in order at each letter; the first that fits is taken.
// clang-format off
constexpr std::array rules{
    Rule{"tion", "SH AH N"}, Rule{"sion", "ZH AH N"}, Rule{"cian", "SH AH N"},
    Rule{"ture", "CH ER"}, Rule{"sure", "SH ER"}, Rule{"cious", "SH AH S"},
    Rule{"tious", "SH AH S"}, Rule{"ough", "AO"}, Rule{"augh", "AO"}, Rule{"eigh", "EY"},
    Rule{"igh", "AY"}, Rule{"tch", "CH"}, Rule{"sch", "S K"}, Rule{"all", "AO L"},
    Rule{"alk", "AO K"}, Rule{"ind", "AY N D", Where::AtEnd}, Rule{"ild", "AY L D", Where::AtEnd},
    Rule{"old", "OW L D"}, Rule{"air", "EH R"}, Rule{"are", "EH R", Where::AtEnd},
    Rule{"ear", "IH R", Where::NotBeforeVowelOrR}, Rule{"eer", "IH R"},
    Rule{"ire", "AY ER", Where::AtEnd}, Rule{"ore", "AO R", Where::AtEnd}, Rule{"oor", "AO R"},
    Rule{"our", "AW ER"}, Rule{"ous", "AH S", Where::AtEnd}, Rule{"ful", "F AH L", Where::AtEnd},
    Rule{"kn", "N", Where::AtStart}, Rule{"wr", "R", Where::AtStart},
    Rule{"gn", "N", Where::AtStart}, Rule{"ps", "S", Where::AtStart},
    Rule{"pn", "N", Where::AtStart}, Rule{"mb", "M", Where::AtEnd},
    Rule{"le", "AH L", Where::AfterConsonantAtEnd},
    Rule{"ar", "AA R", Where::NotBeforeVowelOrR}, Rule{"er", "ER", Where::NotBeforeVowelOrR},
    Rule{"ir", "ER", Where::NotBeforeVowelOrR}, Rule{"ur", "ER", Where::NotBeforeVowelOrR},
    Rule{"or", "AO R", Where::NotBeforeVowelOrR}, Rule{"yr", "ER", Where::NotBeforeVowelOrR},
    Rule{"ee", "IY"}, Rule{"ea", "IY"}, Rule{"ai", "EY"}, Rule{"ay", "EY"},
    Rule{"ey", "IY", Where::AtEnd}, Rule{"ey", "EY"}, Rule{"ei", "EY"}, Rule{"oa", "OW"},
    Rule{"oe", "OW", Where::AtEnd}, Rule{"oo", "UW"}, Rule{"ou", "AW"},
    Rule{"ow", "OW", Where::AtEnd}, Rule{"ow", "AW"}, Rule{"oi", "OY"}, Rule{"oy", "OY"},
    Rule{"au", "AO"}, Rule{"aw", "AO"}, Rule{"ew", "UW"}, Rule{"ue", "UW"}, Rule{"ui", "UW"},
    Rule{"eu", "Y UW"}, Rule{"ie", "IY"},
    Rule{"ch", "CH"}, Rule{"sh", "SH"}, Rule{"th", "TH"}, Rule{"ph", "F"}, Rule{"wh", "W"},
    Rule{"ck", "K"}, Rule{"ng", "NG"}, Rule{"nk", "NG K"}, Rule{"qu", "K W"}, Rule{"dg", "JH"},
    Rule{"gh", "G", Where::AtStart}, Rule{"gh", ""}, Rule{"cc", "K S", Where::BeforeFrontVowel},
    Rule{"cc", "K"}, Rule{"c", "S", Where::BeforeFrontVowel}, Rule{"c", "K"},
    Rule{"gg", "G"}, Rule{"g", "JH", Where::BeforeFrontVowel}, Rule{"x", "Z", Where::AtStart},
    Rule{"x", "K S"},
};

// Each letter alone, a to z; vowels and y are read in context instead.
constexpr std::array<std::string_view, 26> letterPhones{
    "AE", "B", "K", "D", "EH", "F", "G", "HH", "IH", "JH", "K", "L", "M",
    "N", "AA", "P", "K", "R", "S", "T", "AH", "V", "W", "K S", "IH", "Z",
};

// Each letter's name, for words said letter by letter.
constexpr std::array<std::string_view, 26> letterNames{
    "EY", "B IY", "S IY", "D IY", "IY", "EH F", "JH IY", "EY CH", "AY", "JH EY", "K EY",
    "EH L", "EH M", "EH N", "OW", "P IY", "K Y UW", "AA R", "EH S", "T IY", "Y UW", "V IY",
    "D AH B AH L Y UW", "EH K S", "W AY", "Z IY",
};
// clang-format on

void append(std::vector<std::string>& phones, std::string_view text) {
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        phones.emplace_back(text.substr(0, space));
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    }
}

class Reader {
public:
    explicit Reader(std::string letters) : w(std::move(letters)), n(w.size()) {
        // A leading y is a consonant ("yes").
        firstVowel = n;
        for (std::size_t j = 0; j < n; ++j) {
            if (isVowel(w[j]) && !(w[j] == 'y' && j == 0)) {
                firstVowel = j;
                break;
            }
        }
    }

    std::vector<std::string> read() {
        for (std::size_t i = 0; i < n;) {
            i += step(i);
        }
        return std::move(phones);
    }

private:
    char at(std::size_t i) const { return i < n ? w[i] : '\0'; }

    bool vowelBefore(std::size_t i) const { return firstVowel < i; }

    bool fits(const Rule& rule, std::size_t i) const {
        if (w.compare(i, rule.letters.size(), rule.letters) != 0) {
            return false;
        }
        const std::size_t after = i + rule.letters.size();
        switch (rule.where) {
        case Where::Anywhere:
            return true;
        case Where::AtStart:
            return i == 0;
        case Where::AtEnd:
            return after == n;
        case Where::NotBeforeVowelOrR:
            return !isVowel(at(after)) && at(after) != 'r';
        case Where::BeforeFrontVowel:
            return at(after) == 'e' || at(after) == 'i' || at(after) == 'y';
        case Where::AfterConsonantAtEnd:
            return after == n && i > 0 && isConsonant(w[i - 1]);
        }
        return false;
    }

    // A vowel made long by a silent e after one consonant: "late", "hoped",
    // "notes", and "table" by the same token.
    bool longByFinalE(std::size_t i) const {
        if (!isConsonant(at(i + 1)) || at(i + 1) == 'x' || at(i + 1) == 'w') {
            return false;
        }
        const std::size_t e = i + 2;
        if (at(e) == 'e') {
            return e + 1 == n || (e + 2 == n && (at(e + 1) == 's' || at(e + 1) == 'd'));
        }
        return at(e) == 'l' && at(e + 1) == 'e' && e + 2 == n && at(i + 1) != 'l';
    }

    // A final e, "-ed" or "-es" after an earlier vowel.
    std::size_t ending(std::size_t i) {
        const char before = i > 0 ? w[i - 1] : '\0';
        const bool hiss = before == 's' || before == 'x' || before == 'z' || before == 'c' ||
                          before == 'g' ||
                          (i > 1 && before == 'h' && (w[i - 2] == 's' || w[i - 2] == 'c'));
        const bool voiceless = before == 'p' || before == 'k' || before == 'f' || before == 's' ||
                               before == 'x' || before == 'c' || before == 'h';
        if (i + 1 == n) {
            return 1;
        }
        if (at(i + 1) == 'd') {
            append(phones, before == 't' || before == 'd' ? "IH D" : voiceless ? "T" : "D");
        } else if (hiss) {
            append(phones, "IH Z");
        } else {
            append(phones,
                   before == 'p' || before == 't' || before == 'k' || before == 'f' ? "S" : "Z");
        }
        return 2;
    }

    std::size_t vowel(std::size_t i) {
        const char c = w[i];
        const bool last = i + 1 == n;
        if (c == 'y') {
            if (i == 0 || isVowel(at(i + 1))) {
                append(phones, "Y");
            } else if (last) {
                append(phones, vowelBefore(i) ? "IY" : "AY");
            } else {
                append(phones, longByFinalE(i) ? "AY" : "IH");
            }
            return 1;
        }
        const bool beforeIon = w.compare(i + 1, 4, "tion") == 0 || w.compare(i + 1, 4, "sion") == 0;
        if (longByFinalE(i) || (beforeIon && c != 'i')) { // "nation", "motion"
            append(phones, c == 'a'   ? "EY"
                           : c == 'e' ? "IY"
                           : c == 'i' ? "AY"
                           : c == 'o' ? "OW"
                                      : "UW");
        } else if (last) {
            append(phones, c == 'a' ? "AH" : c == 'o' ? "OW" : c == 'u' ? "UW" : "IY");
        } else {
            append(phones, letterPhones[static_cast<std::size_t>(c - 'a')]);
        }
        return 1;
    }

    std::size_t step(std::size_t i) {
        const char c = w[i];
        const bool finalE = c == 'e' && vowelBefore(i) &&
                            (i + 1 == n || (i + 2 == n && (w[i + 1] == 'd' || w[i + 1] == 's')));
        if (finalE) {
            return ending(i);
        }
        if (c == 'i' && at(i + 1) == 'e' && i + 2 == n && !vowelBefore(i)) {
            append(phones, "AY"); // "pie", "tie"
            return 2;
        }
        for (const Rule& rule : rules) {
            if (fits(rule, i)) {
                append(phones, rule.phones);
                return rule.letters.size();
            }
        }
        if (isVowel(c)) {
            return vowel(i);
        }
        if (c == 'h') {
            if (isVowel(at(i + 1))) {
                append(phones, "HH");
            }
            return 1;
        }
        if (c == 's' && i + 1 == n && i > 0) {
            const char before = w[i - 1];
            const bool voiceless =
                before == 'p' || before == 't' || before == 'k' || before == 'f' || before == 'u';
            append(phones, voiceless ? "S" : "Z");
            return 1;
        }
        append(phones, letterPhones[static_cast<std::size_t>(c - 'a')]);
        // A doubled consonant is said once.
        return at(i + 1) == c ? 2 : 1;
    }

    std::string w;
    std::size_t n;
    std::size_t firstVowel;
    std::vector<std::string> phones;
};

} // namespace

std::vector<std::string> letterSounds(std::string_view word) {
    std::string letters;
    for (const char c : word) {
        if (c >= 'a' && c <= 'z') {
            letters += c;
        } else if (c >= 'A' && c <= 'Z') {
            letters += static_cast<char>(c - 'A' + 'a');
        }
    }
    std::vector<std::string> phones;
    if (letters.empty()) {
        // Nothing to read, but the word is there to be said: one neutral vowel.
        if (!word.empty()) {
            phones.emplace_back("AH");
        }
        return phones;
    }
    bool anyVowel = false;
    for (const char c : letters) {
        anyVowel = anyVowel || isVowel(c);
    }
    if (letters.size() == 1 || !anyVowel) {
        for (const char c : letters) {
            append(phones, letterNames[static_cast<std::size_t>(c - 'a')]);
        }
        return phones;
    }
    phones = Reader(std::move(letters)).read();
    if (phones.empty()) {
        phones.emplace_back("AH");
    }
    return phones;
}

} // namespace mouthkey
