#include "AppTestSupport.h"

#include "SoundWaveform.h"
#include "TimelineMouthChoice.h"
#include "app/TimelinePreview.h"

#include <QAction>
#include <QDataStream>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>

#include <cmath>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

// rest, AI from 5, E and O both on 9 (O in force), MBP from 20.
const char* const take = "h\n1 rest\n5 AI\n9 E\n9 O\n20 MBP\n";

// 16-bit mono PCM at 8 kHz: silence, and `burst` seconds of a sine at half
// scale from `from` seconds on.
QByteArray wav(double seconds, double from, double burst) {
    constexpr int rate = 8000;
    const auto frames = static_cast<quint32>(seconds * rate);
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.writeRawData("RIFF", 4);
    stream << quint32(36 + frames * 2);
    stream.writeRawData("WAVEfmt ", 8);
    // PCM, mono, the rate, its bytes a second, two bytes a frame of 16 bits.
    stream << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
           << quint16(2) << quint16(16);
    stream.writeRawData("data", 4);
    stream << quint32(frames * 2);
    for (quint32 i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        stream << qint16(t >= from && t < from + burst ? 16384 * std::sin(t * 2 * M_PI * 440) : 0);
    }
    return out;
}

// A timeline on its own, shown, with every request it makes written down.
struct Timeline {
    TimelinePreview preview;
    QStringList said;

    explicit Timeline(const QByteArray& text = take, bool letters = false) {
        preview.resize(640, 240);
        preview.show();
        preview.setTrack(KeyframeTrack::fromText(text.toStdString(), letters));
        QObject::connect(&preview, &TimelinePreview::selectRequested, &preview,
                         [this](std::size_t index, bool extend) {
                             said << QStringLiteral("select %1%2")
                                         .arg(index)
                                         .arg(extend ? QStringLiteral(" extend") : QString());
                         });
        QObject::connect(
            &preview, &TimelinePreview::moveRequested, &preview,
            [this](std::int64_t frames) { said << QStringLiteral("move %1").arg(frames); });
        QObject::connect(
            &preview, &TimelinePreview::insertRequested, &preview,
            [this](std::uint64_t frame) { said << QStringLiteral("insert %1").arg(frame); });
        QObject::connect(&preview, &TimelinePreview::deleteRequested, &preview,
                         [this] { said << QStringLiteral("delete"); });
        QObject::connect(&preview, &TimelinePreview::mouthChangeRequested, &preview,
                         [this](const QString& name) { said << QStringLiteral("mouth ") + name; });
        QObject::connect(
            &preview, &TimelinePreview::frameChosen, &preview,
            [this](std::uint64_t frame) { said << QStringLiteral("frame %1").arg(frame); });
    }

    QPoint at(std::uint64_t frame, double ofHeight = 0.5) const {
        return QPoint(static_cast<int>(std::lround(preview.xOfFrame(frame))) + 1,
                      static_cast<int>(preview.height() * ofHeight));
    }
    QListWidget* mouthList() const { return preview.findChild<QListWidget*>("mouthChoiceList"); }
};

std::optional<CueRange> rangeOf(const QList<int>& cues) {
    return cues.isEmpty()
               ? std::nullopt
               : std::optional(CueRange{std::size_t(cues.front()), std::size_t(cues.back())});
}

} // namespace

class TimelineTest : public QObject {
    Q_OBJECT

private slots:
    // Shown at the size the window first takes, with a take whose findings
    // fill their half, the timeline keeps its room; a taller window gives it more.
    void theTimelineHasRoomAtTheFirstSize() {
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        QByteArray text("h\n");
        for (const char* name : {"aa", "bb", "cc", "dd", "ee", "ff", "gg", "hh", "ii", "jj"}) {
            text += QByteArray("1 ") + name + "\n";
        }
        app.openPath(app.writeFile("take.dat", text));
        auto* preview = app.window->findChild<TimelinePreview*>();
        QTRY_VERIFY2(preview->height() >= 180, qPrintable(QString::number(preview->height())));
        qInfo("window %dx%d, timeline %d px tall", app.window->width(), app.window->height(),
              preview->height());
        const int first = preview->height();
        app.window->resize(app.window->width(), app.window->height() + 300);
        QTRY_VERIFY(preview->height() >= first + 100);
    }

