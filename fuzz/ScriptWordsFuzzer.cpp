// Fuzzes the reader of a dialogue script: any bytes give words a dictionary
// can look up, each placed on the text it came from in reading order, and
// every word, and the bytes themselves, get phones the English model knows.
#include "FuzzCheck.h"

#include "conversion/PhoneMouths.h"
#include "conversion/ScriptWords.h"

#include <algorithm>
#include <cstdint>
#include <string>

using namespace mouthkey;
using mouthkey::fuzz::check;

namespace {

void checkPhones(const std::vector<std::string>& phones) {
    check(!phones.empty(), "a word without phones");
    for (const std::string& phone : phones) {
        check(phone != "SIL" && std::any_of(phoneMouths.begin(), phoneMouths.end(),
                                            [&](const PhoneMouth& m) { return m.phone == phone; }),
              "a phone the model lacks");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<ScriptWord> words = scriptWords(text);
    check(words == scriptWords(text), "the same text read as other words");
    for (std::size_t i = 0; i < words.size(); ++i) {
        const ScriptWord& w = words[i];
        check(!w.word.empty() && w.word.front() != '\'' && w.word.back() != '\'',
              "a word empty or with an outer apostrophe");
        check(std::all_of(w.word.begin(), w.word.end(),
                          [](char c) { return (c >= 'a' && c <= 'z') || c == '\''; }),
              "a word with other than lower-case letters and apostrophes");
        check(w.word.find("''") == std::string::npos, "two apostrophes running");
        check(w.length >= 1 && w.offset <= size && w.length <= size - w.offset,
              "a word placed outside the text");
        check(w.place.line >= 1 && w.place.column >= 1, "a word placed nowhere");
        if (i > 0) {
            const ScriptWord& before = words[i - 1];
            check(before.offset + before.length <= w.offset ||
                      (before.offset == w.offset && before.length == w.length),
                  "words overlapping or out of order");
            check(before.place.line <= w.place.line, "words out of line order");
        }
        checkPhones(letterSounds(w.word));
    }
    // Any bytes as one word; a word is short, so a little text is enough.
    if (size > 0) {
        checkPhones(letterSounds(text.substr(0, 256)));
    }
    return 0;
}
