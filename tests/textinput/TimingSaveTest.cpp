// A take saved in each format Mouthkey writes, each encoding and line end,
// opened again as a file is opened.
#include "textinput/TimingSave.h"

#include "TestSupport.h"
#include "textinput/FileBytes.h"
#include "textinput/TextDecoding.h"
#include "textinput/TimingFormats.h"
#include "textinput/Utf8Text.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace mouthkey;

namespace {

using Form = TextEncoding::Form;
// The last name is no Latin-1 character: unmarked UTF-16 of it needs its mark.
const std::vector<Cue> take{{1, "rest", {}}, {4, "MBP", {}}, {9, "E", {}}, {31, "\xC5\x8B", {}}};
const std::vector<Cue> latin{take.begin(), take.end() - 1};

using SaveCase = std::tuple<std::size_t, TextEncoding, bool>; // format, encoding, CR LF

class SavedTake : public testing::TestWithParam<SaveCase> {};

TEST_P(SavedTake, opensAsTheSameTakeAndSavesAgainAsTheSameBytes) {
    const auto [index, encoding, crlf] = GetParam();
    const TimingFormat& format = *writtenFormats()[index];
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("take.") + toQString(format.extensions[0]));
    for (const std::vector<Cue>* cues : {&latin, &take}) {
        const TimingTextStyle style{"Take 3, by hand", crlf, 25};
        ASSERT_EQ(saveTimingFile(path, format, *cues, style, encoding), std::nullopt);
        const QByteArray saved = readFileBytes(path, SourceKinds::RegularFilesOnly).bytes;
        const DecodedText decoded = decodeToUtf8(saved);
        ASSERT_EQ(detectFormat(decoded.text, path), &format);
        std::vector<Cue> opened = takeCues(format.read(decoded.text), 0, 25);
        for (Cue& cue : opened) {
            cue.place = {};
        }
        EXPECT_EQ(opened, *cues);
        const bool marked =
            encoding.byteOrderMark || (cues == &take && encoding.form != Form::Utf8);
        EXPECT_EQ(encodingOf(saved), (TextEncoding{encoding.form, marked}));
        TimingTextStyle found = styleOfText(decoded.text);
        EXPECT_EQ(found.crlf, crlf);
        found.header = format.streams ? found.header : style.header;
        EXPECT_EQ(found.header, style.header);
        found.framesPerSecond = 25;
        ASSERT_EQ(saveTimingFile(path, format, *cues, found, encodingOf(saved)), std::nullopt);
        EXPECT_EQ(readFileBytes(path, SourceKinds::RegularFilesOnly).bytes, saved);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, SavedTake,
                         testing::Combine(testing::Range<std::size_t>(0, writtenFormats().size()),
                                          testing::Values(TextEncoding{Form::Utf8, false},
                                                          TextEncoding{Form::Utf8, true},
                                                          TextEncoding{Form::Utf16LE, false},
                                                          TextEncoding{Form::Utf16BE, false},
                                                          TextEncoding{Form::Utf16LE, true},
                                                          TextEncoding{Form::Utf16BE, true},
                                                          TextEncoding{Form::Utf32LE, true}),
                                          testing::Bool()));

// A save that fails says why, and leaves the file as it was.
TEST(SaveError, isNamedAndLeavesTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("take.xml"));
    ASSERT_TRUE(test::writeFile(path, "<rhubarbResult/>"));
    const auto describe = [&](const char* format, const QString& at) {
        return saveTimingFile(at, *formatNamed(format), latin, {}, {})->describe(u"take"_qs);
    };
    EXPECT_EQ(describe("xml", path),
              "cannot write 'take': Mouthkey does not write Rhubarb XML files");
    EXPECT_EQ(describe("dat", dir.path()), "cannot write 'take': Filename refers to a directory");
    EXPECT_EQ(test::readFile(path), "<rhubarbResult/>");
}

} // namespace
