// A sound file through the real binary: timed, or refused with a clear error.
#include "ConverterProcess.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>

using namespace mouthkey::test;

namespace {

// Half a second of a tone, as a 16 kHz mono WAV: a sound, but no speech.
QByteArray toneWav() {
    constexpr int rate = 16000;
    QByteArray samples;
    for (int i = 0; i < rate / 2; ++i) {
        const auto v = static_cast<qint16>(8000 * std::sin(2 * M_PI * 440 * i / rate));
        samples.append(reinterpret_cast<const char*>(&v), 2);
    }
    const auto le32 = [](quint32 v) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 4);
    };
    const auto le16 = [](quint16 v) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 2);
    };
    return "RIFF" + le32(36 + static_cast<quint32>(samples.size())) + "WAVEfmt " + le32(16) +
           le16(1) + le16(1) + le32(rate) + le32(rate * 2) + le16(2) + le16(16) + "data" +
           le32(static_cast<quint32>(samples.size())) + samples;
}

struct SoundErrorCase {
    const char* what;
    QString command; // bash, $0 the converter, run in a folder holding tone.wav and take.dat
    int exitCode;
    const char* error;
    friend void PrintTo(const SoundErrorCase& c, std::ostream* os) { *os << c.what; }
};

class SoundError : public testing::TestWithParam<SoundErrorCase> {};

TEST_P(SoundError, namesWhatIsWrongAndWritesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath(u"tone.wav"_qs), toneWav()));
    ASSERT_TRUE(writeFile(dir.filePath(u"take.dat"_qs), "MohoSwitch1\n1 rest\n"));
    const ConverterRun run =
        runShell(QStringLiteral("cd '%1' && ").arg(dir.path()) + GetParam().command);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_EQ(run.out, QByteArray());
    EXPECT_EQ(run.err, QByteArray("mouthkey-convert: ") + GetParam().error + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Sounds, SoundError,
    testing::Values(
        SoundErrorCase{"no speech model", u"MOUTHKEY_SPEECH_MODEL=/nowhere \"$0\" tone.wav"_qs, 2,
                       "the English speech model is not installed (Debian: pocketsphinx-en-us)"},
        SoundErrorCase{"no speech model, in a batch",
                       u"mkdir out && MOUTHKEY_SPEECH_MODEL=/nowhere \"$0\" -d out tone.wav"_qs, 2,
                       "the English speech model is not installed (Debian: pocketsphinx-en-us)"},
        SoundErrorCase{"--from sound of a text", u"\"$0\" --from sound take.dat"_qs, 1,
                       "'take.dat' is not a sound file Mouthkey can read (WAV, FLAC, OGG or MP3)"},
        SoundErrorCase{"--script of no file", u"\"$0\" --script none.txt tone.wav"_qs, 1,
                       "no script: cannot read 'none.txt': No such file or directory"},
        SoundErrorCase{"the document onto the script beside",
                       u"echo 'Hello there.' > tone.txt && \"$0\" tone.wav -o tone.txt"_qs, 1,
                       "cannot write 'tone.txt': it is the script the sound is timed by"},
        SoundErrorCase{"a sound on standard input", u"\"$0\" --from sound < tone.wav"_qs, 1,
                       "cannot time standard input: a sound is timed from a file"},
        SoundErrorCase{"a sound on standard input, told by its bytes", u"\"$0\" < tone.wav"_qs, 1,
                       "cannot time standard input: a sound is timed from a file"}));

struct ScriptNoteCase {
    const char* what;
    QByteArray script;
    const char* note;
    friend void PrintTo(const ScriptNoteCase& c, std::ostream* os) { *os << c.what; }
};

class ScriptNote : public testing::TestWithParam<ScriptNoteCase> {};

// A script that cannot help is said to be so, and the sound is timed still.
TEST_P(ScriptNote, saysWhatTheScriptLacks) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath(u"tone.wav"_qs), toneWav()));
    ASSERT_TRUE(writeFile(dir.filePath(u"script.txt"_qs), GetParam().script));
    const ConverterRun run = runShell(
        QStringLiteral("cd '%1' && " MOUTHKEY_SPEECH_LSAN " \"$0\" --script script.txt tone.wav")
            .arg(dir.path()));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().note)) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Adobe After Effects 8.0 Keyframe Data"));
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptNote,
    testing::Values(ScriptNoteCase{"empty", "", "holds no English words"},
                    ScriptNoteCase{"in another script", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\n",
                                   "holds no English words"},
                    ScriptNoteCase{"in another language", "Wie geht es dir heute, mein Freund?\n",
                                   "most of the script's words are not English ones"}));

// Spoken words come out as mouths between rests, held two frames at least,
// and --min-hold 1 keeps what was heard.
TEST(SoundTake, isTimedAndHeldTwoFramesAMouth) {
    const QString espeak = QStandardPaths::findExecutable(u"espeak-ng"_qs);
    if (espeak.isEmpty()) {
        GTEST_SKIP() << "espeak-ng is not installed (scripts/install-deps.sh test)";
    }
    QTemporaryDir dir;
    const QString wav = dir.filePath(u"bob.wav"_qs);
    ASSERT_EQ(QProcess::execute(espeak, {u"-w"_qs, wav, u"Bob may move"_qs}), 0);
    const QString timed = QStringLiteral(MOUTHKEY_SPEECH_LSAN " \"$0\" \"$@\"");
    const ConverterRun held = runShell(timed, {u"--target"_qs, u"dat"_qs, wav});
    ASSERT_EQ(held.exitCode, 0) << held.err.toStdString();
    const QList<QByteArray> lines = held.out.trimmed().split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines.first(), "MohoSwitch1");
    EXPECT_EQ(lines[1], "1 rest");
    EXPECT_TRUE(lines.last().endsWith(" rest"));
    for (qsizetype i = 2; i + 1 < lines.size(); ++i) {
        EXPECT_GE(lines[i].split(' ')[0].toInt() - lines[i - 1].split(' ')[0].toInt(), 2)
            << lines[i - 1].toStdString() << " / " << lines[i].toStdString();
    }
    const ConverterRun check = runShell(timed, {u"--check"_qs, u"--min-hold"_qs, u"1"_qs, wav});
    EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
    EXPECT_TRUE(check.out.contains("read as sound, timed without a script"))
        << check.out.toStdString();
}

} // namespace
