#include "AppTestSupport.h"

#include "app/MouthView.h"
#include "app/TakePlayer.h"
#include "app/TimelinePreview.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

// Time that moves only when the test says so.
class SteppedClock final : public PlaybackClock {
public:
    explicit SteppedClock(qint64* now) : m_now(now) {}
    qint64 nowMs() const override { return *m_now; }

private:
    qint64* m_now;
};

// rest, then AI from frame 10, an unknown name from frame 20, E from 30.
const QByteArray take = "MohoSwitch1\n1 rest\n10 AI\n20 ai\n30 E\n";

} // namespace

class PlayTest : public QObject {
    Q_OBJECT

private slots:
    // Played on the stepped clock, at 24 fps: each display tick shows the cue
    // in force at the position it reads.
    void theMouthFollowsThePlayingTake_data() {
        QTest::addColumn<int>("shift");
        QTest::addColumn<int>("target");
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("noPosition");
        QTest::addColumn<QString>("label");
        QTest::newRow("the first frame")
            << 0 << 0 << qint64(0) << "rest" << false << "0:00.0 · frame 1 · rest";
        QTest::newRow("just before AI")
            << 0 << 0 << qint64(374) << "rest" << false << "0:00.3 · frame 9 · rest";
        QTest::newRow("AI's first ms")
            << 0 << 0 << qint64(375) << "AI" << false << "0:00.3 · frame 10 · AI";
        QTest::newRow("no position")
            << 0 << 0 << qint64(800) << "ai" << true << "0:00.8 · frame 20 · ai: no position";
        QTest::newRow("shifted two later")
            << 2 << 0 << qint64(375) << "rest" << false << "0:00.3 · frame 10 · rest";
        QTest::newRow("shifted one earlier")
            << -1 << 0 << qint64(334) << "AI" << false << "0:00.3 · frame 9 · AI";
        // Left out of the document, whose drawing before it holds on.
        QTest::newRow("left out of Time Remap")
            << 0 << 1 << qint64(800) << "AI" << false << "0:00.8 · frame 20 · ai: no position";
        QTest::newRow("E in Slider Control")
            << 0 << 2 << qint64(1249) << "E" << false << "0:01.2 · frame 30 · E";
    }

    void theMouthFollowsThePlayingTake() {
        QFETCH(int, shift);
        QFETCH(int, target);
        QFETCH(qint64, ms);
        QFETCH(QString, name);
        QFETCH(bool, noPosition);
        QFETCH(QString, label);
        AppUnderTest app;
        qint64 now = 1000;
        TakePlayer& player = app.vc().player();
        player.setClock(std::make_unique<SteppedClock>(&now));
        app.openPath(app.writeFile("take.dat", take));
        QCOMPARE(player.sound(), TakePlayer::Sound::NoFile);
        app.vc().shift()->setValue(shift);
        app.vc().target()->setCurrentIndex(target);
        auto* mouth = app.window->findChild<MouthView*>("mouthView");
        auto* preview = app.window->findChild<TimelinePreview*>();

        QSignalSpy ticks(&player, &TakePlayer::positionChanged);
        app.window->playAction()->trigger();
        QVERIFY(player.isPlaying());
        QCOMPARE(app.status(), QStringLiteral("Playing silently: no sound file beside take.dat"));
        now += ms;
        QVERIFY(ticks.wait());
        QCOMPARE(ticks.last().at(0).toLongLong(), ms);
        QCOMPARE(mouth->mouth().name, name);
        QCOMPARE(mouth->mouth().noPosition, noPosition);
        QCOMPARE(mouth->label(), label);
        QCOMPARE(preview->playhead(), std::optional<std::uint64_t>(frameAtMsOf(ms) - shift));

        // Paused, the clock runs on and the mouth stays.
        app.window->playAction()->trigger();
        now += 5000;
        player.tick();
        QCOMPARE(player.position(), ms);
        QCOMPARE(mouth->label(), label);
    }

