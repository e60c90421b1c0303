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

// 16-bit mono PCM at 8 kHz: silence, and `burst` seconds of a half-scale sine from `from` on.
QByteArray wav(double seconds, double from, double burst) {
    constexpr quint32 rate = 8000;
    const auto frames = static_cast<quint32>(seconds * rate);
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("RIFF", 4);
    s << quint32(36 + frames * 2);
    s.writeRawData("WAVEfmt ", 8);
    // PCM, mono, the rate, its bytes a second, two bytes a frame of 16 bits.
    s << quint32(16) << quint16(1) << quint16(1) << rate << rate * 2 << quint16(2) << quint16(16);
    s.writeRawData("data", 4);
    s << quint32(frames * 2);
    for (quint32 i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        s << qint16(t >= from && t < from + burst ? 16384 * std::sin(t * 2 * M_PI * 440) : 0);
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
        const auto say = [this](const QString& what) {
            return [this, what](auto... n) {
                said << (what + ... + QString::number(n));
            };
        };
        QObject::connect(&preview, &TimelinePreview::selectRequested, &preview,
                         [this](std::size_t i, bool extend) {
                             said << QStringLiteral("select %1").arg(i) + (extend ? " extend" : "");
                         });
        QObject::connect(&preview, &TimelinePreview::moveRequested, &preview, say("move "));
        QObject::connect(&preview, &TimelinePreview::insertRequested, &preview, say("insert "));
        QObject::connect(&preview, &TimelinePreview::deleteRequested, &preview, say("delete"));
        QObject::connect(&preview, &TimelinePreview::frameChosen, &preview, say("frame "));
        QObject::connect(&preview, &TimelinePreview::mouthChangeRequested, &preview,
                         [this](const QString& name) { said << "mouth " + name; });
    }

    QPoint at(std::uint64_t frame) const {
        return QPoint(int(std::lround(preview.xOfFrame(frame))) + 1, preview.height() / 2);
    }
};

