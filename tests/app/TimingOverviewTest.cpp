#include "AppTestSupport.h"

#include "app/ElidedLabel.h"
#include "app/FindingsPanel.h"
#include "app/TimelinePreview.h"
#include "app/TimingOverview.h"
#include "conversion/DataLineConversion.h"
#include "conversion/Targets.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>

#include <iterator>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

FindingsPanel& panelOf(const AppUnderTest& app) {
    return *app.window->findChild<FindingsPanel*>();
}

TimelinePreview& previewOf(const AppUnderTest& app) {
    return *app.window->findChild<TimelinePreview*>();
}

} // namespace

class TimingOverviewTest : public QObject {
    Q_OBJECT

private slots:
    // Times and counts below are written as in the United States.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void beforeAnyFileThePanelInvitesAnOpen() {
        AppUnderTest app;
        QVERIFY(panelOf(app).sentences().isEmpty());
        QVERIFY(panelOf(app).summary().isEmpty());
        QVERIFY(previewOf(app).track().empty());
        QCOMPARE(panelOf(app).accessibleName(), QStringLiteral("Timing file check"));
        QCOMPARE(previewOf(app).accessibleName(), QStringLiteral("Keyframe preview"));
        QVERIFY(convertStatus({}, app.vc().loaded()).warning);
    }

    void aLoadedFileShowsItsSummaryFindingsAndStatus_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("sentences");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("readLetters"); // with one click on the offered action

        const QByteArray letters("h\n1 X\n2 A\n3 E\n");
        const QString heldTwo = "2 mouths show for a single frame (lines 2, 3): pasted unchanged. "
                                "Hold each mouth for two frames at least (Edit > Clean Up\u2026).";
        QTest::newRow("letter mouth shapes")
            << letters
            << "take.dat \u00B7 3 keyframes \u00B7 frames 1\u20133 \u00B7 0:00.1 at 24 fps"
            << QStringList{"Letter mouth shapes (A and X) as phoneme names on 2 lines (2, 3); its "
                           "E is read as the phoneme E, not as a letter: pasted unchanged. They "
                           "can be read as letter mouth shapes instead (A "
                           "as MBP, B as etc, C as E, D as AI, E as O, F as U, G as FV, H as L, X "
                           "as rest). Choose File > Read as Letter Mouth Shapes to do so.",
                           heldTwo}
            << "Copied 3 keyframes from take.dat (Preston Blair, 24 fps); 1 finding to check"
            << false;
        QTest::newRow("letter mouth shapes, read as such")
            << letters
            << "take.dat \u00B7 3 keyframes \u00B7 frames 1\u20133 \u00B7 0:00.1 at 24 fps"
            << QStringList{heldTwo}
            << "Copied 3 keyframes from take.dat (Preston Blair, letter mouth shapes, 24 fps)"
            << true;
        QTest::newRow("clean") << QByteArray("h\n1 rest\n24 MBP\n")
                               << "take.dat \u00B7 2 keyframes \u00B7 frames 1\u201324 \u00B7 "
                                  "0:01.0 at 24 fps"
                               << QStringList()
                               << "Copied 2 keyframes from take.dat (Preston Blair, 24 fps)"
                               << false;
        QTest::newRow("unknown names and a bare frame")
            << QByteArray("h\n1 ai\n2 AI\n3 ai\n4\n")
            << "take.dat \u00B7 4 keyframes \u00B7 frames 1\u20133 \u00B7 0:00.1 at 24 fps"
            << QStringList{"Unknown phoneme 'ai' on 2 lines (2, 4): pasted unchanged. Did you "
                           "mean 'AI'?",
                           heldTwo,
                           "A frame without a phoneme on line 5: pasted without a position."}
            << "Copied 4 keyframes from take.dat (Preston Blair, 24 fps); 2 lines have unknown "
               "names; 1 more finding to check"
            << false;
        QTest::newRow("a mouth held one frame, which is advice")
            << QByteArray("h\n1 rest\n2 AI\n6 E\n")
            << "take.dat \u00B7 3 keyframes \u00B7 frames 1\u20136 \u00B7 0:00.3 at 24 fps"
            << QStringList{"1 mouth shows for a single frame (line 2): pasted unchanged. Hold "
                           "each mouth for two frames at least (Edit > Clean Up\u2026)."}
            << "Copied 3 keyframes from take.dat (Preston Blair, 24 fps)" << false;
        QTest::newRow("no header") << QByteArray("1 rest\n") << "take.dat \u00B7 0 keyframes"
                                   << QStringList{"The header line '1 rest' looks like a keyframe "
                                                  "(line 1): skipped as the file's header. The "
                                                  "first line of a timing file is its header; add "
                                                  "one above the first keyframe.",
                                                  "No keyframes after the header line: the "
                                                  "keyframe list will be empty."}
                                   << "Copied 0 keyframes from take.dat (Preston Blair, 24 fps); "
                                      "the file has no keyframes; 1 more finding to check"
                                   << false;
    }

    void aLoadedFileShowsItsSummaryFindingsAndStatus() {
        QFETCH(QByteArray, file);
        QFETCH(QString, summary);
        QFETCH(QStringList, sentences);
        QFETCH(QString, status);
        QFETCH(bool, readLetters);

        AppUnderTest app;
        app.openPath(app.writeFile("take.dat", file));
        // Offered where the finding is, and only there.
        QAction* const action = app.window->readLettersAction();
        QCOMPARE(StatusMessage::of(*app.window->statusBar()).offered() == action,
                 file.contains(" X\n"));
        if (readLetters) {
            action->trigger();
        }
        QCOMPARE(panelOf(app).summary(), summary);
        QCOMPARE(panelOf(app).sentences(), sentences);
        if (readLetters) {
            // The preview reads the names as Convert will.
            QCOMPARE(previewOf(app).track().withoutPosition(), std::uint64_t{0});
        }
        app.vc().go();
        QCOMPARE(app.status(), status);
        QVERIFY(convertOf(app.vc()).mapping() == buildMapping(0, readLetters));
        // Problems make the message a warning, for a status line that can show one, and
        // give their rows the warning look; advice does neither.
        ConvertFacts facts;
        facts.findings = app.vc().findings();
        const std::size_t problems = problemCount(app.vc().findings());
        QCOMPARE(convertStatus(facts, app.vc().loaded()).warning, problems > 0);
        const auto* list = app.window->findChild<QListWidget*>(QStringLiteral("findingsView"));
        const auto look = [&](const QIcon& icon) {
            return icon.pixmap(16).toImage();
        };
        const QImage warningLook = look(list->style()->standardIcon(QStyle::SP_MessageBoxWarning));
        std::size_t warned = 0;
        for (int row = 0; row < list->count(); ++row) {
            warned += look(list->item(row)->icon()) == warningLook ? 1 : 0;
        }
        QCOMPARE(warned, problems);
        // Another file starts with the names as they are.
        app.openPath(app.writeFile("other.dat", file));
        QVERIFY(!action->isChecked() && !app.vc().letters());
    }

    void numbersFollowTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("count"); // 1001
        QTest::addColumn<QString>("time");  // of frame 1001 at 24 fps
        QTest::newRow("United States")
            << QLocale(QLocale::English, QLocale::UnitedStates) << "1,001"
            << "0:41.7";
        QTest::newRow("Germany") << QLocale(QLocale::German, QLocale::Germany) << "1.001"
                                 << "0:41,7";
        QTest::newRow("C, which leaves out the group separator") << QLocale::c() << "1001"
                                                                 << "0:41.7";
    }

    // The window writes every count, frame and line number one way, its locale's.
    void numbersFollowTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(QString, count);
        QFETCH(QString, time);
        const QLocale before;
        QLocale::setDefault(locale);
        const auto back = qScopeGuard([&before] { QLocale::setDefault(before); });
        QByteArray file("h\n");
        for (int frame = 1; frame <= 1001; ++frame) {
            file += QByteArray::number(frame) + " zz\n";
        }
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.openPath(app.writeFile("take.dat", file));
        app.vc().go();

        const TimelinePreview& preview = previewOf(app);
        const QString said[] = {panelOf(app).summary(), panelOf(app).sentences().value(0),
                                app.status(), preview.accessibleDescription(),
                                preview.describeAt(preview.xOfFrame(1001))};
        const QString expected[] = {
            QStringLiteral("%1 keyframes \u00B7 frames 1\u2013%1 \u00B7 %2 at").arg(count, time),
            QStringLiteral("on %1 lines (2, 3, 4, \u2026)").arg(count),
            QStringLiteral(
                "Copied %1 keyframes from take.dat (Preston Blair, 24 fps); %1 lines have "
                "unknown names")
                .arg(count),
            QStringLiteral("%1 keyframes, frames 1 to %1; %1 without a position").arg(count),
            QStringLiteral("Frame %1 (%2) \u00B7 unknown name 'zz'").arg(count, time)};
        for (std::size_t i = 0; i < std::size(said); ++i) {
            QVERIFY2(said[i].contains(expected[i]), qPrintable(said[i]));
        }
    }

    // As many whole findings as fit in up to half the window, whatever its
    // size; Tab reaches them, the keys scroll them, and Ctrl+C copies them all.
    void theFindingsGrowInWholeRowsAndTakeTheKeyboard() {
        QByteArray file("h\n");
        for (const char* name : {"aa", "bb", "cc", "dd", "ee", "ff", "gg", "hh", "ii", "jj"}) {
            file += QByteArray("1 ") + name + "\n";
        }
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowActive(app.window.get()));
        app.openPath(app.writeFile("take.dat", file));
        auto* list = qobject_cast<QListWidget*>(panelOf(app).findingsView());
        QVERIFY(list && list->count() >= 6);
        // The rows that show whole, or -1 when the last of them shows cut.
        const auto wholeRows = [list] {
            int rows = 0;
            for (int height = 0; height < list->viewport()->height() && rows < list->count();
                 ++rows) {
                height += list->visualItemRect(list->item(rows)).height();
                if (height > list->viewport()->height()) {
                    return -1;
                }
            }
            return rows;
        };
        for (const QSize size : {QSize(1900, 1000), QSize(521, 420)}) {
            app.window->resize(size);
            QTRY_VERIFY2(wholeRows() > 0, "a row is cut");
            QVERIFY(panelOf(app).height() <= size.height() / 2);
            QCOMPARE(wholeRows() == list->count(), size.height() == 1000);
        }

        // They come after the form's last control, the Convert button after
        // Play at the end of the shift's row.
        app.vc().shift()->setFocus();
        QTest::keyClick(app.vc().shift(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), app.window->findChild<QPushButton*>("playButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), app.window->findChild<QPushButton*>("convertButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), list);
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 panelOf(app).sentences().join(QLatin1Char('\n')));
        QTest::keyClick(list, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), &previewOf(app));
    }

    // The preview follows the pop-ups from the track it holds: no conversion
    // runs, and the controller's state is untouched.
    void thePreviewFollowsTheSetAndRateWithoutConverting() {
        AppUnderTest app;
        app.window->resize(640, 480);
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.openPath(app.writeFile("take.dat", "h\n0 rest\n24 O\n48 ai\n"));
        TimelinePreview& preview = previewOf(app);
        QCOMPARE(preview.track().size(), std::size_t{3});
        QSignalSpy changed(&preview, &TimelinePreview::previewChanged);

        const double atO = preview.xOfFrame(30);
        const double atUnknown = preview.xOfFrame(48) + 1;
        QCOMPARE(preview.describeAt(atO), QStringLiteral("Frame 24 (0:01.0) \u00B7 O \u00B7 X 10"));
        QCOMPARE(preview.describeAt(atUnknown),
                 QStringLiteral("Frame 48 (0:02.0) \u00B7 unknown name 'ai' \u00B7 no position: "
                                "pasted unchanged"));
        const QImage before = preview.grab().toImage();

        app.vc().pset()->setCurrentIndex(1); // PowerHouse: O is -10
        QCOMPARE(changed.count(), 1);
        QCOMPARE(preview.describeAt(atO),
                 QStringLiteral("Frame 24 (0:01.0) \u00B7 O \u00B7 X -10"));
        QVERIFY(preview.grab().toImage() != before);

        app.vc().frames()->setCurrentIndex(5); // 12 fps
        QCOMPARE(changed.count(), 2);
        QCOMPARE(preview.describeAt(atO),
                 QStringLiteral("Frame 24 (0:02.0) \u00B7 O \u00B7 X -10"));
        QVERIFY(panelOf(app).summary().endsWith(QStringLiteral("0:04.0 at 12 fps")));

        QCOMPARE(convertOf(app.vc()).newdatout(), std::string());
        QCOMPARE(convertOf(app.vc()).fpsheader(), std::string());
        QVERIFY(convertOf(app.vc()).mapping() == buildMapping(-1));
        QCOMPARE(app.takeOutput(), urlLine(app.pathOf("take.dat")));
    }

    // Told by its text, not its name; its letters are always letters.
    // Frames count from 1: the tick for t seconds is where the frame that
    // starts then is drawn, and only ticks within the frames shown are.
    void theTimeAxisTicksAtTheFramesThatStartEachSecond_data() {
        QTest::addColumn<int>("rateIndex");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("frame");
        QTest::newRow("24 fps") << 0 << QByteArray("h\n1 rest\n25 AI\n49 E\n") << "0:01" << 25;
        QTest::newRow("25 fps") << 3 << QByteArray("h\n1 rest\n26 AI\n51 E\n") << "0:01" << 26;
        QTest::newRow("24 fps, from frame 1000")
            << 0 << QByteArray("h\n1000 rest\n1009 AI\n1030 E\n") << "0:42" << 1009;
    }

    void theTimeAxisTicksAtTheFramesThatStartEachSecond() {
        QFETCH(int, rateIndex);
        QFETCH(QByteArray, text);
        QFETCH(QString, label);
        QFETCH(int, frame);
        AppUnderTest app;
        app.window->resize(640, 480);
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.openPath(app.writeFile("take.dat", text));
        app.vc().frames()->setCurrentIndex(rateIndex);
        const TimelinePreview& preview = previewOf(app);

        const auto ticks = preview.rulerTicks();
        const auto tick = std::find_if(ticks.begin(), ticks.end(),
                                       [&label](const auto& t) { return t.second == label; });
        QVERIFY2(tick != ticks.end(), qPrintable(label));
        QVERIFY2(std::abs(tick->first - preview.xOfFrame(std::uint64_t(frame))) < 1e-6,
                 qPrintable(QString::number(tick->first)));
        for (const auto& [x, name] : ticks) {
            QVERIFY2(x >= preview.xOfFrame(preview.viewFrom()) - 1e-6 &&
                         x < preview.xOfFrame(preview.viewTo()),
                     qPrintable(name));
        }
    }

    void aTakeOfSecondsIsReTimedAtEachRate() {
        AppUnderTest app;
        app.openPath(app.writeFile("take.txt", "0.00\tX\n0.50\tA\n1.00\tX\n"));
        QCOMPARE(app.status(), QStringLiteral("Loaded take.txt; Rhubarb TSV, timed in seconds: "
                                              "its frames follow the frame rate"));
        QCOMPARE(panelOf(app).summary(),
                 QStringLiteral("take.txt \u00B7 3 keyframes \u00B7 frames 1\u201325 \u00B7 "
                                "0:01.0 at 24 fps"));
        QVERIFY(!app.window->readLettersAction()->isEnabled());

        app.vc().frames()->setCurrentIndex(5); // 12 fps
        QCOMPARE(panelOf(app).summary(),
                 QStringLiteral("take.txt \u00B7 3 keyframes \u00B7 frames 1\u201313 \u00B7 "
                                "0:01.1 at 12 fps"));
        QCOMPARE(previewOf(app).track().lastFrame(), std::uint64_t{13});
        app.vc().go();
        QCOMPARE(convertOf(app.vc()).newdatout(),
                 convertDataLines("h\n1 rest\n7 MBP\n13 rest\n", buildMapping(0)));
    }

    void aLabelTrackIsReTimedAtEachRate() {
        AppUnderTest app;
        app.openPath(test::samplePath("hello-world-labels.txt"));
        QCOMPARE(app.status(),
                 QStringLiteral("Loaded hello-world-labels.txt; Audacity labels, timed in seconds: "
                                "its frames follow the frame rate"));
        app.vc().go();
        QCOMPARE(convertOf(app.vc()).newdatout(),
                 convertDataLines(test::readSample("hello-world-24fps.dat").toStdString(),
                                  buildMapping(0)));

        app.vc().frames()->setCurrentIndex(6); // 8 fps: L and O share frame 3, and L wins
        app.vc().go();
        QCOMPARE(convertOf(app.vc()).newdatout(),
                 convertDataLines("h\n1 rest\n2 E\n3 L\n5 rest\n6 WQ\n7 O\n8 L\n9 D\n10 rest\n",
                                  buildMapping(0)));
    }

    void aProjectOfSeveralVoicesOffersThem() {
        AppUnderTest app;
        app.openPath(test::samplePath("two-voices.pgo"));
        auto* voices = app.window->findChild<QComboBox*>(QStringLiteral("voices"));
        QVERIFY(voices->isVisibleTo(app.window.get()));
        QCOMPARE(voices->count(), 2);
        // The sample names a sound that samples/ does not hold.
        QVERIFY2(app.status().endsWith(QStringLiteral(
                     "Papagayo-NG project at 24 fps, voice 'Ann' (1 of 2); the sound file the "
                     "project names, 'two-voices.wav', is not there: playback is silent")),
                 qPrintable(app.status()));

        voices->setCurrentIndex(1);
        app.vc().go();
        QVERIFY(app.status().contains(QStringLiteral("from two-voices.pgo, voice 'Bob' (Preston "
                                                     "Blair, 24 fps)")));
        QCOMPARE(convertOf(app.vc()).newdatout(),
                 convertDataLines(test::readSample("two-voices-bob.dat").toStdString(),
                                  buildMapping(0)));
        const QString bobHeld = "3 mouths show for a single frame (lines 51, 52, 54): pasted "
                                "unchanged. Hold each mouth for two frames at least (Edit > "
                                "Clean Up\u2026).";
        QCOMPARE(panelOf(app).sentences(), QStringList{bobHeld});
        app.vc().frames()->setCurrentIndex(2); // 30 fps
        QCOMPARE(panelOf(app).sentences(),
                 (QStringList{"The project is timed at 24 fps, not at the chosen rate: keys land "
                              "on the project's frames. Choose 24 fps, or re-time the project in "
                              "its tool.",
                              bobHeld}));

        // A file of one voice hides the row again.
        app.openPath(app.writeFile("take.dat", "h\n1 AI\n"));
        QVERIFY(!voices->isVisibleTo(app.window.get()));
    }

    // A folder's chart is used for its files, and a chosen one for every file
    // until it is let go; one that cannot be read changes nothing.
    void aChartBesideTheFileIsUsed() {
        AppUnderTest app;
        app.window->resize(640, 480);
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        QVERIFY(QDir(app.dir.path()).mkpath(QStringLiteral("rig")));
        QVERIFY(QDir(app.dir.path()).mkpath(QStringLiteral("other")));
        const QByteArray chartText("# the rig's drawings\nrest\nMBP\nAI E O etc\n");
        app.writeFile(QStringLiteral("rig/mouth-chart.txt"), chartText);
        const QByteArray file("h\n0 rest\n24 O\n48 L\n");
        const QString take = app.writeFile(QStringLiteral("rig/take.dat"), file);
        auto* chartLine = app.window->findChild<ElidedLabel*>(QStringLiteral("chart"));
        QVERIFY(chartLine->text().startsWith(QStringLiteral("Chart (Preston Blair's own chart): "
                                                            "0 rest \u00B7 1 AI TH CH D K")));
        QSignalSpy chartChanged(&app.vc(), &ViewController::chartChanged);

        app.openPath(take);
        QCOMPARE(app.status(), QStringLiteral("Loaded take.dat; using the mouth chart in "
                                              "mouth-chart.txt"));
        QCOMPARE(chartChanged.count(), 1);
        QCOMPARE(chartLine->text(), QStringLiteral("Chart (mouth-chart.txt): 0 rest \u00B7 1 MBP "
                                                   "\u00B7 2 AI E O etc"));

        // The preview names its heights by drawing where the target pastes drawings.
        TimelinePreview& preview = previewOf(app);
        QVERIFY(preview.axisNames().isEmpty());
        app.vc().target()->setCurrentIndex(1);
        QCOMPARE(preview.axisNames().front(), std::pair(-50, QStringLiteral("rest")));
        QCOMPARE(preview.describeAt(preview.xOfFrame(30)),
                 QStringLiteral("Frame 24 (0:01.0) \u00B7 O \u00B7 drawing 2"));
        QCOMPARE(preview.describeAt(preview.xOfFrame(48) + 1),
                 QStringLiteral("Frame 48 (0:02.0) \u00B7 L \u00B7 no drawing: left out"));

        app.vc().go();
        TargetChoices choices;
        choices.target = Target::TimeRemap;
        choices.chart = readMouthChart(chartText.toStdString()).chart;
        std::string document;
        writeTargetDocument(datCues(file.toStdString()), choices,
                            [&document](std::string_view chunk) { document += chunk; });
        QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), document);
        QVERIFY(app.status().endsWith(QStringLiteral("Time Remap); 1 finding to check")));

        const auto chooseChart = [&app](const QString& name, const QByteArray& text) {
            app.chooser->answers.push_back(
                {FileChoice::Outcome::Confirmed, QUrl::fromLocalFile(app.writeFile(name, text))});
            app.window->chooseChartAction()->trigger();
        };
        const QString inUse = chartLine->text();
        chooseChart(QStringLiteral("bad.txt"), "# no drawing here\n");
        QCOMPARE(app.statusMessage().kind(), StatusMessage::Kind::Failure);
        QCOMPARE(app.status(), QStringLiteral("Cannot read 'bad.txt': the mouth chart lists no "
                                              "drawing; the chart in use is unchanged"));
        QCOMPARE(chartLine->text(), inUse);
        QVERIFY(!app.window->forgetChartAction()->isEnabled());

        chooseChart(QStringLiteral("chosen.txt"), "rest\nAI E O\n");
        QCOMPARE(app.status(), QStringLiteral("Using the mouth chart in chosen.txt"));
        QVERIFY(chartLine->text().startsWith(QStringLiteral("Chart (chosen.txt): 0 rest")));
        app.openPath(take);
        QCOMPARE(app.status(), QStringLiteral("Loaded take.dat; the chosen mouth chart chosen.txt "
                                              "is used, not the mouth-chart.txt beside it"));
        app.window->forgetChartAction()->trigger();
        QCOMPARE(app.status(), QStringLiteral("The chosen mouth chart is no longer used; using "
                                              "the mouth chart in mouth-chart.txt"));
        QCOMPARE(chartLine->text(), inUse);

        // A folder without a chart gives its files the set's.
        app.openPath(app.writeFile(QStringLiteral("other/take.dat"), file));
        QCOMPARE(app.status(), QStringLiteral("Loaded take.dat"));
        QVERIFY(chartLine->text().startsWith(QStringLiteral("Chart (Preston Blair's own chart)")));
        QCOMPARE(app.chooser->chartsAsked, 2);
    }

    // Each line has the one outcome the chosen target gives it, before anything is converted.
    void theFindingsFollowTheTargetChartAndShift() {
        AppUnderTest app;
        QVERIFY(QDir(app.dir.path()).mkpath(QStringLiteral("rig")));
        app.writeFile(QStringLiteral("rig/mouth-chart.txt"), "rest\nMBP\nAI E O etc\n");
        app.openPath(
            app.writeFile(QStringLiteral("rig/take.dat"), "h\n1 rest\n3 ai\n5 L\n7 MBP\n"));
        const QString unknownAi =
            QStringLiteral("Unknown phoneme 'ai' on line 3: %1. Did you mean 'AI'?");
        const QString beforeZero = QStringLiteral("Keys shifted before frame 0 (the first at frame "
                                                  "1) on line 2: left out.");
        QCOMPARE(panelOf(app).sentences(), QStringList{unknownAi.arg("pasted unchanged")});

        app.vc().target()->setCurrentIndex(1); // Time Remap, with the rig's chart
        QCOMPARE(panelOf(app).sentences(),
                 (QStringList{unknownAi.arg("left out"),
                              "No drawing in the mouth chart for 'L' on line 4: left out."}));
        // The document holds the drawing before a key it leaves out, and so do the preview and
        // the mouth shown at its frame.
        QCOMPARE(previewOf(app).marked(), std::uint64_t{2});
        const ViewController::PlayedMouth atL = app.vc().mouthAt(app.vc().positionOfTrackFrame(6));
        QCOMPARE(atL.mouth.name, QStringLiteral("rest"));
        QVERIFY(!atL.mouth.noPosition);

        app.chooser->answers.push_back(
            {FileChoice::Outcome::Confirmed,
             QUrl::fromLocalFile(app.writeFile("all.txt", "rest\nMBP ai\nAI E O etc L\n"))});
        app.window->chooseChartAction()->trigger();
        QCOMPARE(panelOf(app).sentences(), QStringList());
        QCOMPARE(previewOf(app).marked(), std::uint64_t{1}); // ai is still no phoneme here

        app.vc().shift()->setValue(-4);
        QCOMPARE(panelOf(app).sentences(), QStringList{beforeZero});
        app.vc().target()->setCurrentIndex(0);
        QCOMPARE(panelOf(app).sentences(),
                 (QStringList{unknownAi.arg("pasted unchanged"), beforeZero}));
        app.vc().shift()->setValue(0);
        QCOMPARE(panelOf(app).sentences(), QStringList{unknownAi.arg("pasted unchanged")});
        QCOMPARE(convertOf(app.vc()).fpsheader(), std::string());
    }

    // The preview marks just the keys the document leaves out, whatever the chart: each key's
    // drawing is looked up by the name it was written as, as the document's are.
    void thePreviewMarksTheKeysTheDocumentLeavesOut_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("readLetters");
        QTest::addColumn<QByteArray>("chart");
        QTest::addColumn<int>("marked");

        QTest::newRow("phoneme names, a chart without L")
            << "take.dat" << QByteArray("h\n1 rest\n5 L\n9 MBP\n") << false
            << QByteArray("rest\nMBP\nAI E O etc\n") << 1;
        QTest::newRow("a letter take, a chart that lists A but not MBP")
            << "take.txt" << QByteArray("0.00\tX\n0.50\tA\n1.00\tB\n") << true
            << QByteArray("X\nA\n") << 1;
        QTest::newRow("letters read as such, A drawn and MBP not")
            << "take.dat" << QByteArray("h\n1 X\n5 A\n9 MBP\n") << true << QByteArray("X\nA\n")
            << 1;
    }

    void thePreviewMarksTheKeysTheDocumentLeavesOut() {
        QFETCH(QString, name);
        QFETCH(QByteArray, file);
        QFETCH(bool, readLetters);
        QFETCH(QByteArray, chart);
        QFETCH(int, marked);

        AppUnderTest app;
        app.writeFile(QString::fromStdString(std::string(mouthChartFileName)), chart);
        app.openPath(app.writeFile(name, file));
        if (readLetters && !app.vc().letters()) {
            app.window->readLettersAction()->trigger();
        }
        QCOMPARE(app.vc().letters(), readLetters);
        app.vc().target()->setCurrentIndex(1); // Time Remap, with the folder's chart
        app.vc().hold()->setChecked(false);

        const LoadedTiming& loaded = *app.vc().loaded();
        const std::vector<Cue> cues =
            loaded.take ? loaded.cues : datCues(loadOf(app.vc()).newdat());
        const TargetResult written =
            writeTargetDocument(cues, app.vc().choices(), [](std::string_view) {});
        QCOMPARE(previewOf(app).marked(), static_cast<std::uint64_t>(marked));
        QCOMPARE(previewOf(app).marked(), cues.size() - written.keyframes);
    }

    // The field takes any rate the converter takes; a row's rate selects the row.
    void aTypedRateIsUsedEverywhere() {
        AppUnderTest app;
        app.openPath(app.writeFile("take.dat", "h\n1 rest\n2398 MBP\n"));
        QLineEdit* field = app.vc().rateField();
        QCOMPARE(field->text(), QStringLiteral("24"));
        const auto type = [&](const QString& text) {
            field->setText(text);
            emit field->editingFinished();
        };
        type(QStringLiteral("23.976"));
        QCOMPARE(app.vc().frames()->currentIndex(), -1);
        QVERIFY(panelOf(app).summary().endsWith(QStringLiteral("1:40.0 at 23.976 fps")));
        QCOMPARE(previewOf(app).rate().title(), std::string_view("23.976"));
        app.vc().go();
        QCOMPARE(convertOf(app.vc()).fpsheader(), std::string("\tUnits Per Second\t23.976"));
        QVERIFY(app.status().endsWith(QStringLiteral("(Preston Blair, 23.976 fps)")));

        type(QStringLiteral("abc"));
        QCOMPARE(app.statusMessage().kind(), StatusMessage::Kind::Failure);
        QCOMPARE(field->text(), QStringLiteral("23.976"));
        type(QStringLiteral("25.0"));
        QCOMPARE(app.vc().frames()->currentIndex(), 3);
        QCOMPARE(field->text(), QStringLiteral("25"));
        app.vc().frames()->setCurrentIndex(0);
        QCOMPARE(field->text(), QStringLiteral("24"));
        QVERIFY(panelOf(app).summary().endsWith(QStringLiteral("at 24 fps")));
    }

    void emptyAndSingleKeyframeFilesHaveTheirOwnPictures() {
        AppUnderTest app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        TimelinePreview& preview = previewOf(app);

        app.openPath(app.writeFile("one.dat", "h\n12 MBP\n"));
        QCOMPARE(preview.track().size(), std::size_t{1});
        QCOMPARE(preview.describeAt(preview.xOfFrame(15)),
                 QStringLiteral("Frame 12 (0:00.5) \u00B7 MBP \u00B7 X 0"));
        QVERIFY(preview.describeAt(preview.xOfFrame(12) - 20).isEmpty());
        QVERIFY(!preview.grab().isNull());

        app.openPath(app.writeFile("empty.dat", ""));
        QVERIFY(preview.track().empty());
        QVERIFY(preview.describeAt(preview.width() / 2.0).isEmpty());
        QCOMPARE(preview.accessibleDescription(), QStringLiteral("No keyframes"));
    }

    // A cancelled or failed open leaves the loaded text, so the panel keeps describing it.
    void thePanelDescribesTheTextThatIsLoaded() {
        AppUnderTest app;
        app.openPath(app.writeFile("first.dat", "h\n1 AI\n"));
        app.openPath(app.writeFile("bad.dat", "h\n2 E\n\xFF"));
        app.cancelOpen();
        QVERIFY(panelOf(app).summary().startsWith(QStringLiteral("first.dat \u00B7 1 keyframe")));
        app.vc().go();
        QCOMPARE(app.status(), QStringLiteral("Copied 1 keyframe from first.dat (Preston Blair, "
                                              "24 fps)"));
    }
};

QTEST_MAIN(TimingOverviewTest)
#include "TimingOverviewTest.moc"