    // The end stops it; Home, Go to End and a click in the preview move it.
    void itStopsAtTheEndAndGoesWhereItIsSent() {
        AppUnderTest app;
        qint64 now = 0;
        TakePlayer& player = app.vc().player();
        player.setClock(std::make_unique<SteppedClock>(&now));
        app.window->resize(640, 480);
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.openPath(app.writeFile("take.dat", take));
        auto* mouth = app.window->findChild<MouthView*>("mouthView");
        auto* preview = app.window->findChild<TimelinePreview*>();

        QSignalSpy playing(&player, &TakePlayer::playingChanged);
        // Opened, the take has the keyboard, not the Open button.
        QCOMPARE(QApplication::focusWidget(), preview);
        QTest::keyClick(preview, Qt::Key_Space);
        QCOMPARE(playing.count(), 1);
        now += 60000;
        QVERIFY(playing.wait());
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.position(), qint64(1250)); // the end of the last cue's frame, 30
        QCOMPARE(mouth->mouth().name, QStringLiteral("E"));

        QTest::keyClick(preview, Qt::Key_Home);
        QCOMPARE(player.position(), qint64(0));
        // Go to End: on the last cue's frame, not past it.
        app.window->toEndAction()->trigger();
        QCOMPARE(player.position(), qint64(1209));
        QCOMPARE(preview->playhead(), std::optional<std::uint64_t>(30));
        QTest::mouseClick(preview, Qt::LeftButton, {},
                          QPoint(int(preview->xOfFrame(10)) + 1, preview->height() / 2));
        QCOMPARE(mouth->mouth().name, QStringLiteral("AI"));
        QCOMPARE(preview->playhead(), std::optional<std::uint64_t>(10));

