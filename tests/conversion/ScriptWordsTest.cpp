#include "conversion/ScriptWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace mouthkey;

namespace {

std::string joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const std::string& part : parts) {
        all += (all.empty() ? "" : " ") + part;
    }
    return all;
}

std::string wordsOf(std::string_view text) {
    std::vector<std::string> words;
    for (const ScriptWord& w : scriptWords(text)) {
        words.push_back(w.word);
    }
    return joined(words);
}

struct WordsCase {
    const char* name;
    std::string_view text;
    const char* words;
};

class ScriptWordsTest : public testing::TestWithParam<WordsCase> {};

TEST_P(ScriptWordsTest, ReadsWordsAsSpoken) {
    EXPECT_EQ(wordsOf(GetParam().text), GetParam().words);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, ScriptWordsTest, testing::Values(
    WordsCase{"Punctuation", "Well... \"Hello,\" she said -- twice!", "well hello she said twice"},
    WordsCase{"Apostrophes", "Don't say 'no' to the dogs' bone, o'clock", "don't say no to the dogs bone o'clock"},
    WordsCase{"CurlyQuotes", "\xe2\x80\x9cWe\xe2\x80\x99re here\xe2\x80\x9d \xe2\x80\x94 ok\xe2\x80\xa6", "we're here ok"},
    WordsCase{"Hyphens", "a well-known ex-pilot", "a well known ex pilot"},
    WordsCase{"Accents", "Caf\xc3\xa9 na\xc3\xafve \xc5\x81\xc3\xb3" "d\xc5\xba stra\xc3\x9f" "e", "cafe naive lodz strasse"},
    WordsCase{"UnknownWordsKept", "Zorblax met Kwiatkowski", "zorblax met kwiatkowski"},
    WordsCase{"Cardinals", "0 7 13 42 100 101 999 1000000", "zero seven thirteen forty two one hundred one hundred one nine hundred ninety nine one million"},
    WordsCase{"Grouped", "1,000 and 12,345,678", "one thousand and twelve million three hundred forty five thousand six hundred seventy eight"},
    WordsCase{"Years", "1999 1905 1900 2005 2026", "nineteen ninety nine nineteen oh five nineteen hundred two thousand five two thousand twenty six"},
    WordsCase{"Ordinals", "1st 2nd 3rd 4th 12th 21st 100th", "first second third fourth twelfth twenty first one hundredth"},
    WordsCase{"Decimals", "3.14 and 0.5.", "three point one four and zero point five"},
    WordsCase{"PercentAndMoney", "50% of $1 and $20", "fifty percent of one dollar and twenty dollars"},
    WordsCase{"Signs", "-5 degrees, COVID-19", "minus five degrees covid nineteen"},
    WordsCase{"Plural", "the 1990s and 80s", "the nineteen nineties and eighties"},
    WordsCase{"DigitsOneByOne", "007 and 123456789012345678901234", "zero zero seven and one two three four five six seven eight nine zero one two three four five six seven eight nine zero one two three four"},
    WordsCase{"LettersAndDigits", "mp3 R2D2", "mp three r two d two"},
    WordsCase{"Speakers", "BOB: Hi.\r\nMary Ann: Hello: there\nWell I said: no", "hi hello there well i said no"},
    WordsCase{"StageDirections", "Wait [laughs] what? [unclosed", "wait what unclosed"},
    WordsCase{"Nothing", " \n\t--\"\" ... \xff\xfe \xe6\x97\xa5\xe6\x9c\xac", ""}
), [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(ScriptWordsPlaces, NameTheTextEachWordCameFrom) {
    const std::string_view text = "Hi\n  caf\xc3\xa9 42!";
    const std::vector<ScriptWord> words = scriptWords(text);
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0], (ScriptWord{"hi", 0, 2, {1, 1}}));
    EXPECT_EQ(words[1], (ScriptWord{"cafe", 5, 5, {2, 3}}));
    EXPECT_EQ(words[2], (ScriptWord{"forty", 11, 2, {2, 8}}));
    EXPECT_EQ(words[3], (ScriptWord{"two", 11, 2, {2, 8}}));
}

struct SoundsCase {
    const char* name;
    std::string_view word;
    const char* phones;
};

class LetterSoundsTest : public testing::TestWithParam<SoundsCase> {};

TEST_P(LetterSoundsTest, ReadsLettersAsPhones) {
    EXPECT_EQ(joined(letterSounds(GetParam().word)), GetParam().phones);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Words, LetterSoundsTest, testing::Values(
    SoundsCase{"ShortVowels", "bat", "B AE T"},
    SoundsCase{"SilentFinalE", "bake", "B EY K"},
    SoundsCase{"FinalEAfterSuffix", "hoped", "HH OW P T"},
    SoundsCase{"Digraphs", "chaff", "CH AE F"},
    SoundsCase{"ShAndNg", "shing", "SH IH NG"},
    SoundsCase{"ThAndPh", "thaph", "TH AE F"},
    SoundsCase{"CkAndQu", "quack", "K W AE K"},
    SoundsCase{"VowelTeams", "moonbeam", "M UW N B IY M"},
    SoundsCase{"RColoured", "zorblax", "Z AO R B L AE K S"},
    SoundsCase{"SoftC", "cinder", "S IH N D ER"},
    SoundsCase{"SilentStart", "knight", "N AY T"},
    SoundsCase{"Tion", "nation", "N EY SH AH N"},
    SoundsCase{"FinalY", "happy", "HH AE P IY"},
    SoundsCase{"LoneY", "fly", "F L AY"},
    SoundsCase{"EdAfterT", "wanted", "W AE N T IH D"},
    SoundsCase{"EsAfterHiss", "boxes", "B AA K S IH Z"},
    SoundsCase{"FinalS", "dogs", "D AA G Z"},
    SoundsCase{"ConsonantLe", "table", "T EY B AH L"},
    SoundsCase{"Apostrophe", "don't", "D AA N T"},
    SoundsCase{"NoVowelSpelt", "tv", "T IY V IY"},
    SoundsCase{"OneLetter", "x", "EH K S"},
    SoundsCase{"UpperCase", "BAT", "B AE T"},
    SoundsCase{"NoLetters", "\xff\x01'", "AH"},
    SoundsCase{"Empty", "", ""}
), [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Every phone is one the English model knows.
TEST(LetterSoundsPhones, AreTheModelsOwn) {
    const std::vector<std::string> known{"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH",
                                         "EH", "ER", "EY", "F",  "G",  "HH", "IH", "IY", "JH", "K",
                                         "L",  "M",  "N",  "NG", "OW", "OY", "P",  "R",  "S",  "SH",
                                         "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH"};
    std::string word;
    for (int length = 1; length <= 4; ++length) {
        for (int seed = 0; seed < 2000; ++seed) {
            word.clear();
            unsigned state = static_cast<unsigned>(seed * 7919 + length);
            for (int i = 0; i < length; ++i) {
                state = state * 1103515245u + 12345u;
                word += static_cast<char>('a' + (state >> 16) % 26);
            }
            const std::vector<std::string> phones = letterSounds(word);
            ASSERT_FALSE(phones.empty()) << word;
            for (const std::string& phone : phones) {
                ASSERT_NE(std::find(known.begin(), known.end(), phone), known.end())
                    << word << ": " << phone;
            }
        }
    }
}

} // namespace