    // Keyframe i is cue i: 0 rest at 1, 1 AI at 5, 2 E and 3 O at 9, 4 MBP at 20.
    void theKeysAskForSelectionsAndEdits_data() {
        QTest::addColumn<QList<int>>("selected"); // first and last; none: empty
        QTest::addColumn<int>("playhead");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("said");
        const int alt = Qt::AltModifier, shift = Qt::ShiftModifier, none = Qt::NoModifier;
        const int left = Qt::Key_Left, right = Qt::Key_Right;
        QTest::newRow("Right, none selected: the first after the playhead, one stop a frame")
            << QList<int>{} << 5 << right << none << QStringList{"select 3"};
        QTest::newRow("Left, none selected: the one in force at the playhead")
            << QList<int>{} << 7 << left << none << QStringList{"select 1"};
        QTest::newRow("Left, none selected, before the first cue")
            << QList<int>{} << 0 << left << none << QStringList{};
        QTest::newRow("Right goes on from the selection's last")
            << QList<int>{1, 3} << 5 << right << none << QStringList{"select 4"};
        QTest::newRow("Left goes back from the selection's first")
            << QList<int>{3, 4} << 5 << left << none << QStringList{"select 1"};
        QTest::newRow("Shift+Right stretches")
            << QList<int>{1} << 5 << right << shift << QStringList{"select 3 extend"};
        QTest::newRow("Left at the first cue goes nowhere")
            << QList<int>{0} << 1 << left << none << QStringList{};
        QTest::newRow("Alt+Right moves a frame")
            << QList<int>{1} << 5 << right << alt << QStringList{"move 1"};
        QTest::newRow("Alt+Shift+Left, as far as the cue before allows")
            << QList<int>{1} << 5 << left << alt + shift << QStringList{"move -3"};
        QTest::newRow("Alt+Shift+Right, a frame short of the next")
            << QList<int>{3} << 9 << right << alt + shift << QStringList{"move 10"};
        QTest::newRow("Alt+Left, a cue on the frame before's own frame")
            << QList<int>{3} << 9 << left << alt << QStringList{};
        QTest::newRow("Alt+Right without a selection")
            << QList<int>{} << 5 << right << alt << QStringList{};
        QTest::newRow("Delete") << QList<int>{1, 2} << 5 << int(Qt::Key_Delete) << none
                                << QStringList{"delete"};
        QTest::newRow("Delete without a selection")
            << QList<int>{} << 5 << int(Qt::Key_Delete) << none << QStringList{};
        QTest::newRow("Insert, at the playhead")
            << QList<int>{} << 7 << int(Qt::Key_Insert) << none << QStringList{"insert 7"};
        QTest::newRow("PageDown moves the playhead")
            << QList<int>{1} << 1 << int(Qt::Key_PageDown) << none << QStringList{"frame 5"};
    }

    void theKeysAskForSelectionsAndEdits() {
        QFETCH(QList<int>, selected);
        QFETCH(int, playhead);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QStringList, said);
        Timeline t;
        t.preview.setPlayhead(std::uint64_t(playhead));
        t.preview.setSelection(rangeOf(selected));
        QTest::keyClick(&t.preview, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(t.said, said);
    }

    // The list opens at the cue with its mouth picked; typing picks by the
    // first letters, Enter chooses, Escape lets it go.
    void aCuesMouthIsChosenFromAList_data() {
        QTest::addColumn<bool>("letters");
        QTest::addColumn<QString>("open"); // "F2", "Enter" or "double click"
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("closing");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("F2, MBP typed") << false << "F2"
                                       << "AI"
                                       << "mb" << int(Qt::Key_Return) << QStringList{"mouth MBP"};
        QTest::newRow("Enter, et typed for etc, not E")
            << false << "Enter"
            << "AI"
            << "et" << int(Qt::Key_Enter) << QStringList{"mouth etc"};
        QTest::newRow("double click, Escape") << false << "double click"
                                              << "AI"
                                              << "o" << int(Qt::Key_Escape) << QStringList{};
        QTest::newRow("a letter take's letters")
            << true << "F2"
            << "B"
            << "x" << int(Qt::Key_Return) << QStringList{"mouth X"};
    }

