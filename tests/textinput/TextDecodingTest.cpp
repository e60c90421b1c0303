#include "textinput/TextDecoding.h"

#include "TestSupport.h"
#include "conversion/TimingCheck.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

#include <string>

using namespace mouthkey;
using namespace std::string_literals;

namespace {

QByteArray encode(QStringConverter::Encoding encoding, const QString& text, bool bom = true) {
    QStringEncoder encoder(encoding, bom ? QStringConverter::Flag::WriteBom
                                         : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

const QString sample = QString::fromUtf8("MohoSwitch1\n1 rest\n2 \u212A \u00e9\U0001F600\n");
const std::string sampleUtf8 = sample.toStdString();

struct DecodeCase {
    const char* what;
    QByteArray raw;
    std::string text;  // expected on success
    const char* error; // expected encoding named in the error, or nullptr
    EncodingGuess guess = EncodingGuess::None;
    friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.what; }
};

class Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, decodesOrRejects) {
    const auto& c = GetParam();
    const DecodedText decoded = decodeToUtf8(c.raw);
    if (c.error) {
        ASSERT_TRUE(decoded.error.has_value());
        EXPECT_EQ(decoded.error->kind, IoError::Kind::Undecodable);
        EXPECT_EQ(decoded.error->reason.toStdString(), c.error);
        EXPECT_TRUE(decoded.text.empty()) << "nothing may be handed out from a bad file";
    } else {
        ASSERT_FALSE(decoded.error.has_value()) << decoded.error->reason.toStdString();
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.guess, c.guess);
    }
}

QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, Decode,
    testing::Values(
        DecodeCase{"UTF-8", bytes(sampleUtf8), sampleUtf8, nullptr},
        DecodeCase{"UTF-8 with BOM", bytes("\xEF\xBB\xBF" + sampleUtf8), sampleUtf8, nullptr},
        DecodeCase{"UTF-16LE with BOM", encode(QStringConverter::Utf16LE, sample), sampleUtf8,
                   nullptr},
        DecodeCase{"UTF-16BE with BOM", encode(QStringConverter::Utf16BE, sample), sampleUtf8,
                   nullptr},
        DecodeCase{"UTF-32LE with BOM", encode(QStringConverter::Utf32LE, sample), sampleUtf8,
                   nullptr},
        DecodeCase{"UTF-32BE with BOM", encode(QStringConverter::Utf32BE, sample), sampleUtf8,
                   nullptr},
        DecodeCase{"NUL is valid UTF-8", bytes("h\n1\0 AI"s), "h\n1\0 AI"s, nullptr},
        DecodeCase{"UTF-16LE without BOM, one character, not UTF-8", bytes("\xE9\0"s), "\u00e9",
                   nullptr, EncodingGuess::Utf16LE},
        DecodeCase{"UTF-16BE without BOM, one character", bytes("\0h"s), "h", nullptr,
                   EncodingGuess::Utf16BE},
        DecodeCase{"UTF-16 without BOM beyond Latin-1 is not guessed", bytes("h\0\n\0\xAC "s), "",
                   "UTF-8"},
        DecodeCase{"NUL every other byte only at the start", bytes("h\0\n\0001 AI"s),
                   "h\0\n\0001 AI"s, nullptr},
        DecodeCase{"UTF-32 without BOM stays UTF-8", bytes("h\0\0\0\n\0\0\0"s), "h\0\0\0\n\0\0\0"s,
                   nullptr},
        DecodeCase{"NULs only", bytes("\0\0"s), "\0\0"s, nullptr},
        DecodeCase{"UTF-16 without BOM, odd length", bytes("h\0\n"s), "h\0\n"s, nullptr},
        DecodeCase{"empty", QByteArray(), "", nullptr},
        DecodeCase{"UTF-8 BOM alone", bytes("\xEF\xBB\xBF"), "", nullptr},
        DecodeCase{"UTF-16 BOM alone", bytes("\xFF\xFE"), "", nullptr},
        DecodeCase{"Latin-1 byte", bytes("h\n1 caf\xE9"), "", "UTF-8"},
        DecodeCase{"overlong UTF-8", bytes("h\n\xC0\x80"), "", "UTF-8"},
        DecodeCase{"UTF-8 surrogate", bytes("h\n\xED\xA0\x80"), "", "UTF-8"},
        DecodeCase{"truncated UTF-8 at the end", bytes("h\n1 \xE2\x84"), "", "UTF-8"},
        DecodeCase{"invalid after a BOM", bytes("\xEF\xBB\xBFh\n\xFF"), "", "UTF-8"},
        DecodeCase{"UTF-16 odd length", encode(QStringConverter::Utf16LE, sample) + 'x', "",
                   "UTF-16"},
        DecodeCase{"UTF-16 lone high surrogate", bytes("\xFF\xFEh\0\x00\xD8"s), "", "UTF-16"},
        DecodeCase{"UTF-16 lone low surrogate", bytes("\xFE\xFF\xDC\x00\x00h"s), "", "UTF-16"},
        DecodeCase{"UTF-16 ends inside a pair", bytes("\xFF\xFEh\0=\xD8"s), "", "UTF-16"},
        DecodeCase{"UTF-32 beyond U+10FFFF", bytes("\xFF\xFE\0\0h\0\0\0\0\0\x11\0"s), "", "UTF-32"},
        DecodeCase{"UTF-32 surrogate pair as two units",
                   bytes("\xFF\xFE\0\0h\0\0\0\0\xD8\0\0\0\xDC\0\0"s), "", "UTF-32"},
        DecodeCase{"UTF-32BE lone surrogate", bytes("\0\0\xFE\xFF\0\0\xDF\xFF"s), "", "UTF-32"},
        DecodeCase{"UTF-32 truncated", bytes("\xFF\xFE\0\0h\0\0"s), "", "UTF-32"}));

