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

// "12 AI" a cue from line 120 of a file; "+12 AI" one the user added, from no line.
std::vector<Cue> cuesOf(const QString& text) {
    std::vector<Cue> cues;
    for (const QString& cue : text.split(u',', Qt::SkipEmptyParts)) {
        const bool added = cue.startsWith(u'+');
        const QStringList parts = cue.mid(added ? 1 : 0).split(u' ');
        cues.push_back({parts[0].toULongLong(),
                        parts[1].toStdString(),
                        {added ? 0 : 10 * parts[0].toULongLong()}});
    }
    return cues;
}

const QString fiveCues = QStringLiteral("1 rest,5 AI,9 E,14 MBP,20 rest");

// Frame|Mouth|Line of each row.
QString rowsOf(const QAbstractItemModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column : {0, 2, 3}) {
            cells << model.index(row, column).data().toString();
        }
        rows << cells.join(u'|');
    }
    return rows.join(u' ');
}

// The model's signals as they came: "remove 1-2", "changed 0-4 1-1" (rows, columns).
void recordSignals(const QAbstractItemModel& model, QStringList& log) {
    using M = QAbstractItemModel;
    const auto rows = [&](auto signal, QString what) {
        QObject::connect(&model, signal, &model, [&log, what](const QModelIndex&, int a, int b) {
            log << QStringLiteral("%1 %2-%3").arg(what).arg(a).arg(b);
        });
    };
    rows(&M::rowsAboutToBeRemoved, "remove");
    rows(&M::rowsRemoved, "removed");
    rows(&M::rowsAboutToBeInserted, "insert");
    rows(&M::rowsInserted, "inserted");
    QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                     [&log](const QModelIndex& a, const QModelIndex& b) {
                         log << QString::asprintf("changed %d-%d %d-%d", a.row(), b.row(),
                                                  a.column(), b.column());
                     });
}

} // namespace

class CueListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void aSpliceTellsTheViewsOfTheRowsItTouches_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("added"); // without "+", the line of the cue it replaces
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("told");
        const auto row = [](const char* name, int first, int removed, const char* added,
                            const char* rows, const char* told) {
            QTest::newRow(name) << first << removed << QString(added) << QString(rows)
                                << QString(told);
        };
        row("a move in the middle", 1, 2, "6 AI,10 E",
            "1|rest|10 6|AI|60 10|E|100 14|MBP|140 20|rest|200", "changed 1-2 0-3");
        row("inserts at the end", 5, 0, "+30 O,+31 U",
            "1|rest|10 5|AI|50 9|E|90 14|MBP|140 20|rest|200 30|O| 31|U|",
            "insert 5-6,inserted 5-6");
        row("a delete in the middle", 1, 3, "", "1|rest|10 20|rest|200", "remove 1-3,removed 1-3");
        // The rows after a replaced run show their own cues throughout.
        row("two cues replaced by one", 1, 2, "+7 O", "1|rest|10 7|O| 14|MBP|140 20|rest|200",
            "remove 1-2,removed 1-2,insert 1-1,inserted 1-1");
        row("one cue replaced by three", 3, 1, "+12 L,+14 MBP,+16 WQ",
            "1|rest|10 5|AI|50 9|E|90 12|L| 14|MBP| 16|WQ| 20|rest|200",
            "remove 3-3,removed 3-3,insert 3-5,inserted 3-5");
    }

    void aSpliceTellsTheViewsOfTheRowsItTouches() {
        QFETCH(int, first);
        QFETCH(int, removed);
        QFETCH(QString, added);

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

        const std::vector<Cue> replacing = cuesOf(added);
        model.beginSplice(first, removed, replacing.size());
        cues.erase(cues.begin() + first, cues.begin() + first + removed);
        cues.insert(cues.begin() + first, replacing.begin(), replacing.end());
        model.endSplice();

        QTEST(log.join(u','), "told");
        QTEST(rowsOf(model), "rows");
        QVERIFY(!model.changing());
    }

    void theTimeFollowsTheRate() {
        std::vector<Cue> cues = cuesOf(fiveCues);
        CueListModel model;
        model.setCues(&cues, FrameRate(0), false);
        const QModelIndex frame20 = model.index(4, CueListModel::TimeColumn);
        QCOMPARE(frame20.data().toString(), "0:00.8");
        QStringList log;
        recordSignals(model, log);
        model.setRate(*FrameRate::fromText("30"));
        model.setRate(*FrameRate::fromText("30"));
        QCOMPARE(log, QStringList{"changed 0-4 1-1"});
        QCOMPARE(frame20.data().toString(), "0:00.7");
    }

    void anEditIsAskedForNotMade_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("request"); // empty: none
        const auto row = [](const char* name, int column, QVariant value, const char* request) {
            QTest::newRow(name) << column << value << (request != nullptr) << QString(request);
        };
        const int frame = CueListModel::FrameColumn;
        const int mouth = CueListModel::MouthColumn;
        row("a frame", frame, "7", "frame 7");
        row("a frame, grouped", frame, " 1,234 ", "frame 1234");
        row("a frame as a number", frame, 8, "frame 8");
        row("its own frame", frame, "5", "");
        for (const char* invalid : {"0", "-3", "+3", "2.5", "", "ten", "18446744073709551616"}) {
            row(invalid, frame, invalid, nullptr);
        }
        row("a fractional number", frame, 2.5, nullptr);
        row("a negative number", frame, -2, nullptr);
        row("a mouth", mouth, "MBP", "mouth MBP");
        row("a name of no set", mouth, "oo", "mouth oo");
        row("its own mouth", mouth, "AI", "");
        for (const char* invalid : {"", "A I", "AI ", "\tO"}) {
            row(invalid, mouth, invalid, nullptr);
        }
        row("the time", CueListModel::TimeColumn, "0:01.0", nullptr);
        row("the line", CueListModel::LineColumn, "4", nullptr);
    }

    void anEditIsAskedForNotMade() {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, request);
        const std::vector<Cue> cues = cuesOf(fiveCues);
        CueListModel model;
        model.setCues(&cues, FrameRate(0), false);
        QStringList requests;
        const auto ask = [&requests](const char* what) {
            return [&requests, what](std::size_t row, const auto& to) {
                requests << QString("%1 %2 %3").arg(row).arg(what).arg(to);
            };
        };
        connect(&model, &CueListModel::frameEditRequested, this, ask("frame"));
        connect(&model, &CueListModel::mouthEditRequested, this, ask("mouth"));
        const QModelIndex cell = model.index(1, column);
        QCOMPARE(model.flags(cell).testFlag(Qt::ItemIsEditable),
                 column == CueListModel::FrameColumn || column == CueListModel::MouthColumn);
        QTEST(model.setData(cell, value), "accepted");
        QCOMPARE(requests, request.isEmpty() ? QStringList() : QStringList{"1 " + request});
        QCOMPARE(cues, cuesOf(fiveCues));
    }

    void theMouthEditorOffersTheSetAndPicksByPrefix() {
        const std::vector<Cue> cues = cuesOf("1 rest,5 oo");
        CueList list;
        list.cues().setCues(&cues, FrameRate(0), true);
        list.show();
        QSignalSpy asked(&list.cues(), &CueListModel::mouthEditRequested);
        list.edit(list.cues().index(1, CueListModel::MouthColumn));
        auto* combo = list.findChild<QComboBox*>();
        QVERIFY(combo);
        // The letters, then the phoneme names that are not letters, after the
        // cue's own where the set has none such.
        QCOMPARE(combo->currentText(), "oo");
        QCOMPARE(combo->count(), 1 + 9 + 12);
        QTest::keyClicks(combo, "MB");
        QTest::keyClick(combo, Qt::Key_Return);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.front().at(1).toString(), "MBP");
    }

    void onlyTheUsersSelectionIsAskedFor() {
        std::vector<Cue> cues = cuesOf(fiveCues);
        CueList list;
        list.cues().setCues(&cues, FrameRate(0), false);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy selects(&list, &CueList::selectRequested);
        QSignalSpy clicks(&list, &CueList::rowClicked);
        QSignalSpy deletes(&list, &CueList::deleteRequested);

        list.setSelection(CueRange{1, 3});
        QCOMPARE(list.selection(), std::optional(CueRange{1, 3}));
        list.setSelection(std::nullopt);
        QCOMPARE(selects.size(), 0);

        const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
            const QPoint at = list.visualRect(list.cues().index(row, 1)).center();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, at);
            return selects.empty() ? std::nullopt
                                   : selects.back().at(0).value<std::optional<CueRange>>();
        };
        QCOMPARE(click(2, {}), std::optional(CueRange{2, 2}));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.back().at(0).value<std::size_t>(), std::size_t{2});
        QCOMPARE(click(4, Qt::ShiftModifier), std::optional(CueRange{2, 4}));

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
        QVERIFY(action->isCheckable() && !app.window->cueList()->isVisible());
        const QList<QAction*> menus = app.window->menuBar()->actions();
        QCOMPARE(menus.size(), 5); // File, Edit, View, Play, Help
        QVERIFY(menus[2]->menu()->actions().contains(action));
        for (const bool shown : {true, false}) {
            action->trigger();
            QCOMPARE(app.window->cueList()->isVisible(), shown);
        }
    }
};

QTEST_MAIN(CueListTest)
#include "CueListTest.moc"
