// Phones to mouths: the one table, the classes a viewer tells apart, and the
// take of timed phones.
#include "conversion/PhoneMouths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace {

using namespace mouthkey;

struct PhoneCase {
    const char* phone;
    const char* mouth;
};

class PhoneMouthRow : public testing::TestWithParam<PhoneCase> {};

TEST_P(PhoneMouthRow, showsItsMouth) {
    EXPECT_EQ(mouthForPhone(GetParam().phone), GetParam().mouth);
}

INSTANTIATE_TEST_SUITE_P(Phones, PhoneMouthRow,
                         testing::Values(PhoneCase{"AH", "AI"}, PhoneCase{"AH0", "AI"},
                                         PhoneCase{"IY1", "E"}, PhoneCase{"B", "MBP"},
                                         PhoneCase{"NG", "K"}, PhoneCase{"DH", "TH"},
                                         PhoneCase{"SIL", "rest"}, PhoneCase{"+NSN+", "rest"},
                                         PhoneCase{"", "rest"}, PhoneCase{"XX", "etc"}));

TEST(MouthClasses, tellApartWhatAViewerSees) {
    EXPECT_EQ(mouthClass("MBP"), MouthClass::Closed);
    EXPECT_EQ(mouthClass("A"), MouthClass::Closed); // a letter, read by its chart
    EXPECT_EQ(mouthClass("FV"), MouthClass::LipTeeth);
    EXPECT_EQ(mouthClass("WQ"), MouthClass::Round);
    EXPECT_EQ(mouthClass("TH"), MouthClass::Tongue);
    EXPECT_EQ(mouthClass("K"), MouthClass::OtherConsonant);
    EXPECT_EQ(mouthClass("X"), MouthClass::Rest);
    EXPECT_EQ(mouthClass("sil"), MouthClass::OtherConsonant);
}

// Rest around the speech, one cue a change of mouth, each keyed on the
// frame nearest its start.
TEST(PhoneTake, keysEachChangeOnItsNearestFrame) {
    const std::vector<TimedPhone> phones{
        {"SIL", 0.0, 0.5}, {"B", 0.5, 0.6},  {"AA", 0.6, 0.7},
        {"AH", 0.7, 0.79}, {"B", 0.79, 0.9}, {"SIL", 0.9, 1.2},
    };
    const Take take = phoneTake(phones, 1.5);
    std::string keyed;
    for (const Cue& cue : takeCues(take, 0, 10)) {
        keyed += std::to_string(cue.frame) + " " + cue.name + "/";
    }
    EXPECT_EQ(keyed, "1 rest/6 MBP/7 AI/9 MBP/10 rest/16 rest/");
}

// The README's table is this one.
TEST(PhoneTable, isTheOneTheReadmeShows) {
    std::ifstream file(MOUTHKEY_SAMPLES_DIR "/../README.md");
    std::stringstream readme;
    readme << file.rdbuf();
    const std::string text = readme.str();
    std::map<std::string, std::string> shown;
    const std::regex row(R"(\n\| `(\w+)` \| ([A-Z ]+)(?: silence[^|]*)? \|)");
    for (std::sregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it) {
        std::istringstream phones((*it)[2].str());
        for (std::string phone; phones >> phone;) {
            shown[phone] = (*it)[1].str();
        }
    }
    std::map<std::string, std::string> table;
    for (const PhoneMouth& m : phoneMouths) {
        if (m.phone != "SIL") {
            table[std::string(m.phone)] = std::string(m.mouth);
        }
    }
    EXPECT_EQ(shown, table);
}

} // namespace
