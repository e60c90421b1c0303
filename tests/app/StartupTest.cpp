#include "AppTestSupport.h"

#include "conversion/MappingTables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>

#include <cstdlib>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

// Free-standing controls, to wire a controller with one of them left out.
struct LooseControls {
    QComboBox frames;
    QLabel fpstext;
    QComboBox pset;
    QLabel fileselect;
    ImageView picture;
    QStatusBar statusline;
    QComboBox target;
    QCheckBox hold;
    QSpinBox shift;

    void connectAllBut(ViewController& vc, const QString& missing) {
        if (missing != QLatin1String("frames")) {
            vc.setFrames(&frames);
        }
        if (missing != QLatin1String("fpstext")) {
            vc.setFpstext(&fpstext);
        }
        if (missing != QLatin1String("pset")) {
            vc.setPset(&pset);
        }
        if (missing != QLatin1String("fileselect")) {
            vc.setFileselect(&fileselect);
        }
        if (missing != QLatin1String("Picture")) {
            vc.setPicture(&picture);
        }
        if (missing != QLatin1String("statusline")) {
            vc.setStatusline(&statusline);
        }
        if (missing != QLatin1String("target")) {
            vc.setTarget(&target);
        }
        if (missing != QLatin1String("hold")) {
            vc.setHold(&hold);
        }
        if (missing != QLatin1String("shift")) {
            vc.setShift(&shift);
        }
    }
};

void runAction(ViewController& vc, const QString& action) {
    if (action == QLatin1String("viewDidLoad")) {
        vc.viewDidLoad();
    } else if (action == QLatin1String("Opendat")) {
        vc.Opendat();
    } else {
        vc.go();
    }
}

constexpr const char* childVariable = "MOUTHKEY_FATAL_CHILD";

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithNothingLoaded() {
        AppUnderTest app;
        const ViewController& vc = app.vc();

        QCOMPARE(app.window->windowTitle(), QStringLiteral("Mouthkey"));
        QCOMPARE(app.label(), QStringLiteral("None"));
        QCOMPARE(app.picture(), QStringLiteral("rest"));
        QCOMPARE(itemsOf(vc.frames()),
                 (QStringList{"24", "29.97", "30", "25", "15", "12", "8", "60", "50", "59.97"}));
        QCOMPARE(itemsOf(vc.pset()), (QStringList{"Preston Blair", "PowerHouse", "Simplified Flash",
                                                  "Adobe Character Animator", "Full Set"}));

        QVERIFY(convertOf(vc).mapping() == buildMapping(-1));
        QCOMPARE(convertOf(vc).mapping().find("AI"),
                 std::optional<std::string_view>("\t-40\t4.00668\t0"));
        QCOMPARE(convertOf(vc).fps(), std::string("\tUnits Per Second\t24"));
        QCOMPARE(loadOf(vc).newdat(), std::string("new dat"));
        QCOMPARE(convertOf(vc).newdatout(), std::string());
        QCOMPARE(convertOf(vc).fpsheader(), std::string());
        QCOMPARE(convertOf(vc).headertop(),
                 std::string_view("Adobe After Effects 8.0 Keyframe Data\n"));
        QCOMPARE(convertOf(vc).footer().substr(0, 16), std::string_view("Expression Data\n"));
        QVERIFY(vc.fpstext() != nullptr);

        QCOMPARE(app.takeOutput(), std::string());
        QCOMPARE(app.status(), QString());
    }

    void everyControlHasAnAccessibleName() {
        AppUnderTest app;
        const QList<QWidget*> focusable = {
            app.window->findChild<QPushButton*>("openButton"),
            app.vc().pset(),
            app.vc().frames(),
            app.window->findChild<QPushButton*>("convertButton"),
            app.vc().fileselect(),
            app.vc().Picture(),
        };
        for (const QWidget* widget : focusable) {
            QVERIFY(widget != nullptr);
            QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
        }
    }

    void imagesAreFoundByName_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("rest") << "rest";
        QTest::newRow("smile") << "smile";
        QTest::newRow("happy") << "happy";
    }

    void imagesAreFoundByName() {
        QFETCH(QString, name);
        ImageView view;
        view.setImageNamed(name);
        QVERIFY(view.hasImage());
        QCOMPARE(view.imageName(), name);
    }

    void unknownImageNameEmptiesTheView() {
        ImageView view;
        view.setImageNamed(QStringLiteral("rest"));
        view.setImageNamed(QStringLiteral("frown"));
        QVERIFY(!view.hasImage());
        QCOMPARE(view.imageName(), QString());
        view.setImageNamed(QString());
        QVERIFY(!view.hasImage());
    }

    void missingControlIsFatal_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("missing");
        QTest::newRow("viewDidLoad without frames") << "viewDidLoad"
                                                    << "frames";
        QTest::newRow("viewDidLoad without pset") << "viewDidLoad"
                                                  << "pset";
        QTest::newRow("viewDidLoad without Picture") << "viewDidLoad"
                                                     << "Picture";
        QTest::newRow("Opendat without fileselect") << "Opendat"
                                                    << "fileselect";
        QTest::newRow("Opendat without Picture") << "Opendat"
                                                 << "Picture";
        QTest::newRow("go without frames") << "go"
                                           << "frames";
        QTest::newRow("go without pset") << "go"
                                         << "pset";
        QTest::newRow("go without statusline") << "go"
                                               << "statusline";
        QTest::newRow("viewDidLoad without target") << "viewDidLoad"
                                                    << "target";
        QTest::newRow("go without shift") << "go"
                                          << "shift";
    }

    // The fatal stop ends the process, so each case runs in a child process
    // that re-enters this test function for its own row.
    void missingControlIsFatal() {
        QFETCH(QString, action);
        QFETCH(QString, missing);

        if (qEnvironmentVariableIsSet(childVariable)) {
            std::ostringstream out;
            ViewController vc(std::make_unique<ScriptedChooser>(), out);
            LooseControls controls;
            controls.connectAllBut(vc, missing);
            runAction(vc, action);
            std::exit(0); // reaching this line is the failure the parent sees
        }

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(childVariable), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("-nocrashhandler"),
                     QStringLiteral("missingControlIsFatal:%1").arg(QTest::currentDataTag())});
        QVERIFY(child.waitForFinished(60000));
        const QString log = QString::fromLocal8Bit(child.readAll());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY2(log.contains(QStringLiteral("no \"%1\" control").arg(missing)), qPrintable(log));
    }

    void fpstextIsNotNeeded() {
        std::ostringstream out;
        ViewController vc(std::make_unique<ScriptedChooser>(), out);
        LooseControls controls;
        controls.connectAllBut(vc, QStringLiteral("fpstext"));
        vc.viewDidLoad();
        vc.Opendat();
        vc.go();
        QCOMPARE(controls.picture.imageName(), QStringLiteral("happy"));
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
