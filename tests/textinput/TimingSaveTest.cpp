// A take saved in each format Mouthkey writes, each encoding and line end,
// read back as a file is opened.
#include "textinput/TimingSave.h"

#include "TestSupport.h"
#include "textinput/FileBytes.h"
#include "textinput/TextDecoding.h"
#include "textinput/TimingFormats.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace mouthkey;

namespace {

const std::vector<Cue> take{{1, "rest", {}}, {4, "MBP", {}}, {9, "E", {}}, {31, "rest", {}}};

struct EncodingRow {
    const char* what;
    TextEncoding encoding;
};

const std::vector<EncodingRow> encodings{
    {"UTF-8", {TextEncoding::Form::Utf8, false}},
    {"UTF-8 with a mark", {TextEncoding::Form::Utf8, true}},
    {"UTF-16 LE", {TextEncoding::Form::Utf16LE, true}},
    {"UTF-16 BE", {TextEncoding::Form::Utf16BE, true}},
    {"UTF-16 LE without a mark", {TextEncoding::Form::Utf16LE, false}},
    {"UTF-16 BE without a mark", {TextEncoding::Form::Utf16BE, false}},
    {"UTF-32 LE", {TextEncoding::Form::Utf32LE, true}},
};

struct SaveCase {
    const TimingFormat* format;
    EncodingRow encoding;
    bool crlf;
    friend void PrintTo(const SaveCase& c, std::ostream* os) {
        *os << c.format->name << ", " << c.encoding.what << (c.crlf ? ", CR LF" : ", LF");
    }
};

std::vector<SaveCase> saveCases() {
    std::vector<SaveCase> cases;
    for (const TimingFormat* format : writtenFormats()) {
        for (const EncodingRow& encoding : encodings) {
            cases.push_back({format, encoding, false});
            cases.push_back({format, encoding, true});
        }
    }
    return cases;
}

std::vector<std::pair<std::uint64_t, std::string>> framesAndNames(const std::vector<Cue>& cues) {
    std::vector<std::pair<std::uint64_t, std::string>> pairs;
    for (const Cue& cue : cues) {
        pairs.emplace_back(cue.frame, cue.name);
    }
    return pairs;
}

class SavedTake : public testing::TestWithParam<SaveCase> {};

TEST_P(SavedTake, opensAsTheSameTakeAndSavesAgainAsTheSameBytes) {
    const SaveCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path =
        dir.filePath(QStringLiteral("take.") + QString::fromUtf8(c.format->extensions[0].data()));
    TimingTextStyle style;
    style.header = "Take 3, by hand";
    style.crlf = c.crlf;
    style.framesPerSecond = 25;
    ASSERT_EQ(saveTimingFile(path, *c.format, take, style, c.encoding.encoding), std::nullopt);

    // Opened as the window opens a file.
    const FileBytes saved = readFileBytes(path, SourceKinds::RegularFilesOnly);
    ASSERT_FALSE(saved.error);
    const DecodedText decoded = decodeToUtf8(saved.bytes);
    ASSERT_FALSE(decoded.error);
    const TimingFormat* format = detectFormat(decoded.text, path);
    ASSERT_EQ(format, c.format);
    EXPECT_EQ(framesAndNames(takeCues(format->read(decoded.text), 0, 25)), framesAndNames(take));

    // What a save keeps from the opening.
    const TextEncoding encoding = encodingOf(saved.bytes);
    EXPECT_EQ(encoding, c.encoding.encoding);
    TimingTextStyle found = styleOfText(decoded.text);
    EXPECT_EQ(found.crlf, c.crlf);
    if (format->streams) {
        EXPECT_EQ(found.header, style.header);
    }
    found.framesPerSecond = 25;
    ASSERT_EQ(saveTimingFile(path, *format, take, found, encoding), std::nullopt);
    EXPECT_EQ(readFileBytes(path, SourceKinds::RegularFilesOnly).bytes, saved.bytes);
}

INSTANTIATE_TEST_SUITE_P(Formats, SavedTake, testing::ValuesIn(saveCases()));

struct SaveErrorCase {
    const char* what;
    const char* format;
    const char* path; // in the test's folder
    std::string reason;
    friend void PrintTo(const SaveErrorCase& c, std::ostream* os) { *os << c.what; }
};

class SaveError : public testing::TestWithParam<SaveErrorCase> {};

TEST_P(SaveError, leavesTheFileAsItWasAndSaysWhy) {
    const SaveErrorCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString kept = dir.filePath(QStringLiteral("take.xml"));
    ASSERT_TRUE(test::writeFile(kept, "<rhubarbResult/>"));
    const QString path = dir.filePath(QString::fromUtf8(c.path));
    const auto error = saveTimingFile(path, *formatNamed(c.format), take, {}, {});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->describe(QStringLiteral("take")).toStdString(),
              "cannot write 'take': " + c.reason);
    EXPECT_EQ(test::readFile(kept), "<rhubarbResult/>");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SaveError,
    testing::Values(SaveErrorCase{"a format Mouthkey only reads", "xml", "take.xml",
                                  "Mouthkey does not write Rhubarb XML files"},
                    SaveErrorCase{"a folder that is not there", "tsv", "missing/take.tsv",
                                  "No such file or directory"},
                    SaveErrorCase{"a folder in the file's place", "dat", "folder",
                                  "Filename refers to a directory"}));

// A name no guess would read back as UTF-16 again.
TEST(EncodedText, givesUnmarkedUtf16AMarkWhereItWouldNotBeGuessed) {
    const TextEncoding unmarked{TextEncoding::Form::Utf16LE, false};
    EXPECT_EQ(encodedText("1 rest\n", unmarked), QByteArray("1\0 \0r\0e\0s\0t\0\n\0", 14));
    const QByteArray marked = encodedText("1 \xC5\x8B\n", unmarked);
    EXPECT_EQ(encodingOf(marked), (TextEncoding{TextEncoding::Form::Utf16LE, true}));
    EXPECT_EQ(decodeToUtf8(marked).text, "1 \xC5\x8B\n");
}

} // namespace