    void aCuesMouthIsChosenFromAList() {
        QFETCH(bool, letters);
        QFETCH(QString, open);
        QFETCH(QString, picked);
        QFETCH(QString, typed);
        QFETCH(int, closing);
        QFETCH(QStringList, said);
        Timeline t(letters ? "h\n1 X\n5 B\n9 A\n" : take, letters);
        QVERIFY(QTest::qWaitForWindowExposed(&t.preview));
        t.preview.setSelection(CueRange{1, 1});
        if (open == "double click") {
            QTest::mouseDClick(&t.preview, Qt::LeftButton, {}, t.at(6));
        } else {
            QTest::keyClick(&t.preview, open == "F2" ? Qt::Key_F2 : Qt::Key_Return);
        }
        QListWidget* list = t.mouthList();
        QVERIFY(list && list->isVisible());
        QCOMPARE(list->currentItem()->text(), picked);
        QCOMPARE(list->item(0)->text(), letters ? QStringLiteral("A") : QStringLiteral("AI"));
        QTest::keyClicks(list, typed);
        QTest::keyClick(list, Qt::Key(closing));
        QVERIFY(!list->isVisible());
        QCOMPARE(t.said, said);
    }

    // A click on a cue selects it, Shift stretching; dragging it asks for one
    // move, in whole frames, on release; the time axis and the frames before
    // the first cue move the player; the menu inserts where it was opened.
    void theMouseAsksForSelectionsAndEdits_data() {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("to"); // where a drag ends
        QTest::addColumn<QStringList>("said");
        QTest::newRow("click within a cue's stretch")
            << "click" << 15 << 0 << QStringList{"select 3"};
        QTest::newRow("click by a cue's step") << "click" << 5 << 0 << QStringList{"select 1"};
        QTest::newRow("Shift+click") << "shift click" << 20 << 0 << QStringList{"select 4 extend"};
        QTest::newRow("click on the time axis")
            << "axis click" << 15 << 0 << QStringList{"frame 15"};
        QTest::newRow("drag three frames on")
            << "drag" << 5 << 8 << QStringList{"select 1", "move 3"};
        QTest::newRow("dragged past the next cue, one frame short of it")
            << "drag" << 5 << 14 << QStringList{"select 1", "move 3"};
        QTest::newRow("dragged and brought back") << "drag" << 5 << 5 << QStringList{"select 1"};
        QTest::newRow("menu: insert here")
            << "menu insert" << 12 << 0 << QStringList{"select 3", "insert 12"};
    }

    void theMouseAsksForSelectionsAndEdits() {
        QFETCH(QString, gesture);
        QFETCH(int, frame);
        QFETCH(int, to);
        QFETCH(QStringList, said);
        Timeline t;
        QVERIFY(QTest::qWaitForWindowExposed(&t.preview));
        t.preview.scrollTo(0);
        const QPoint at = t.at(std::uint64_t(frame));
        if (gesture == "click" || gesture == "shift click") {
            QTest::mouseClick(&t.preview, Qt::LeftButton,
                              gesture == "click" ? Qt::NoModifier : Qt::ShiftModifier, at);
        } else if (gesture == "axis click") {
            QTest::mouseClick(&t.preview, Qt::LeftButton, {},
                              QPoint(at.x(), t.preview.height() - 30));
        } else if (gesture == "drag") {
            QTest::mousePress(&t.preview, Qt::LeftButton, {}, at);
            for (const QPoint through : {at + QPoint(10, 0), t.at(std::uint64_t(to))}) {
                QMouseEvent move(QEvent::MouseMove, through, t.preview.mapToGlobal(through),
                                 Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(&t.preview, &move);
            }
            QTest::mouseRelease(&t.preview, Qt::LeftButton, {}, t.at(std::uint64_t(to)));
        } else {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, at, t.preview.mapToGlobal(at));
            QApplication::sendEvent(&t.preview, &menu);
            auto* insert = t.preview.findChild<QAction*>("insertCueAction");
            QVERIFY(insert->isEnabled());
            QVERIFY(!t.preview.findChild<QAction*>("deleteCueAction")->isEnabled());
            insert->trigger();
            t.preview.findChild<QMenu*>("timelineMenu")->close();
        }
        QCOMPARE(t.said, said);
    }

