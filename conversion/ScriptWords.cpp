#include "conversion/ScriptWords.h"

#include "ScriptNumbers.h"
#include "conversion/TextPlaces.h"

#include <array>
#include <cstdint>
#include <limits>

namespace mouthkey {

namespace {

// Latin-1's letters without their accents, from U+00C0; empty for the two
// signs among them.
// clang-format off
constexpr std::array<std::string_view, 64> latin1Letters{
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "y",
};
// clang-format on

// Latin Extended-A (U+0100 to U+017F), each letter's base, in pairs of
// capital and small mostly.
constexpr std::string_view extendedALetters =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooo"
    "rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(extendedALetters.size() == 128);

struct CodePoint {
    std::uint32_t value = 0;
    std::size_t length = 1; // bytes; an invalid byte is one on its own
};

CodePoint decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return {lead, 1};
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) {
        return {0xFFFD, 1};
    }
    std::uint32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return {0xFFFD, 1};
        }
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    return {value, length};
}

// The letters a character is read as (lower case), or empty if it is none.
std::string_view lettersOf(std::uint32_t c, char& ascii) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        ascii = static_cast<char>(c | 0x20);
        return {&ascii, 1};
    }
    if (c >= 0xC0 && c <= 0xFF) {
        return latin1Letters[c - 0xC0];
    }
    if (c >= 0x100 && c <= 0x17F) {
        return extendedALetters.substr(c - 0x100, 1);
    }
    return {};
}

bool isApostrophe(std::uint32_t c) {
    return c == '\'' || c == 0x2019 || c == 0x02BC;
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text), m_places(text) {}

    std::vector<ScriptWord> words() {
        bool lineStart = true;
        while (m_at < m_text.size()) {
            if (lineStart) {
                skipSpeaker();
                lineStart = false;
            }
            const char c = m_text[m_at];
            if (isLineBreak(c)) {
                lineStart = true;
                ++m_at;
            } else if (c == '[') {
                skipDirection();
            } else if (isDigit(c)) {
                number(m_at, false);
            } else if ((c == '$' || c == '-') && m_at + 1 < m_text.size() &&
                       isDigit(m_text[m_at + 1]) && (c == '$' || startsWord())) {
                number(m_at + 1, c == '$');
            } else if (!word()) {
                m_at += decode(m_text, m_at).length;
            }
        }
        return std::move(m_words);
    }