std::optional<CueRange> rangeOf(const QList<int>& cues) {
    if (cues.isEmpty()) {
        return std::nullopt;
    }
    return CueRange{std::size_t(cues.front()), std::size_t(cues.back())};
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
        const int first = preview->height();
        app.window->resize(app.window->width(), app.window->height() + 300);
        QTRY_VERIFY(preview->height() >= first + 100);
    }

    // Keys and the mouse ask for selections and edits, never making them. A click on a cue
    // selects it, Shift stretching; a drag asks for one move, in whole frames, on release; the
    // time axis moves the player; the menu inserts where it was opened. Keyframe i is cue i:
    // 0 rest at 1, 1 AI at 5, 2 E and 3 O at 9, 4 MBP at 20.
    void theInputAsksForSelectionsAndEdits_data() {
        QTest::addColumn<QList<int>>("selected"); // first and last; none: empty
        QTest::addColumn<int>("at");              // the playhead for keys, the pointer's frame
        QTest::addColumn<QString>("gesture");     // keys, or "click", "drag <to>", "menu"...
        QTest::addColumn<QStringList>("said");
        const auto row = [](const char* name, QList<int> selected, int at, QString gesture,
                            QStringList said) {
            QTest::newRow(name) << selected << at << gesture << said;
        };
        row("Right, none selected: the first after the playhead, one stop a frame", {}, 5, "Right",
            {"select 3"});
        row("Left, none selected: the one in force at the playhead", {}, 7, "Left", {"select 1"});
        row("Left, none selected, before the first cue", {}, 0, "Left", {});
        row("Right goes on from the selection's last", {1, 3}, 5, "Right", {"select 4"});
        row("Left goes back from the selection's first", {3, 4}, 5, "Left", {"select 1"});
        row("Shift+Right stretches", {1}, 5, "Shift+Right", {"select 3 extend"});
        row("Left at the first cue goes nowhere", {0}, 1, "Left", {});
        row("Alt+Right moves a frame", {1}, 5, "Alt+Right", {"move 1"});
        row("Alt+Shift+Left, as far as the cue before allows", {1}, 5, "Alt+Shift+Left",
            {"move -3"});
        row("Alt+Shift+Right, a frame short of the next", {3}, 9, "Alt+Shift+Right", {"move 10"});
        row("Alt+Left, a cue on the frame before's own frame", {3}, 9, "Alt+Left", {});
        row("Alt+Right without a selection", {}, 5, "Alt+Right", {});
        row("Delete", {1, 2}, 5, "Del", {"delete"});
        row("Delete without a selection", {}, 5, "Del", {});
        row("Insert, at the playhead", {}, 7, "Ins", {"insert 7"});
        row("PageDown moves the playhead", {1}, 1, "PgDown", {"frame 5"});
        row("click within a cue's stretch", {}, 15, "click", {"select 3"});
        row("click by a cue's step", {}, 5, "click", {"select 1"});
        row("Shift+click", {}, 20, "shift click", {"select 4 extend"});
        row("click on the time axis", {}, 15, "axis click", {"frame 15"});
        row("drag three frames on", {}, 5, "drag 8", {"select 1", "move 3"});
        row("dragged past the next cue, one frame short of it", {}, 5, "drag 14",
            {"select 1", "move 3"});
        row("dragged and brought back", {}, 5, "drag 5", {"select 1"});
        row("menu: insert here", {}, 12, "menu", {"select 3", "insert 12"});
    }

    void theInputAsksForSelectionsAndEdits() {
        QFETCH(QList<int>, selected);
        QFETCH(int, at);
        QFETCH(QString, gesture);
        Timeline t;
        QVERIFY(QTest::qWaitForWindowExposed(&t.preview));
        t.preview.scrollTo(0);
        t.preview.setSelection(rangeOf(selected));
        const QPoint point = t.at(std::uint64_t(at));
        if (gesture.endsWith("click")) {
            QTest::mouseClick(&t.preview, Qt::LeftButton,
                              gesture == "shift click" ? Qt::ShiftModifier : Qt::NoModifier,
                              gesture == "axis click" ? QPoint(point.x(), t.preview.height() - 30)
                                                      : point);
        } else if (gesture.startsWith("drag")) {
            const QPoint end = t.at(gesture.section(u' ', 1).toULongLong());
            QTest::mousePress(&t.preview, Qt::LeftButton, {}, point);
            for (const QPoint through : {point + QPoint(10, 0), end}) {
                QMouseEvent move(QEvent::MouseMove, through, t.preview.mapToGlobal(through),
                                 Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(&t.preview, &move);
            }
            QTest::mouseRelease(&t.preview, Qt::LeftButton, {}, end);
        } else if (gesture == "menu") {
            QContextMenuEvent menu(QContextMenuEvent::Mouse, point, t.preview.mapToGlobal(point));
            QApplication::sendEvent(&t.preview, &menu);
            QVERIFY(!t.preview.findChild<QAction*>("deleteCueAction")->isEnabled());
            t.preview.findChild<QAction*>("insertCueAction")->trigger();
            t.preview.findChild<QMenu*>("timelineMenu")->close();
        } else {
            t.preview.setPlayhead(std::uint64_t(at));
            QTest::keySequence(&t.preview, QKeySequence(gesture));
        }
        QTEST(t.said, "said");
    }

    // The list opens at the cue with its mouth picked; typing picks by the
    // first letters, Enter chooses, Escape lets it go.
    void aCuesMouthIsChosenFromAList_data() {
        QTest::addColumn<bool>("letters");
        QTest::addColumn<QString>("open"); // "F2", "Enter" or "double click"
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("closing");
        QTest::addColumn<QStringList>("said");
        const auto row = [](const char* name, bool letters, QString open, QString typed,
                            int closing, QStringList said) {
            QTest::newRow(name) << letters << open << typed << closing << said;
        };
        row("F2, MBP typed", false, "F2", "mb", Qt::Key_Return, {"mouth MBP"});
        row("Enter, et typed for etc, not E", false, "Enter", "et", Qt::Key_Enter, {"mouth etc"});
        row("double click, Escape", false, "double click", "o", Qt::Key_Escape, {});
        row("a letter take's letters", true, "F2", "x", Qt::Key_Return, {"mouth X"});
    }

    void aCuesMouthIsChosenFromAList() {
        QFETCH(bool, letters);
        QFETCH(QString, open);
        QFETCH(QString, typed);
        QFETCH(int, closing);
        Timeline t(letters ? "h\n1 X\n5 B\n9 A\n" : take, letters);
        QVERIFY(QTest::qWaitForWindowExposed(&t.preview));
        t.preview.setSelection(CueRange{1, 1});
        if (open == "double click") {
            QTest::mouseDClick(&t.preview, Qt::LeftButton, {}, t.at(6));
        } else {
            QTest::keyClick(&t.preview, open == "F2" ? Qt::Key_F2 : Qt::Key_Return);
        }
        auto* list = t.preview.findChild<QListWidget*>("mouthChoiceList");
        QVERIFY(list && list->isVisible());
        QCOMPARE(list->currentItem()->text(), letters ? "B" : "AI"); // cue 1's own
        QCOMPARE(list->item(0)->text(), letters ? "A" : "AI");
        QTest::keyClicks(list, typed);
        QTest::keyClick(list, Qt::Key(closing));
        QVERIFY(!list->isVisible());
        QTEST(t.said, "said");
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
        const auto row = [](const char* name, QList<int> notches, int keys, int scroll, bool fit,
                            double least, double most) {
            QTest::newRow(name) << notches << keys << scroll << fit << least << most;
        };
        const double frameWide = TimelinePreview::maxPixelsPerFrame;
        row("all of it", {}, 0, 0, false, 0.0, 1.0);
        row("to single frames by the wheel", {40}, 0, 0, false, 8.0, frameWide);
        row("to single frames by the keys", {}, 10, 0, false, 8.0, frameWide);
        row("never further than all of it", {-5}, 0, 0, false, 0.0, 1.0);
        row("scrolled on", {12}, 0, 3, false, 1.0, 24.0);
        row("scrolled to the end and no further", {12}, 0, 10000, false, 1.0, 24.0);
        row("Ctrl+0", {40}, 0, 2, true, 0.0, 1.0);
    }

    void theTimelineZoomsAndScrolls() {
        QFETCH(QList<int>, notches);
        QFETCH(int, zoomKeys);
        QFETCH(int, scroll);
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
        const auto wheel = [&](int notches, Qt::KeyboardModifiers modifiers) {
            QWheelEvent event(mouse, p.mapToGlobal(mouse), {}, QPoint(0, 120 * notches),
                              Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&p, &event);
        };
        for (const int n : notches) {
            const std::uint64_t under = p.frameAtX(mouse.x());
            wheel(n, Qt::ControlModifier);
            QVERIFY2(std::abs(double(p.frameAtX(mouse.x())) - double(under)) <= 1,
                     qPrintable(QString::number(p.frameAtX(mouse.x()))));
        }
        for (int k = 0; k < zoomKeys; ++k) {
            QTest::keyClick(&p, Qt::Key_Equal, Qt::ControlModifier);
        }
        const std::uint64_t zoomedFrom = p.viewFrom(), span = p.viewTo() - p.viewFrom();
        if (scroll != 0) {
            wheel(-scroll, Qt::NoModifier);
            QCOMPARE(p.viewTo() - p.viewFrom(), span);
            const auto later = std::llround(double(zoomedFrom) + scroll * (double(span) / 8));
            QCOMPARE(p.viewFrom(), std::min(std::uint64_t(later), to - span));
        }
        QFETCH(bool, fit);
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
        p.setSelection(CueRange{0, 0});
        p.setTrack(KeyframeTrack::fromText(take));
        QVERIFY(p.showsAll());
        QCOMPARE(p.selection(), std::nullopt);
    }

    // Read apart from the window, a sound's waveform shows what is loud where;
    // a second load drops the first.
    void aSoundsWaveformIsRead() {
        QTemporaryDir dir;
        const QString quiet = dir.filePath("quiet.wav"), burst = dir.filePath("burst.wav");
        QVERIFY(test::writeFile(quiet, wav(0.5, 0, 0)) &&
                test::writeFile(burst, wav(1.536, 1.024, 0.256)));
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
        QCOMPARE(summary->seconds(), 1.536);
        const auto peaks = summary->peaks(0, 1.536, 6); // 2048 samples a column
        for (std::size_t c = 0; c < peaks.size(); ++c) {
            QVERIFY2(peaks[c] && (c == 4 ? peaks[c]->high > 0.45f && peaks[c]->low < -0.45f
                                         : peaks[c]->high < 0.01f && peaks[c]->low > -0.01f),
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