    // Zoomed with Ctrl and the wheel about the mouse, or Ctrl and the keys,
    // down to single frames; scrolled by the wheel; Ctrl+0 shows it all again.
    void theTimelineZoomsAndScrolls_data() {
        QTest::addColumn<QList<int>>("notches"); // Ctrl+wheel; above 0, closer
        QTest::addColumn<int>("zoomKeys");       // Ctrl+= pressed
        QTest::addColumn<int>("scroll");         // wheel notches, later
        QTest::addColumn<bool>("fit");           // Ctrl+0 at the end
        QTest::addColumn<double>("leastPerFrame");
        QTest::addColumn<double>("mostPerFrame");
        QTest::newRow("all of it") << QList<int>{} << 0 << 0 << false << 0.0 << 1.0;
        QTest::newRow("to single frames by the wheel")
            << QList<int>{40} << 0 << 0 << false << 8.0 << TimelinePreview::maxPixelsPerFrame;
        QTest::newRow("to single frames by the keys")
            << QList<int>{} << 10 << 0 << false << 8.0 << TimelinePreview::maxPixelsPerFrame;
        QTest::newRow("closer and back") << QList<int>{6, -6} << 0 << 0 << false << 0.0 << 1.0;
        QTest::newRow("never further than all of it")
            << QList<int>{-5} << 0 << 0 << false << 0.0 << 1.0;
        QTest::newRow("scrolled on") << QList<int>{12} << 0 << 3 << false << 1.0 << 24.0;
        QTest::newRow("scrolled to the end and no further")
            << QList<int>{12} << 0 << 10000 << false << 1.0 << 24.0;
        QTest::newRow("Ctrl+0") << QList<int>{40} << 0 << 2 << true << 0.0 << 1.0;
    }

    void theTimelineZoomsAndScrolls() {
        QFETCH(QList<int>, notches);
        QFETCH(int, zoomKeys);
        QFETCH(int, scroll);
        QFETCH(bool, fit);
        QFETCH(double, leastPerFrame);
        QFETCH(double, mostPerFrame);
        QByteArray text("h\n");
        for (int frame = 1; frame <= 2000; frame += 4) {
            text += QByteArray::number(frame) + (frame % 8 == 1 ? " AI\n" : " E\n");
        }
        Timeline t(text);
        TimelinePreview& p = t.preview;
        const std::uint64_t from = p.viewFrom(), to = p.viewTo();
        const QPoint mouse = t.at(700);
        for (const int n : notches) {
            const std::uint64_t under = p.frameAtX(mouse.x());
            QWheelEvent wheel(mouse, p.mapToGlobal(mouse), {}, QPoint(0, 120 * n), Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&p, &wheel);
            QVERIFY2(std::abs(double(p.frameAtX(mouse.x())) - double(under)) <= 1,
                     qPrintable(QString::number(p.frameAtX(mouse.x()))));
        }
        for (int k = 0; k < zoomKeys; ++k) {
            QTest::keyClick(&p, Qt::Key_Equal, Qt::ControlModifier);
        }
        const std::uint64_t zoomedFrom = p.viewFrom();
        const std::uint64_t span = p.viewTo() - p.viewFrom();
        if (scroll != 0) {
            QWheelEvent wheel(mouse, p.mapToGlobal(mouse), {}, QPoint(0, -120 * scroll),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&p, &wheel);
            QCOMPARE(p.viewTo() - p.viewFrom(), span);
            const auto later = std::llround(double(zoomedFrom) + scroll * (double(span) / 8));
            QCOMPARE(p.viewFrom(), std::min(std::uint64_t(later), to - span));
        }
        if (fit) {
            QTest::keyClick(&p, Qt::Key_0, Qt::ControlModifier);
        }
        QVERIFY2(p.pixelsPerFrame() >= leastPerFrame && p.pixelsPerFrame() <= mostPerFrame,
                 qPrintable(QString::number(p.pixelsPerFrame())));
        QCOMPARE(p.showsAll(), mostPerFrame == 1.0);
        if (p.showsAll()) {
            QCOMPARE(p.viewFrom(), from);
            QCOMPARE(p.viewTo(), to);
        }
        // The scroll bar stands for the same frames.
        auto* bar = p.findChild<QScrollBar*>("timelineScroll");
        QCOMPARE(std::uint64_t(bar->value()), p.viewFrom() - from);
        QCOMPARE(std::uint64_t(bar->maximum()), to - from - (p.viewTo() - p.viewFrom()));
        // Played past the frames shown, the view pages to the playhead.
        if (!p.showsAll()) {
            p.setPlayhead(std::min(p.viewTo() + 5, to - 1));
            QVERIFY(*p.playhead() >= p.viewFrom() && *p.playhead() < p.viewTo());
        }
    }

