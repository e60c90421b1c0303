#include "AppTestSupport.h"

#include "app/FindingsPanel.h"
#include "conversion/MappingTables.h"
#include "conversion/Targets.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

// The document's fixed texts, written out here independently of the code.
const std::string top = "Adobe After Effects 8.0 Keyframe Data\n";
const std::string bottom = "\tSource Width\t1\n"
                           "\tSource Height\t1\n"
                           "\tSource Pixel Aspect Ratio\t1\n"
                           "\tComp Pixel Aspect Ratio\t1\n"
                           "\n"
                           "Transform\tPosition\n"
                           "\tFrame\tX pixels\tY pixels\tZ pixels";
const std::string tail = "Expression Data\n"
                         "[value[0],0];\n"
                         "End of Expression Data\n"
                         "\n"
                         "\n"
                         "End of Keyframe Data";

std::string expectedDocument(const std::string& rate, const std::string& keyframes) {
    return top + "\n" + rate + "\n" + bottom + "\n" + keyframes + "\n" + tail;
}

std::string expectedOutput(const std::string& rate, const std::string& keyframes) {
    return "\n" + top + "\n" + rate + "\n" + bottom + "\n" + keyframes + "\n" + tail + "\n";
}

std::string clipboardText() {
    return QGuiApplication::clipboard()->text().toStdString();
}

void select(const AppUnderTest& app, int set, int rate) {
    app.vc().pset()->setCurrentIndex(set);
    app.vc().frames()->setCurrentIndex(rate);
}

} // namespace

class ConvertTest : public QObject {
    Q_OBJECT

private slots:
    void convertsWithTheChosenSetAndRate_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("rateLine");
        QTest::addColumn<QString>("keyframes");
        QTest::addColumn<QString>("status");

