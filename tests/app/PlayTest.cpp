#include "AppTestSupport.h"

#include "app/MouthView.h"
#include "app/TakePlayer.h"
#include "app/TimelinePreview.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

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
        QTest::newRow("left out of Time Remap")
            << 0 << 1 << qint64(800) << "ai" << true << "0:00.8 · frame 20 · ai: no position";
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

    // The end stops it; Home and a click in the preview move it.
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
        preview->setFocus();
        QTest::keyClick(preview, Qt::Key_Space);
        QCOMPARE(playing.count(), 1);
        now += 60000;
        QVERIFY(playing.wait());
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.position(), qint64(1250)); // the end of the last cue's frame, 30
        QCOMPARE(mouth->mouth().name, QStringLiteral("E"));

        QTest::keyClick(preview, Qt::Key_Home);
        QCOMPARE(player.position(), qint64(0));
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

private:
    static std::uint64_t frameAtMsOf(qint64 ms) { return std::uint64_t(1 + ms * 24 / 1000); }
};

QTEST_MAIN(PlayTest)
#include "PlayTest.moc"