    // An edit of the take leaves the frames shown and the selection; another take shows all of
    // itself, none selected.
    void anEditedTakeKeepsTheView() {
        Timeline t("h\n1 rest\n5 AI\n9 E\n9 O\n20 MBP\n200 rest\n");
        TimelinePreview& p = t.preview;
        p.zoomBy(4, p.xOfFrame(10));
        QVERIFY(!p.showsAll());
        p.scrollTo(4);
        p.setSelection(CueRange{1, 2});
        const std::uint64_t from = p.viewFrom(), to = p.viewTo();
        p.setEditedTrack(
            KeyframeTrack::fromText("h\n1 rest\n6 AI\n9 E\n9 O\n20 MBP\n200 rest\n230 E\n"));
        QCOMPARE(p.viewFrom(), from);
        QCOMPARE(p.viewTo(), to);
        QCOMPARE(p.selection(), std::optional(CueRange{1, 2}));
        p.setEditedTrack(KeyframeTrack::fromText("h\n1 rest\n"));
        QCOMPARE(p.selection(), std::nullopt); // its cues are gone
        p.setTrack(KeyframeTrack::fromText(take));
        QVERIFY(p.showsAll());
        QCOMPARE(p.selection(), std::nullopt);
    }

    // Read apart from the window, a sound's waveform shows what is loud where;
    // a second load drops the first.
    void aSoundsWaveformIsRead() {
        QTemporaryDir dir;
        const QString quiet = dir.filePath("quiet.wav"), burst = dir.filePath("burst.wav");
        QVERIFY(test::writeFile(quiet, wav(0.5, 0, 0)));
        QVERIFY(test::writeFile(burst, wav(1.536, 1.024, 0.256)));
        SoundWaveform loader;
        QSignalSpy ready(&loader, &SoundWaveform::ready);
        QSignalSpy failed(&loader, &SoundWaveform::failed);
        loader.load(QUrl::fromLocalFile(quiet));
        loader.load(QUrl::fromLocalFile(burst));
        QVERIFY(ready.wait(10000));
        QTest::qWait(100);
        QCOMPARE(ready.count(), 1);
        QCOMPARE(failed.count(), 0);
        const auto summary =
            ready.takeFirst().at(0).value<std::shared_ptr<const WaveformSummary>>();
        QVERIFY(summary);
        QCOMPARE(summary->seconds(), 1.536);
        const auto peaks = summary->peaks(0, 1.536, 6); // 2048 samples a column
        for (std::size_t c = 0; c < peaks.size(); ++c) {
            QVERIFY(peaks[c]);
            const bool loud = c == 4;
            QVERIFY2(loud ? peaks[c]->high > 0.45f && peaks[c]->low < -0.45f
                          : peaks[c]->high < 0.01f && peaks[c]->low > -0.01f,
                     qPrintable(QString::number(c)));
        }

        QVERIFY(test::writeFile(dir.filePath("nothing.wav"), "RIFF and then some text"));
        loader.load(QUrl::fromLocalFile(dir.filePath("nothing.wav")));
        QVERIFY(failed.wait(10000));
        QCOMPARE(ready.count(), 0);
    }

    // The window draws the sound the take plays with, at the shift.
    void theWindowShowsTheTakesSound() {
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.writeFile("take.wav", wav(2, 0.2, 0.4));
        app.openPath(app.writeFile("take.dat", take));
        auto* preview = app.window->findChild<TimelinePreview*>();
        QTRY_VERIFY_WITH_TIMEOUT(preview->waveform() != nullptr, 10000);
        QCOMPARE(preview->waveform()->seconds(), 2.0);
        const QImage drawn = preview->grab().toImage();
        app.vc().shift()->setValue(12); // half a second later in the sound
        QVERIFY(preview->grab().toImage() != drawn);
        app.openPath(app.writeFile("other.dat", take));
        QVERIFY(preview->waveform() == nullptr); // no sound beside it
    }
};

QTEST_MAIN(TimelineTest)
#include "TimelineTest.moc"
