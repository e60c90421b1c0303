// A sound opened in the window: timed from its speech off the window's
// thread, with a progress dialog that cancels, and loaded as an unsaved
// take that plays with its own sound.
#include "AppTestSupport.h"

#include "app/TakeEdits.h"
#include "app/TakePlayer.h"
#include "speech/SoundTiming.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

const QByteArray earlier("MohoSwitch1\n1 rest\n5 MBP\n9 E\n");

} // namespace

class SoundTest : public QObject {
    Q_OBJECT

    // A sound spoken by espeak-ng into the test's folder; empty to skip.
    static QString spoken(AppUnderTest& app, const QString& name, const QString& words) {
        const QString espeak = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
        if (espeak.isEmpty() ||
            !QFileInfo::exists(QString::fromStdString(speech::defaultModelDirectory()))) {
            return {};
        }
        const QString path = app.pathOf(name);
        return QProcess::execute(espeak, {QStringLiteral("-w"), path, words}) == 0 ? path
                                                                                   : QString();
    }

    static bool waitForTiming(AppUnderTest& app) {
        QSignalSpy ended(&app.vc(), &ViewController::soundTimingEnded);
        return ended.wait(60000);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void cancelKeepsTheTakeLoaded() {
        AppUnderTest app;
        const QString sound = spoken(app, QStringLiteral("long.wav"),
                                     QStringLiteral("Bob may move the boxes to the barn before "
                                                    "the rain, and Maybe Pam will bake a pie."));
        if (sound.isEmpty()) {
            QSKIP("espeak-ng or the English model is not installed (scripts/install-deps.sh)");
        }
        app.openPath(app.writeFile(QStringLiteral("first.dat"), earlier));
        app.openPath(sound);
        QVERIFY(app.vc().timingSound());
        auto* progress =
            app.window->findChild<QProgressDialog*>(QStringLiteral("soundTimingProgress"));
        QVERIFY(progress != nullptr);
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->windowModality(), Qt::WindowModal);
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        QVERIFY(waitForTiming(app));

        QVERIFY(!app.vc().timingSound());
        QCOMPARE(app.status(), QStringLiteral("Timing long.wav cancelled: first.dat is still "
                                              "loaded, and Convert uses it"));
        QCOMPARE(app.label(), QStringLiteral("first.dat"));
        QVERIFY(!app.vc().loaded()->timedFromSound);
        QVERIFY(!app.vc().edits().modified());
    }

    void timedTakeIsShownPlayedAndUnsaved() {
        AppUnderTest app;
        const QString sound =
            spoken(app, QStringLiteral("bob.wav"), QStringLiteral("Bob may move the boxes."));
        if (sound.isEmpty()) {
            QSKIP("espeak-ng or the English model is not installed (scripts/install-deps.sh)");
        }
        app.writeFile(QStringLiteral("bob.txt"), "Bob may move the boxes.\n");
        app.openPath(sound);
        QVERIFY(waitForTiming(app));

        QVERIFY2(app.status().startsWith(QStringLiteral("Timed bob.wav by the script bob.txt, "
                                                        "each mouth held 2 frames at least")),
                 qPrintable(app.status()));
        QCOMPARE(app.vc().script()->toPlainText(), QStringLiteral("Bob may move the boxes.\n"));
        QCOMPARE(app.label(), QStringLiteral("bob.wav"));
        QCOMPARE(app.vc().player().soundFile(), QFileInfo(sound).absoluteFilePath());
        QCOMPARE(app.window->windowTitle(), QStringLiteral("bob.wav[*] \u2014 Mouthkey"));
        QVERIFY(app.window->isWindowModified());
        // Rest around the speech, and a closed mouth for each of B, M and B.
        const std::vector<Cue>& cues = app.vc().loaded()->cues;
        QVERIFY(cues.size() > 4);
        QCOMPARE(cues.front().name, std::string("rest"));
        QCOMPARE(cues.back().name, std::string("rest"));
        QVERIFY(std::count_if(cues.begin(), cues.end(),
                              [](const Cue& c) { return c.name == "MBP"; }) >= 3);

        // Save never writes over the sound: it offers bob.dat, and refuses bob.wav.
        const qint64 soundSize = QFileInfo(sound).size();
        app.chooser->answers.push_back(
            {FileChoice::Outcome::Confirmed, QUrl::fromLocalFile(sound)});
        app.vc().save();
        QCOMPARE(app.chooser->saveSuggested, app.pathOf(QStringLiteral("bob.dat")));
        QCOMPARE(QFileInfo(sound).size(), soundSize);
        QVERIFY(app.vc().edits().modified());
        app.chooser->answers.push_back(
            {FileChoice::Outcome::Confirmed, QUrl::fromLocalFile(app.pathOf("bob.dat")), 0});
        app.vc().save();
        QVERIFY(!app.vc().edits().modified());
        QVERIFY(!app.window->isWindowModified());
        QCOMPARE(app.label(), QStringLiteral("bob.dat"));
        QVERIFY(QFileInfo(app.pathOf("bob.dat")).size() > 0);
    }