        // A control with the focus keeps Space for itself.
        app.vc().shift()->setFocus();
        QTest::keyClick(app.vc().shift(), Qt::Key_Space);
        auto* convert = app.window->findChild<QPushButton*>("convertButton");
        convert->setFocus();
        QTest::keyClick(convert, Qt::Key_Space);
        QCOMPARE(app.picture(), QStringLiteral("happy"));
        QCOMPARE(playing.count(), 2);
    }

    // The preview's keys move the player, and so the playhead, from keyframe
    // to keyframe: the arrows by selecting the cue beside the selection, the
    // page keys and End from the playhead; keyframes on one frame are one
    // stop. A focused control keeps End for itself.
    void theKeysMoveThePlayheadFromKeyframeToKeyframe_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QList<int>>("frames"); // where the playhead is after each key
        const int right = Qt::Key_Right, left = Qt::Key_Left, end = Qt::Key_End;
        const int pageUp = Qt::Key_PageUp, pageDown = Qt::Key_PageDown;
        const QString preview = "keyframePreview";
        QTest::newRow("on and back, the two at 7 one stop")
            << preview << 0 << QList{right, right, right, left, left, left, left}
            << QList{4, 7, 10, 7, 4, 1, 1};
        QTest::newRow("a page is two keyframes")
            << preview << 0 << QList{pageDown, pageDown, pageUp, pageUp, pageUp}
            << QList{7, 13, 7, 4, 1};
        QTest::newRow("Left selects the cue at the playhead; Right goes on from the selection")
            << preview << 0 << QList{end, left, left, pageUp, right}
            << QList{118, 118, 115, 109, 118};
        QTest::newRow("shifted later, the start is before the first keyframe")
            << preview << 5 << QList{right, right, end} << QList{1, 4, 118};
        QTest::newRow("shifted earlier, the start is within the second")
            << preview << -3 << QList{right, left, end} << QList{7, 4, 118};
        QTest::newRow("End in the shift box is its own") << "shift" << 0 << QList{end} << QList{1};
        QTest::newRow("End on the hold box is not the player's")
            << "hold" << 0 << QList{end} << QList{1};
    }

    void theKeysMoveThePlayheadFromKeyframeToKeyframe() {
        QFETCH(QString, focus);
        QFETCH(int, shift);
        QFETCH(QList<int>, keys);
        QFETCH(QList<int>, frames);
        // 41 keyframes, every third frame from 1 to 118, two of them on frame 7.
        QByteArray text = "MohoSwitch1\n";
        for (int frame = 1; frame <= 118; frame += 3) {
            text += QByteArray::number(frame) + (frame % 2 == 0 ? " AI\n" : " E\n");
            if (frame == 7) {
                text += "7 O\n";
            }
        }
        AppUnderTest app;
        app.window->resize(640, 480);
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.openPath(app.writeFile("take.dat", text));
        app.vc().shift()->setValue(shift);
        const TakePlayer& player = app.vc().player();
        auto* preview = app.window->findChild<TimelinePreview*>();
        QVERIFY(app.window->toEndAction()->isEnabled());
        auto* focused = app.window->findChild<QWidget*>(focus);
        focused->setFocus();
        QCOMPARE(QApplication::focusWidget(), focused);

        for (qsizetype i = 0; i < keys.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(keys[i]));
            const std::int64_t played = frames[i] + shift;
            const qint64 ms = played <= 1 ? 0 : ((played - 1) * 1000 + 23) / 24;
            QCOMPARE(player.position(), ms);
            QCOMPARE(preview->playhead(), std::optional<std::uint64_t>(frames[i]));
            if (focused == preview) {
                QVERIFY2(preview->accessibleDescription().startsWith(
                             QStringLiteral("Frame %1 ").arg(frames[i])),
                         qPrintable(preview->accessibleDescription()));
            }
        }
    }

    // The sound a take plays with, found on load and named by the load's
    // status; a dropped sound replaces it. A project's sound that is nowhere
    // is said at once, not first when Play is pressed.
    void theSoundIsFoundBesideTheTake_data() {
        QTest::addColumn<QString>("timing");
        QTest::addColumn<QByteArray>("soundLine"); // a .pgo project's, or none
        QTest::addColumn<QStringList>("sounds");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("said"); // nothing: the status names no sound
        QTest::addColumn<bool>("notice");
        QTest::newRow("same name")
            << "take.dat" << QByteArray() << QStringList{"take.wav"} << "take.wav"
            << "sound: take.wav" << false;
        QTest::newRow("the first suffix in order")
            << "take.dat" << QByteArray() << QStringList{"take.ogg", "take.mp3", "other.wav"}
            << "take.mp3"
            << "sound: take.mp3" << false;
        QTest::newRow("none") << "take.dat" << QByteArray() << QStringList{"other.wav"} << ""
                              << "" << false;
        QTest::newRow("as the project names it")
            << "project.pgo" << QByteArray("audio/voice.ogg")
            << QStringList{"project.wav", "audio/voice.ogg"} << "audio/voice.ogg"
            << "sound: voice.ogg" << false;
        QTest::newRow("a project from another system, the sound moved with it")
            << "project.pgo" << QByteArray("C:\\takes\\voice.flac") << QStringList{"voice.flac"}
            << "voice.flac"
            << "sound: voice.flac" << false;
        QTest::newRow("the project's is gone")
            << "project.pgo" << QByteArray("gone.wav") << QStringList{"project.m4a"}
            << "project.m4a"
            << "the sound file the project names, 'gone.wav', is not there; sound: project.m4a"
            << false;
        QTest::newRow("the project's is gone, and none is beside it")
            << "project.pgo" << QByteArray("gone.wav") << QStringList{"other.wav"} << ""
            << "the sound file the project names, 'gone.wav', is not there: playback is silent"
            << true;
    }

    void theSoundIsFoundBesideTheTake() {
        QFETCH(QString, timing);
        QFETCH(QByteArray, soundLine);
        QFETCH(QStringList, sounds);
        QFETCH(QString, found);
        QFETCH(QString, said);
        QFETCH(bool, notice);
        AppUnderTest app;
        QDir(app.dir.path()).mkdir("audio");
        for (const QString& sound : sounds) {
            app.writeFile(sound, "RIFF");
        }
        QByteArray text = take;
        if (!soundLine.isEmpty()) {
            text = mouthkey::test::readFile(mouthkey::test::samplePath("two-voices.pgo"));
            text.replace("two-voices.wav", soundLine);
        }
        app.openPath(app.writeFile(timing, text));
        const TakePlayer& player = app.vc().player();
        QCOMPARE(player.soundFile(), found.isEmpty() ? QString() : app.pathOf(found));
        QVERIFY2(said.isEmpty() ? !app.status().contains(QStringLiteral("sound"))
                                : app.status().contains(QStringLiteral("; ") + said),
                 qPrintable(app.status()));
        QCOMPARE(app.statusMessage().kind(),
                 notice ? StatusMessage::Kind::Notice : StatusMessage::Kind::Done);

        std::unique_ptr<QMimeData> drop(new QMimeData);
        drop->setUrls({QUrl::fromLocalFile(app.writeFile("dropped.flac", "fLaC"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, drop.get(), Qt::LeftButton, {});
        QApplication::sendEvent(app.window.get(), &enter);
        QVERIFY(enter.isAccepted());
        // With a take loaded, a sound that could be timed asks what it is
        // for, in a menu of its own loop: answered from a timer.
        QString asked;
        QTimer answer;
        answer.setInterval(10);
        connect(&answer, &QTimer::timeout, &answer, [&asked, &answer] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                answer.stop();
                asked = menu->objectName();
                QTest::keyClick(menu, Qt::Key_P);
            }
        });
        answer.start();
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, drop.get(), Qt::LeftButton, {});
        QApplication::sendEvent(app.window.get(), &event);
        QTRY_COMPARE(player.soundFile(), app.pathOf("dropped.flac"));
        QCOMPARE(asked, QStringLiteral("droppedSoundMenu"));
        QCOMPARE(app.vc().loaded()->source, timing);
    }

    // Through Qt Multimedia, as with a sound device: the sound's position is the
    // take's, and a sound that cannot be played leaves the take loaded and silent.
    void aSoundPlaysOnItsOwnClock_data() {
        QTest::addColumn<QByteArray>("wav");
        QTest::addColumn<bool>("plays");
        static const char header[] = "RIFF\x24\x77\x01\0WAVEfmt \x10\0\0\0\x01\0\x01\0"
                                     "\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0data\0\x77\x01\0";
        QByteArray silence(header, sizeof header - 1);
        silence += QByteArray(96000, '\0'); // three seconds at 8 kHz
        QTest::newRow("silence") << silence << true;
        QTest::newRow("not a sound") << QByteArray("RIFF and then some text") << false;
    }

    void aSoundPlaysOnItsOwnClock() {
        QFETCH(QByteArray, wav);
        QFETCH(bool, plays);
        AppUnderTest app;
        qint64 now = 0; // never moves: any progress is the sound's
        TakePlayer& player = app.vc().player();
        player.setClock(std::make_unique<SteppedClock>(&now));
        player.setSoundDeviceCheck([] { return true; });
        app.writeFile("take.wav", wav);
        app.openPath(app.writeFile("take.dat", take));
        QCOMPARE(player.sound(), TakePlayer::Sound::Audible);

        QSignalSpy failed(&player, &TakePlayer::soundFailed);
        player.play();
        if (plays) {
            QTRY_VERIFY_WITH_TIMEOUT(player.position() > 100, 10000);
            QVERIFY(player.position() < 2500); // while the sound plays, not after its end
            QCOMPARE(failed.count(), 0);
            return;
        }
        QVERIFY(failed.wait(10000));
        QCOMPARE(player.sound(), TakePlayer::Sound::Failed);
        QVERIFY2(app.status().startsWith(QStringLiteral("'take.wav' ")), qPrintable(app.status()));
        QVERIFY(app.statusMessage().kind() == StatusMessage::Kind::Failure);
        // Silent now, on the clock, and the take still there.
        now += 375;
        player.tick();
        QCOMPARE(player.position(), qint64(375));
        QCOMPARE(app.vc().mouthAt(player.position()).mouth.name, QStringLiteral("AI"));
        QCOMPARE(app.label(), QStringLiteral("take.dat"));
    }

private:
    static std::uint64_t frameAtMsOf(qint64 ms) { return std::uint64_t(1 + ms * 24 / 1000); }
};

QTEST_MAIN(PlayTest)
#include "PlayTest.moc"
