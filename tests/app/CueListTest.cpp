#include "AppTestSupport.h"

#include "app/CueList.h"
#include "app/CueListModel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QSignalSpy>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

// "12 AI" a cue, numbered from line 2 as a .dat file's would be; "+12 AI"
// one the user added, from no line.
std::vector<Cue> cuesOf(const QStringList& lines) {
    std::vector<Cue> cues;
    for (const QString& line : lines) {
        const bool added = line.startsWith(u'+');
        const QStringList parts = line.mid(added ? 1 : 0).split(u' ');
        cues.push_back(
            {parts[0].toULongLong(), parts[1].toStdString(), {added ? 0 : cues.size() + 2, 0}});
    }
    return cues;
}

QStringList rowsOf(const QAbstractItemModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column :
             {CueListModel::FrameColumn, CueListModel::MouthColumn, CueListModel::LineColumn}) {
            cells << model.index(row, column).data().toString();
        }
        rows << cells.join(u'|');
    }
    return rows;
}

// The model's signals, one line each, in the order they came.
void recordSignals(const QAbstractItemModel& model, QStringList& log) {
    const auto rows = [&log](const char* what) {
        return [&log, what](const QModelIndex&, int first, int last) {
            log << QStringLiteral("%1 %2-%3").arg(QLatin1String(what)).arg(first).arg(last);
        };
    };
    QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, &model, rows("remove"));
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &model, rows("removed"));
    QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, &model, rows("insert"));
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model, rows("inserted"));
    QObject::connect(&model, &QAbstractItemModel::modelReset, &model, [&log] { log << "reset"; });
    QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                     [&log](const QModelIndex& from, const QModelIndex& to) {
                         log << QStringLiteral("changed %1-%2 columns %3-%4")
                                    .arg(from.row())
                                    .arg(to.row())
                                    .arg(from.column())
                                    .arg(to.column());
                     });
}

const QStringList fiveCues{"1 rest", "5 AI", "9 E", "14 MBP", "20 rest"};

} // namespace

class CueListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void aSpliceTellsTheViewsOfTheRowsItTouches_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("rows"); // Frame|Mouth|Line after it
        QTest::addColumn<QStringList>("told"); // what the model says

        QTest::newRow("a move in the middle")
            << 1 << 2 << QStringList{"6 AI", "10 E"}
            << QStringList{"1|rest|2", "6|AI|3", "10|E|4", "14|MBP|5", "20|rest|6"}
            << QStringList{"changed 1-2 columns 0-3"};
        QTest::newRow("a mouth changed at the end")
            << 4 << 1 << QStringList{"20 O"}
            << QStringList{"1|rest|2", "5|AI|3", "9|E|4", "14|MBP|5", "20|O|6"}
            << QStringList{"changed 4-4 columns 0-3"};
        QTest::newRow("an insert at the start")
            << 0 << 0 << QStringList{"+1 MBP"}
            << QStringList{"1|MBP|", "1|rest|2", "5|AI|3", "9|E|4", "14|MBP|5", "20|rest|6"}
            << QStringList{"insert 0-0", "inserted 0-0"};
        QTest::newRow("an insert in the middle")
            << 2 << 0 << QStringList{"+7 FV"}
            << QStringList{"1|rest|2", "5|AI|3", "7|FV|", "9|E|4", "14|MBP|5", "20|rest|6"}
            << QStringList{"insert 2-2", "inserted 2-2"};
        QTest::newRow("inserts at the end")
            << 5 << 0 << QStringList{"+30 O", "+31 U"}
            << QStringList{"1|rest|2", "5|AI|3", "9|E|4", "14|MBP|5", "20|rest|6", "30|O|", "31|U|"}
            << QStringList{"insert 5-6", "inserted 5-6"};
        QTest::newRow("a delete at the start")
            << 0 << 1 << QStringList{} << QStringList{"5|AI|3", "9|E|4", "14|MBP|5", "20|rest|6"}
            << QStringList{"remove 0-0", "removed 0-0"};
        QTest::newRow("a delete in the middle")
            << 1 << 3 << QStringList{} << QStringList{"1|rest|2", "20|rest|6"}
            << QStringList{"remove 1-3", "removed 1-3"};
        QTest::newRow("a delete at the end")
            << 4 << 1 << QStringList{} << QStringList{"1|rest|2", "5|AI|3", "9|E|4", "14|MBP|5"}
            << QStringList{"remove 4-4", "removed 4-4"};
        // The rows after a replaced run show their own cues throughout.
        QTest::newRow("two cues replaced by one")
            << 1 << 2 << QStringList{"+7 O"}
            << QStringList{"1|rest|2", "7|O|", "14|MBP|5", "20|rest|6"}
            << QStringList{"remove 1-2", "removed 1-2", "insert 1-1", "inserted 1-1"};
        QTest::newRow("one cue replaced by three")
            << 3 << 1 << QStringList{"+12 L", "+14 MBP", "+16 WQ"}
            << QStringList{"1|rest|2", "5|AI|3", "9|E|4", "12|L|", "14|MBP|", "16|WQ|", "20|rest|6"}
            << QStringList{"remove 3-3", "removed 3-3", "insert 3-5", "inserted 3-5"};
        QTest::newRow("nothing") << 2 << 0 << QStringList{}
                                 << QStringList{"1|rest|2", "5|AI|3", "9|E|4", "14|MBP|5",
                                                "20|rest|6"}
                                 << QStringList{};
    }

    void aSpliceTellsTheViewsOfTheRowsItTouches() {
        QFETCH(int, first);
        QFETCH(int, removed);
        QFETCH(QStringList, added);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, told);

        std::vector<Cue> cues = cuesOf(fiveCues);
        // A shown view, which reads the rows as the model's signals come.
        CueList list;
        CueListModel& model = list.cues();
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setCues(&cues, FrameRate(0), false);
        list.show();
        QStringList log;
        recordSignals(model, log);

        std::vector<Cue> replacing = cuesOf(added);
        for (std::size_t i = 0; i < replacing.size(); ++i) {
            if (!added[static_cast<int>(i)].startsWith(u'+')) {
                replacing[i].place = cues[static_cast<std::size_t>(first) + i].place;
            }
        }
        model.beginSplice(first, removed, added.size());
        cues.erase(cues.begin() + first, cues.begin() + first + removed);
        cues.insert(cues.begin() + first, replacing.begin(), replacing.end());
        model.endSplice();

        QCOMPARE(log, told);
        QCOMPARE(model.rowCount(), rows.size());
        QCOMPARE(rowsOf(model), rows);
        QVERIFY(!model.changing());
    }

    void theTimeFollowsTheRate() {
        std::vector<Cue> cues = cuesOf(fiveCues);
        CueListModel model;
        model.setCues(&cues, FrameRate(0), false);
        const QModelIndex frame20 = model.index(4, CueListModel::TimeColumn);
        QCOMPARE(frame20.data().toString(), QStringLiteral("0:00.8"));
        QStringList log;
        recordSignals(model, log);
        const auto thirty = FrameRate::fromText("30");
        QVERIFY(thirty);
        model.setRate(*thirty);
        model.setRate(*thirty);
        QCOMPARE(log, QStringList{"changed 0-4 columns 1-1"});
        QCOMPARE(frame20.data().toString(), QStringLiteral("0:00.7"));
    }

    void anEditIsAskedForNotMade_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("request"); // empty: none

        const int frame = CueListModel::FrameColumn;
        const int mouth = CueListModel::MouthColumn;
        QTest::newRow("a frame") << frame << QVariant(QStringLiteral("7")) << true << "frame 7";
        QTest::newRow("a frame, grouped")
            << frame << QVariant(QStringLiteral(" 1,234 ")) << true << "frame 1234";
        QTest::newRow("a frame as a number") << frame << QVariant(8) << true << "frame 8";
        QTest::newRow("a frame as a whole double") << frame << QVariant(9.0) << true << "frame 9";
        QTest::newRow("its own frame") << frame << QVariant(QStringLiteral("5")) << true << "";
        QTest::newRow("frame 0") << frame << QVariant(QStringLiteral("0")) << false << "";
        QTest::newRow("a negative frame") << frame << QVariant(QStringLiteral("-3")) << false << "";
        QTest::newRow("a signed frame") << frame << QVariant(QStringLiteral("+3")) << false << "";
        QTest::newRow("a fraction") << frame << QVariant(QStringLiteral("2.5")) << false << "";
        QTest::newRow("a fractional number") << frame << QVariant(2.5) << false << "";
        QTest::newRow("a negative number") << frame << QVariant(-2) << false << "";
        QTest::newRow("no frame") << frame << QVariant(QString()) << false << "";
        QTest::newRow("words") << frame << QVariant(QStringLiteral("ten")) << false << "";
        QTest::newRow("past 64 bits")
            << frame << QVariant(QStringLiteral("18446744073709551616")) << false << "";
        QTest::newRow("a mouth") << mouth << QVariant(QStringLiteral("MBP")) << true << "mouth MBP";
        QTest::newRow("a name of no set")
            << mouth << QVariant(QStringLiteral("oo")) << true << "mouth oo";
        QTest::newRow("its own mouth") << mouth << QVariant(QStringLiteral("AI")) << true << "";
        QTest::newRow("no mouth") << mouth << QVariant(QString()) << false << "";
        QTest::newRow("two words") << mouth << QVariant(QStringLiteral("A I")) << false << "";
        QTest::newRow("a trailing space")
            << mouth << QVariant(QStringLiteral("AI ")) << false << "";
        QTest::newRow("a tab") << mouth << QVariant(QStringLiteral("\tO")) << false << "";
        QTest::newRow("the time") << int(CueListModel::TimeColumn)
                                  << QVariant(QStringLiteral("0:01.0")) << false << "";
        QTest::newRow("the line") << int(CueListModel::LineColumn) << QVariant(QStringLiteral("4"))
                                  << false << "";
    }

    void anEditIsAskedForNotMade() {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(bool, accepted);
        QFETCH(QString, request);

        const std::vector<Cue> cues = cuesOf(fiveCues);
        const std::vector<Cue> before = cues;
        CueListModel model;
        model.setCues(&cues, FrameRate(0), false);
        QStringList requests;
        connect(&model, &CueListModel::frameEditRequested, this,
                [&](std::size_t row, std::uint64_t frame) {
                    requests << QStringLiteral("row %1 frame %2").arg(row).arg(frame);
                });
        connect(&model, &CueListModel::mouthEditRequested, this,
                [&](std::size_t row, const QString& name) {
                    requests << QStringLiteral("row %1 mouth %2").arg(row).arg(name);
                });
        const QModelIndex cell = model.index(1, column);
        QCOMPARE(model.flags(cell).testFlag(Qt::ItemIsEditable),
                 column == CueListModel::FrameColumn || column == CueListModel::MouthColumn);
        QCOMPARE(model.setData(cell, value), accepted);
        QCOMPARE(requests, request.isEmpty() ? QStringList()
                                             : QStringList{QStringLiteral("row 1 ") + request});
        QCOMPARE(cues, before);
    }

    void theMouthEditorOffersTheSetAndPicksByPrefix_data() {
        QTest::addColumn<bool>("letters");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("request");
        QTest::newRow("phonemes") << false << "MB"
                                  << "mouth MBP";
        QTest::newRow("letters") << true << "H"
                                 << "mouth H";
        QTest::newRow("its own name") << false << ""
                                      << "";
    }

    void theMouthEditorOffersTheSetAndPicksByPrefix() {
        QFETCH(bool, letters);
        QFETCH(QString, typed);
        QFETCH(QString, request);

        const std::vector<Cue> cues = cuesOf({"1 rest", "5 oo"});
        CueList list;
        list.cues().setCues(&cues, FrameRate(0), letters);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy asked(&list.cues(), &CueListModel::mouthEditRequested);
        list.edit(list.cues().index(1, CueListModel::MouthColumn));
        auto* combo = list.findChild<QComboBox*>();
        QVERIFY(combo);
        // The set's names, with the cue's own first when the set has none such.
        QCOMPARE(combo->currentText(), QStringLiteral("oo"));
        QCOMPARE(combo->count(), letters ? 1 + 9 + 12 : 1 + 14);
        QTest::keyClicks(combo, typed);
        QTest::keyClick(combo, Qt::Key_Return);
        QCOMPARE(asked.size(), request.isEmpty() ? 0 : 1);
        if (!request.isEmpty()) {
            QCOMPARE(QStringLiteral("mouth ") + asked.front().at(1).toString(), request);
        }
    }

    void onlyTheUsersSelectionIsAskedFor() {
        std::vector<Cue> cues = cuesOf(fiveCues);
        CueList list;
        list.cues().setCues(&cues, FrameRate(0), false);
        list.resize(400, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy selects(&list, &CueList::selectRequested);
        QSignalSpy clicks(&list, &CueList::rowClicked);
        QSignalSpy deletes(&list, &CueList::deleteRequested);

        list.setSelection(CueRange{1, 3});
        QCOMPARE(list.selection(), std::optional(CueRange{1, 3}));
        list.setSelection(std::nullopt);
        QCOMPARE(list.selection(), std::nullopt);
        QCOMPARE(selects.size(), 0);

        const auto rowCentre = [&list](int row) {
            return list.visualRect(list.cues().index(row, CueListModel::TimeColumn)).center();
        };
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rowCentre(2));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.back().at(0).value<std::size_t>(), std::size_t{2});
        QCOMPARE(selects.back().at(0).value<std::optional<CueRange>>(),
                 std::optional(CueRange{2, 2}));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(4));
        QCOMPARE(selects.back().at(0).value<std::optional<CueRange>>(),
                 std::optional(CueRange{2, 4}));

        // A window's own Delete waits while the table has rows to delete.
        QAction windowDelete;
        windowDelete.setShortcut(QKeySequence::Delete);
        list.addAction(&windowDelete);
        QSignalSpy windowDeletes(&windowDelete, &QAction::triggered);
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(deletes.size(), 1);
        QCOMPARE(windowDeletes.size(), 0);
        // The owner deletes them: what that does to the selection is no request.
        const qsizetype asked = selects.size();
        list.cues().beginSplice(2, 3, 0);
        cues.erase(cues.begin() + 2, cues.end());
        list.cues().endSplice();
        QCOMPARE(selects.size(), asked);
        QCOMPARE(list.selection(), std::nullopt);
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(deletes.size(), 1);
        QCOMPARE(windowDeletes.size(), 1);
    }

    void theViewMenuShowsTheCueList() {
        AppUnderTest app;
        app.window->show();
        QAction* action = app.window->cueListAction();
        QVERIFY(action->isCheckable());
        QVERIFY(!action->isChecked());
        QVERIFY(!app.window->cueList()->isVisible());
        const QList<QAction*> menus = app.window->menuBar()->actions();
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[1]->text(), QStringLiteral("V&iew"));
        QVERIFY(menus[1]->menu()->actions().contains(action));
        action->trigger();
        QVERIFY(app.window->cueList()->isVisible());
        action->trigger();
        QVERIFY(!app.window->cueList()->isVisible());
    }
};

QTEST_MAIN(CueListTest)
#include "CueListTest.moc"