        const QByteArray restMbp("MohoSwitch1\n1 rest\n5 MBP\n");
        QTest::newRow("Preston Blair at 25")
            << 0 << 3 << restMbp << "\tUnits Per Second\t25"
            << "\t1 \t-50\t4.00668\t0\n\t5 \t0\t4.00668\t0\n"
            << "Copied 2 keyframes from take.dat (Preston Blair, 25 fps)";
        QTest::newRow("PowerHouse at 29.97")
            << 1 << 1 << restMbp << "\tUnits Per Second\t29.97"
            << "\t1 \t-50\t4.00668\t0\n\t5 \t10\t4.00668\t0\n"
            << "Copied 2 keyframes from take.dat (PowerHouse, 29.97 fps)";
        QTest::newRow("Simplified Flash at 12")
            << 2 << 5 << QByteArray("h\r\n1 O\r\n2 U\r\n3 WQ\r\n4 MBP\r\n")
            << "\tUnits Per Second\t12"
            << "\t1 \t0\t4.00668\t0\n\t2 \t0\t4.00668\t0\n\t3 \t0\t4.00668\t0\n"
               "\t4 \t-40\t4.00668\t0\n"
            << "Copied 4 keyframes from take.dat (Simplified Flash, 12 fps)";
        QTest::newRow("Adobe Character Animator at 8")
            << 3 << 6 << QByteArray("h\n1 K\n2 L\n3 Ah") << "\tUnits Per Second\t8"
            << "\t1 \t-4\t4.00668\t0\n\t2 \t5\t4.00668\t0\n\t3 Ah\n"
            << "Copied 3 keyframes from take.dat (Adobe Character Animator, 8 fps); 1 line has an "
               "unknown name";
        QTest::newRow("Full Set at 59.97")
            << 4 << 9 << QByteArray("h\n3 AI\n4 WQ\n\n7 K") << "\tUnits Per Second\t59.97"
            << "\t3 \t-42\t4.00668\t0\n\t4 \t8\t4.00668\t0\n\t7 \t43\t4.00668\t0\n"
            << "Copied 3 keyframes from take.dat (Full Set, 59.97 fps)";
        QTest::newRow("one keyframe at 60")
            << 0 << 7 << QByteArray("h\n12 MBP") << "\tUnits Per Second\t60"
            << "\t12 \t0\t4.00668\t0\n"
            << "Copied 1 keyframe from take.dat (Preston Blair, 60 fps)";
        QTest::newRow("nothing selected")
            << -1 << -1 << restMbp << "\tUnits Per Second\t24"
            << "\t1 \t-50\t4.00668\t0\n\t5 \t0\t4.00668\t0\n"
            << "Copied 2 keyframes from take.dat (Preston Blair, 24 fps)";
    }

    void convertsWithTheChosenSetAndRate() {
        QFETCH(int, set);
        QFETCH(int, rate);
        QFETCH(QByteArray, file);
        QFETCH(QString, rateLine);
        QFETCH(QString, keyframes);
        QFETCH(QString, status);

        AppUnderTest app;
        app.openPath(app.writeFile("take.dat", file));
        app.takeOutput();
        select(app, set, rate);
        QCOMPARE(app.vc().pset()->currentIndex(), set);
        QCOMPARE(app.vc().frames()->currentIndex(), rate);

        app.vc().go();

        QCOMPARE(clipboardText(),
                 expectedDocument(rateLine.toStdString(), keyframes.toStdString()));
        QCOMPARE(app.takeOutput(), expectedOutput(rateLine.toStdString(), keyframes.toStdString()));
        QCOMPARE(app.picture(), QStringLiteral("happy"));
        QCOMPARE(app.status(), status);
        QVERIFY(convertOf(app.vc()).mapping() == buildMapping(set));
        QCOMPARE(convertOf(app.vc()).fps(), rateLine.toStdString());
        QCOMPARE(convertOf(app.vc()).fpsheader(), rateLine.toStdString());
        QCOMPARE(convertOf(app.vc()).newdatout(), keyframes.toStdString());
        QCOMPARE(loadOf(app.vc()).newdat(), file.toStdString());
    }

    void otherChoicesCopyTheirTargetsDocument_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("hold"); // after the target has set its default
        QTest::addColumn<int>("shift");
        // The .dat text whose cues the document is of, and with letters or not.
        QTest::addColumn<QByteArray>("cues");
        QTest::addColumn<bool>("letters");
        QTest::addColumn<QString>("status");

        const QByteArray take("h\n1 rest\n5 MBP\n9 zz\n");
        QTest::newRow("Time Remap, held")
            << "take.dat" << take << 1 << true << 0 << take << false
            << "Copied 2 keys and 1 hold step from take.dat (Preston Blair, 24 fps, Time Remap); 1 "
               "line has an unknown name";
        QTest::newRow("Slider Control, not held, shifted back past frame 0")
            << "take.dat" << take << 2 << false << -3 << take << false
            << "Copied 2 keyframes from take.dat (Preston Blair, 24 fps, Slider Control); 1 line "
               "has an unknown name";
        QTest::newRow("Position, shifted")
            << "take.dat" << take << 0 << false << 2 << take << false
            << "Copied 3 keyframes from take.dat (Preston Blair, 24 fps); 1 line has an unknown "
               "name";
        QTest::newRow("a take's own cues, letters")
            << "take.txt" << QByteArray("0.00\tX\n0.50\tA\n1.00\tX\n") << 1 << true << 0
            << QByteArray("h\n1 X\n13 A\n25 X\n") << true
            << "Copied 3 keys and 2 hold steps from take.txt (Preston Blair, letter mouth shapes, "
               "24 fps, Time Remap)";
    }

    // The document is the one the core writes for the same cues and choices,
    // echoed as the plain one is; the findings panel lists what it left out.
    void otherChoicesCopyTheirTargetsDocument() {
        QFETCH(QString, name);
        QFETCH(QByteArray, file);
        QFETCH(int, target);
        QFETCH(bool, hold);
        QFETCH(int, shift);
        QFETCH(QByteArray, cues);
        QFETCH(bool, letters);
        QFETCH(QString, status);

        AppUnderTest app;
        app.openPath(app.writeFile(name, file));
        app.takeOutput();
        app.vc().target()->setCurrentIndex(target);
        app.vc().hold()->setChecked(hold);
        app.vc().shift()->setValue(shift);
        app.vc().go();

        TargetChoices choices;
        choices.target = targets[static_cast<std::size_t>(target)];
        choices.letters = letters;
        choices.hold = hold;
        choices.offset = shift;
        std::string document;
        const TargetResult expected =
            writeTargetDocument(datCues(cues.toStdString()), choices,
                                [&document](std::string_view chunk) { document += chunk; });
        QVERIFY(document.starts_with(top));
        QCOMPARE(clipboardText(), document);
        QCOMPARE(app.takeOutput(), "\n" + document + "\n");
        QCOMPARE(app.status(), status);
        QCOMPARE(app.vc().writtenFindings().size(), expected.findings.size());
        const auto* panel = app.window->findChild<FindingsPanel*>();
        QCOMPARE(panel->sentences().size(),
                 qsizetype(app.vc().loaded()->report.findings.size() + expected.findings.size()));
        QCOMPARE(convertOf(app.vc()).newdatout(), std::string());
        QCOMPARE(convertOf(app.vc()).fpsheader(), std::string("\tUnits Per Second\t24"));
    }

    void convertBeforeAnyOpenGivesAnEmptyKeyframeSection() {
        AppUnderTest app;
        app.vc().go();
        QCOMPARE(loadOf(app.vc()).newdat(), std::string("new dat"));
        QCOMPARE(clipboardText(), expectedDocument("\tUnits Per Second\t24", ""));
        const std::string out = app.takeOutput();
        QVERIFY(
            out.starts_with("\nAdobe After Effects 8.0 Keyframe Data\n\n\tUnits Per Second\t24\n"));
        QCOMPARE(
            app.status(),
            QStringLiteral("No timing file loaded: copied an empty keyframe list (Preston Blair, "
                           "24 fps)"));
    }

    void emptyFileConvertsWithoutKeyframes() {
        AppUnderTest app;
        app.openPath(app.writeFile("empty.dat", QByteArray()));
        app.vc().go();
        QCOMPARE(convertOf(app.vc()).newdatout(), std::string());
        QCOMPARE(clipboardText(), expectedDocument("\tUnits Per Second\t24", ""));
    }

    void clipboardHoldsOnlyTheDocument() {
        auto* earlier = new QMimeData;
        earlier->setHtml(QStringLiteral("<b>earlier</b>"));
        earlier->setText(QStringLiteral("earlier"));
        QGuiApplication::clipboard()->setMimeData(earlier);

        AppUnderTest app;
        app.vc().go();
        const QMimeData* now = QGuiApplication::clipboard()->mimeData();
        QVERIFY(now != nullptr);
        QVERIFY(!now->hasHtml());
        QCOMPARE(now->text().toStdString(), expectedDocument("\tUnits Per Second\t24", ""));
    }

    // The loaded text stays, so other choices need no second Open.
    void sameFileConvertsAgainWithOtherChoices() {
        AppUnderTest app;
        app.openPath(app.writeFile("take.dat", "h\n1 etc\n"));
        select(app, 0, 0);
        app.vc().go();
        QCOMPARE(convertOf(app.vc()).newdatout(), std::string("\t1 \t40\t4.00668\t0\n"));
        const std::string first = clipboardText();
        app.vc().go();
        QCOMPARE(clipboardText(), first);

        select(app, 1, 8);
        app.vc().go();
        QCOMPARE(clipboardText(),
                 expectedDocument("\tUnits Per Second\t50", "\t1 \t-40\t4.00668\t0\n"));
        QCOMPARE(app.chooser->asked, 1);
    }

    // A failed open must not leave half a file behind for the next conversion.
    void convertAfterFailedOpenUsesTheEarlierText() {
        AppUnderTest app;
        app.openPath(app.writeFile("good.dat", "h\n1 AI\n"));
        app.openPath(app.writeFile("bad.dat", "h\n2 E\n\xFF"));
        select(app, 0, 0);
        app.vc().go();
        QCOMPARE(convertOf(app.vc()).newdatout(), std::string("\t1 \t-40\t4.00668\t0\n"));
    }
};

QTEST_MAIN(ConvertTest)
#include "ConvertTest.moc"