TEST(Decode, surrogatePairAcrossTheDecoderChunkBoundaryStaysWhole) {
    // The decoder works in 1 MiB chunks; put a pair right across the first boundary.
    QString text(512 * 1024 - 2, QLatin1Char('a'));
    text += QString::fromUtf8("\U0001F600") + QStringLiteral("tail");
    const QByteArray raw = encode(QStringConverter::Utf16LE, text);
    const DecodedText decoded = decodeToUtf8(raw);
    ASSERT_FALSE(decoded.error.has_value());
    EXPECT_EQ(decoded.text, text.toStdString());
}

TEST(Decode, sinkIsNotCalledForAFileThatGoesBadLate) {
    QByteArray raw = encode(QStringConverter::Utf16LE, QString(3 << 20, QLatin1Char('a')));
    raw += QByteArray("\x00\xDC", 2); // a lone low surrogate after three chunks
    int calls = 0;
    const auto error = decodeToUtf8Chunks(raw, [&](std::string_view) { ++calls; });
    EXPECT_TRUE(error.has_value());
    EXPECT_EQ(calls, 0);
}

// Had they been read as UTF-8, the little-endian file would count one keyframe
// more than the big-endian one: its last byte, the NUL after the last LF, would
// be a line of its own.
TEST(Decode, utf16WithoutAMarkGivesTheKeyframesOfTheUtf8File) {
    const QByteArray utf8 = test::readSample("one-minute-dialogue-24fps.dat");
    const QString text = QString::fromUtf8(utf8);
    const std::uint64_t keyframes = checkTimingText(utf8.toStdString()).summary.keyframes;
    ASSERT_EQ(keyframes, 310u);
    for (const auto& [encoding, guess] :
         {std::pair{QStringConverter::Utf16LE, EncodingGuess::Utf16LE},
          std::pair{QStringConverter::Utf16BE, EncodingGuess::Utf16BE}}) {
        const DecodedText decoded = decodeToUtf8(encode(encoding, text, false));
        EXPECT_EQ(decoded.guess, guess);
        EXPECT_EQ(decoded.text, utf8.toStdString());
        const TimingReport report = checkTimingText(decoded.text);
        EXPECT_EQ(report.summary.keyframes, keyframes);
        EXPECT_TRUE(report.findings.empty());
    }
    EXPECT_EQ(encodingGuessNotice(EncodingGuess::Utf16LE).toStdString(),
              "read as UTF-16 (little-endian): the file has no byte-order mark");
    EXPECT_EQ(encodingGuessNotice(EncodingGuess::Utf16BE).toStdString(),
              "read as UTF-16 (big-endian): the file has no byte-order mark");
    EXPECT_TRUE(encodingGuessNotice(EncodingGuess::None).isEmpty());

    // With lines added in another encoding the file is not plainly UTF-16:
    // it is read as it is, and the checks say why it will not animate.
    const DecodedText partly =
        decodeToUtf8(encode(QStringConverter::Utf16LE, text, false) + "9999 rest\n");
    EXPECT_EQ(partly.guess, EncodingGuess::None);
    const auto findings = checkTimingText(partly.text).findings;
    ASSERT_FALSE(findings.empty());
    EXPECT_EQ(findings.front().kind, Finding::Kind::NulCharacters);
}

TEST(Decode, errorsDescribeTheirSource) {
    EXPECT_EQ(IoError({IoError::Kind::Undecodable, "UTF-8"}).describe("a.dat"),
              QStringLiteral("'a.dat' is not valid UTF-8 text"));
    EXPECT_EQ(IoError({IoError::Kind::Unreadable, "No such file or directory"}).describe("a.dat"),
              QStringLiteral("cannot read 'a.dat': No such file or directory"));
}

} // namespace
