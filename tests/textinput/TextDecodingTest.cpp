#include "textinput/TextDecoding.h"

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

TEST(Decode, errorsDescribeTheirSource) {
    EXPECT_EQ(IoError({IoError::Kind::Undecodable, "UTF-8"}).describe("a.dat"),
              QStringLiteral("'a.dat' is not valid UTF-8 text"));
    EXPECT_EQ(IoError({IoError::Kind::Unreadable, "No such file or directory"}).describe("a.dat"),
              QStringLiteral("cannot read 'a.dat': No such file or directory"));
}

} // namespace
