// Plays a take in the real Mouthkey in a private X server: a folder of
// solid-colour mouths and a silent WAV beside it, Space pressed as a person
// would, and the screen sampled while it plays. Each colour seen must be the
// mouth of the cue in force then, within two frames. Xvfb has no sound
// device, so this is the silent clock; with one, the WAV's own.
#include "EndToEndSupport.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <optional>

using namespace e2e;

namespace {

constexpr int fps = 24;

// Half a second a cue, each its own colour, none a colour the window uses.
struct Cue {
    int frame;
    const char* name;
    QRgb colour;
};
constexpr Cue cues[] = {
    {1, "AI", qRgb(255, 0, 0)},       {13, "O", qRgb(0, 170, 0)},
    {25, "E", qRgb(0, 0, 255)},       {37, "MBP", qRgb(255, 200, 0)},
    {49, "U", qRgb(200, 0, 200)},     {61, "L", qRgb(0, 200, 200)},
    {73, "FV", qRgb(120, 60, 0)},     {85, "WQ", qRgb(0, 90, 60)},
    {97, "etc", qRgb(250, 120, 160)}, {109, "TH", qRgb(90, 0, 150)},
    {121, "rest", qRgb(20, 20, 20)},
};

// The cue in force at a frame, as the player counts frames from a position.
int cueAt(qint64 frame) {
    int at = 0;
    for (int i = 0; i < int(std::size(cues)); ++i) {
        if (cues[i].frame <= frame) {
            at = i;
        }
    }
    return at;
}

qint64 frameAt(qint64 ms) {
    return 1 + std::max<qint64>(ms, 0) * fps / 1000;
}

qint64 monotonicMs() {
    QElapsedTimer now;
    now.start();
    return now.msecsSinceReference();
}

// 16-bit mono silence at 8 kHz.
QByteArray silentWav(int seconds) {
    const quint32 data = 8000u * 2u * quint32(seconds);
    QByteArray wav;
    const auto u32 = [&wav](quint32 v) {
        for (int i = 0; i < 4; ++i) {
            wav += char(v >> (8 * i) & 0xFF);
        }
    };
    const auto u16 = [&wav](quint16 v) {
        wav += char(v & 0xFF);
        wav += char(v >> 8);
    };
    wav += "RIFF";
    u32(36 + data);
    wav += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    wav += "data";
    u32(data);
    wav += QByteArray(qsizetype(data), '\0');
    return wav;
}

// The cue whose colour fills most of a picture's pixels of cue colours, if any does widely.
std::optional<int> cueShown(const QImage& picture) {
    QHash<QRgb, int> counts;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            ++counts[line[x] | 0xFF000000u];
        }
    }
    std::optional<int> best;
    int most = 400; // a drawing is far larger than any stray pixel
    for (int i = 0; i < int(std::size(cues)); ++i) {
        if (counts.value(cues[i].colour) > most) {
            most = counts.value(cues[i].colour);
            best = i;
        }
    }
    return best;
}

} // namespace

class PlayEndToEndTest : public QObject {
    Q_OBJECT

private:
    XServer m_x;
    QProcess m_app;
    QProcessEnvironment m_env;

    std::optional<QString> xdotool(const QStringList& args) { return e2e::xdotool(args, m_env); }

private slots:
    void initTestCase() {
        if (const auto why = m_x.start({"Xvfb", "xdotool"})) {
            QFAIL(qPrintable(*why));
        }
        m_env = x11Environment(m_x.display, m_x.runtimeDir.path());
    }

    void spaceShowsTheMouthInTimeWithTheTake() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QByteArray text = "MohoSwitch1\n";
        QVERIFY(QDir(dir.path()).mkdir("mouths"));
        for (const Cue& cue : cues) {
            text += QByteArray::number(cue.frame) + ' ' + cue.name + '\n';
            QImage mouth(64, 64, QImage::Format_RGB32);
            mouth.fill(cue.colour);
            QVERIFY(mouth.save(dir.filePath(QStringLiteral("mouths/%1.png").arg(cue.name))));
        }
        const QString take = dir.filePath("take.dat");
        QVERIFY(mouthkey::test::writeFile(take, text));
        QVERIFY(mouthkey::test::writeFile(dir.filePath("take.wav"), silentWav(6)));

        m_app.setProcessEnvironment(m_env);
        m_app.start(QStringLiteral(MOUTHKEY_APP), {take});
        QVERIFY(m_app.waitForStarted(stepTimeoutMs));
        const QString window =
            xdotool({"search", "--sync", "--onlyvisible", "--pid",
                     QString::number(m_app.processId()), "--name", "^take\\.dat"})
                .value_or(QString())
                .section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(!window.isEmpty(), "the window did not load the take");

        // A click gives the preview the keys; Home takes the player back to the start.
        const QString geometry =
            xdotool({"getwindowgeometry", "--shell", window}).value_or(QString());
        const int height = geometry.section("HEIGHT=", 1).section('\n', 0, 0).toInt();
        QVERIFY(height > 200);
        QVERIFY(xdotool({"windowfocus", "--sync", window}));
        QVERIFY(xdotool(
            {"mousemove", "--window", window, "100", QString::number(height - 90), "click", "1"}));
        QVERIFY(xdotool({"key", "--clearmodifiers", "Home"}));
        QTest::qWait(300);

        const qint64 pressFrom = monotonicMs();
        QVERIFY(xdotool({"key", "--clearmodifiers", "space"}));
        const qint64 pressTo = monotonicMs();

        bool ok = false;
        const QString shots = dir.filePath("shot-%1.png");
        const QByteArray times =
            run(QStringLiteral(MOUTHKEY_WINDOW_GRAB), {window, shots, "12", "300"}, m_env, &ok);
        QVERIFY2(ok, "could not grab the window");

        QSet<int> seen;
        int certain = 0;
        for (const QByteArray& line : times.trimmed().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            QCOMPARE(fields.size(), 3);
            // The key reached the player between pressFrom and pressTo; the
            // picture was taken between before and after.
            const qint64 before = fields[1].toLongLong();
            const qint64 after = fields[2].toLongLong();
            const qint64 earliest = frameAt(before - pressTo) - 2;
            const qint64 latest = frameAt(after - pressFrom) + 2;
            const auto shown = cueShown(QImage(shots.arg(QString::fromLatin1(fields[0]))));
            QVERIFY2(shown, qPrintable("no mouth drawing seen in picture " + fields[0]));
            const QString where =
                QStringLiteral("picture %1 shows %2, frames %3 to %4 show %5 to %6")
                    .arg(QString::fromLatin1(fields[0]), cues[*shown].name)
                    .arg(earliest)
                    .arg(latest)
                    .arg(cues[cueAt(earliest)].name, cues[cueAt(latest)].name);
            qInfo("%s", qPrintable(where));
            QVERIFY2(*shown >= cueAt(earliest) && *shown <= cueAt(latest), qPrintable(where));
            certain += cueAt(earliest) == cueAt(latest) ? 1 : 0;
            seen.insert(*shown);
        }
        // It moved, through most of the take, and most pictures allowed one mouth only.
        QVERIFY2(seen.size() >= 6, "the mouth did not change while playing");
        QVERIFY(certain >= 3);

        QVERIFY(xdotool({"key", "--clearmodifiers", "ctrl+q"}));
        QVERIFY(m_app.waitForFinished(stepTimeoutMs));
        QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    }

    void cleanupTestCase() {
        stop(m_app);
        stop(m_x.process);
    }
};

QTEST_GUILESS_MAIN(PlayEndToEndTest)
#include "PlayEndToEndTest.moc"