    // The field's text is the script; one with no English word is left out, and the findings say
    // so.
    void aTypedScriptWithoutWordsIsANote() {
        AppUnderTest app;
        const QString sound = spoken(app, QStringLiteral("bob.wav"), QStringLiteral("Bob"));
        if (sound.isEmpty()) {
            QSKIP("espeak-ng or the English model is not installed (scripts/install-deps.sh)");
        }
        app.vc().script()->setPlainText(QStringLiteral("\u3042\u308A\u304C\u3068\u3046"));
        app.openPath(sound);
        QVERIFY(waitForTiming(app));
        QVERIFY2(app.status().startsWith(QStringLiteral("Timed bob.wav without a script, each "
                                                        "mouth held 2 frames at least; 1 note")),
                 qPrintable(app.status()));
        const auto& findings = app.vc().findings();
        QVERIFY(std::any_of(findings.begin(), findings.end(), [](const Finding& f) {
            return f.kind == Finding::Kind::SoundTimingNote &&
                   f.subject == "the script in the Script field holds no English words to find "
                                "in the speech; timed without it";
        }));
    }

    void failuresSayWhy_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("status");
        // A second of silence, as a 16 kHz mono WAV.
        QByteArray silent("RIFF\x44\x7d\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x80\x3e\0\0\0\x7d\0\0"
                          "\x02\0\x10\0data\x20\x7d\0\0",
                          44);
        silent.append(32000, '\0');
        QTest::newRow("silent") << silent << QString()
                                << QStringLiteral("'quiet.wav' is silent: there is no speech in "
                                                  "it to time");
        QTest::newRow("no model") << QByteArray() << QStringLiteral("/nonexistent")
                                  << QStringLiteral("The English speech model is not installed "
                                                    "(Debian: pocketsphinx-en-us)");
    }
    void failuresSayWhy() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, model);
        QFETCH(QString, status);
        AppUnderTest app;
        QString sound = bytes.isEmpty()
                            ? spoken(app, QStringLiteral("quiet.wav"), QStringLiteral("Bob"))
                            : app.writeFile(QStringLiteral("quiet.wav"), bytes);
        if (sound.isEmpty()) {
            QSKIP("espeak-ng is not installed (scripts/install-deps.sh)");
        }
        qputenv("MOUTHKEY_SPEECH_MODEL", model.toLocal8Bit());
        app.openPath(sound);
        const bool ended = waitForTiming(app);
        qunsetenv("MOUTHKEY_SPEECH_MODEL");
        QVERIFY(ended);
        QCOMPARE(app.status(), status);
        QVERIFY(!app.vc().loaded());
    }
};

QTEST_MAIN(SoundTest)
#include "SoundTest.moc"