private:
    void add(std::string word, std::size_t from, std::size_t to) {
        m_words.push_back({std::move(word), from, to - from, m_places.at(from)});
    }

    bool startsWord() const {
        if (m_at == 0) {
            return true;
        }
        const char before = m_text[m_at - 1];
        return isBlank(before) || isLineBreak(before) || before == '(' || before == '"';
    }

    // "BOB:" or "Mary Ann:" opening a line: up to three capitalised names.
    void skipSpeaker() {
        std::size_t i = m_at;
        while (i < m_text.size() && isBlank(m_text[i])) {
            ++i;
        }
        for (int names = 0; names < 3; ++names) {
            if (i >= m_text.size() || !(m_text[i] >= 'A' && m_text[i] <= 'Z')) {
                return;
            }
            const std::size_t start = i;
            while (i < m_text.size() &&
                   (isAsciiLetter(m_text[i]) || isDigit(m_text[i]) || m_text[i] == '.' ||
                    m_text[i] == '\'' || m_text[i] == '-' || m_text[i] == '_' ||
                    static_cast<unsigned char>(m_text[i]) >= 0x80)) {
                ++i;
            }
            if (i == start || i >= m_text.size()) {
                return;
            }
            if (m_text[i] == ':') {
                const bool followed =
                    i + 1 == m_text.size() || isBlank(m_text[i + 1]) || isLineBreak(m_text[i + 1]);
                if (followed) {
                    m_at = i + 1;
                }
                return;
            }
            if (m_text[i] != ' ') {
                return;
            }
            ++i;
        }
    }

    // Up to the closing bracket; a bracket never closed is only a bracket.
    void skipDirection() {
        const std::size_t close = m_text.find(']', m_at + 1);
        m_at = close == std::string_view::npos ? m_at + 1 : close + 1;
    }

    // Letters and inner apostrophes; false if there is no letter here.
    bool word() {
        const std::size_t from = m_at;
        std::string letters;
        std::size_t i = m_at;
        std::size_t end = m_at;
        while (i < m_text.size()) {
            const CodePoint c = decode(m_text, i);
            char ascii = 0;
            const std::string_view read = lettersOf(c.value, ascii);
            if (!read.empty()) {
                letters += read;
                i += c.length;
                end = i;
            } else if (isApostrophe(c.value) && !letters.empty() && letters.back() != '\'' &&
                       i + c.length < m_text.size()) {
                char next = 0;
                if (lettersOf(decode(m_text, i + c.length).value, next).empty()) {
                    break;
                }
                letters += '\'';
                i += c.length;
            } else {
                break;
            }
        }
        if (letters.empty()) {
            return false;
        }
        add(std::move(letters), from, end);
        m_at = end;
        return true;
    }

    std::size_t digitsFrom(std::size_t i) const {
        while (i < m_text.size() && isDigit(m_text[i])) {
            ++i;
        }
        return i;
    }

    // From the first digit at `i`; a sign or "$" before it is at m_at.
    void number(std::size_t i, bool dollars) {
        const std::size_t from = m_at;
        const bool minus = m_text[m_at] == '-';
        std::string digits;
        std::size_t end = digitsFrom(i);
        digits.append(m_text.substr(i, end - i));
        bool grouped = false;
        // "1,000,000": commas before groups of exactly three digits.
        while (end + 4 <= m_text.size() && m_text[end] == ',' && digitsFrom(end + 1) == end + 4) {
            digits.append(m_text.substr(end + 1, 3));
            end += 4;
            grouped = true;
        }
        std::string decimals;
        if (end + 1 < m_text.size() && m_text[end] == '.' && isDigit(m_text[end + 1])) {
            const std::size_t after = digitsFrom(end + 1);
            decimals = m_text.substr(end + 1, after - end - 1);
            end = after;
        }

        std::vector<std::string> words;
        if (minus) {
            words.emplace_back("minus");
        }
        std::vector<std::string> said =
            integerWords(digits, grouped || !decimals.empty() || dollars);
        words.insert(words.end(), said.begin(), said.end());
        if (!decimals.empty()) {
            words.emplace_back("point");
            said = digitWords(decimals);
            words.insert(words.end(), said.begin(), said.end());
        }

        // What follows at once: an ordinal's or a plural's ending, or "%".
        const std::size_t letters = [&] {
            std::size_t j = end;
            while (j < m_text.size() && isAsciiLetter(m_text[j])) {
                ++j;
            }
            return j - end;
        }();
        std::string suffix(m_text.substr(end, letters));
        for (char& c : suffix) {
            c = static_cast<char>(c | 0x20);
        }
        if (decimals.empty() &&
            (suffix == "st" || suffix == "nd" || suffix == "rd" || suffix == "th")) {
            makeOrdinal(words.back());
            end += letters;
        } else if (suffix == "s") {
            makePlural(words.back());
            end += letters;
        } else if (end < m_text.size() && m_text[end] == '%') {
            words.emplace_back("percent");
            ++end;
        }
        if (dollars) {
            words.emplace_back(digits == "1" && decimals.empty() ? "dollar" : "dollars");
        }
        for (std::string& word : words) {
            add(std::move(word), from, end);
        }
        m_at = end;
    }

    static std::vector<std::string> integerWords(const std::string& digits, bool notYear) {
        if (digits.size() > 1 && digits.front() == '0') {
            return digitWords(digits);
        }
        if (digits.size() > std::numeric_limits<unsigned long long>::digits10) {
            return digitWords(digits);
        }
        const unsigned long long value = std::stoull(digits);
        if (!notYear && digits.size() == 4 && value >= 1100 && value < 2100 &&
            value % 1000 >= 100) {
            return yearWords(static_cast<unsigned>(value));
        }
        return numberWords(value);
    }

    std::string_view m_text;
    TextPlaces m_places;
    std::size_t m_at = 0;
    std::vector<ScriptWord> m_words;
};

} // namespace

std::vector<ScriptWord> scriptWords(std::string_view text) {
    return Scanner(text).words();
}

} // namespace mouthkey
