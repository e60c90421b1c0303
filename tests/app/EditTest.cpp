// Edits of a take's cues as undo steps: each changes the cues as it says,
// and its undo and redo give back exactly the cues before and after.
#include "AppTestSupport.h"

#include "app/TakeEdits.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <functional>
#include <sstream>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

// "1 rest, 5 AI, 9 E" and back.
std::vector<Cue> cuesOf(const QString& text) {
    std::vector<Cue> cues;
    for (const QString& item : text.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(u' ');
        cues.push_back({parts[0].toULongLong(), parts[1].toStdString(), {}});
    }
    return cues;
}

QString textOf(const std::vector<Cue>& cues) {
    QStringList items;
    for (const Cue& c : cues) {
        items << QStringLiteral("%1 %2").arg(c.frame).arg(QString::fromStdString(c.name));
    }
    return items.join(QStringLiteral(", "));
}

// Opens Edit > Clean Up… and hands its dialog to `drive`; a dialog `drive`
// leaves open (a check failed) is cancelled, so that a failure never hangs.
void inCleanUp(MainWindow& window, const std::function<void(QDialog&)>& drive) {
    QObject scope; // drops the answer if the dialog never opened
    bool opened = false;
    QTimer::singleShot(0, &scope, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog && dialog->objectName() == u"cleanUpDialog") {
            opened = true;
            drive(*dialog);
        }
        if (modal && modal->isVisible()) {
            modal->close();
        }
    });
    window.cleanUpAction()->trigger();
    QVERIFY(opened);
}

} // namespace

class EditTest : public QObject {
    Q_OBJECT
private slots:
    void editsAndTheirUndo_data();
    void editsAndTheirUndo();
    void selectionExtendsFromItsAnchor();
    void cleanUpIsOneEdit();
};

void EditTest::editsAndTheirUndo_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("first"); // of the selection; -1: none
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("edit");  // "move N", "frame I F", "mouth NAME", "insert F", "delete"
    QTest::addColumn<QString>("after"); // "" for no step at all
    QTest::addColumn<QString>("undoText");

    const QString take = QStringLiteral("1 rest, 5 AI, 9 E, 20 rest");
    QTest::newRow("move later") << take << 1 << 1 << "move 2"
                                << "1 rest, 7 AI, 9 E, 20 rest"
                                << "Undo Move Cue";
    QTest::newRow("move stops short of the next cue") << take << 1 << 1 << "move 10"
                                                      << "1 rest, 8 AI, 9 E, 20 rest"
                                                      << "Undo Move Cue";
    QTest::newRow("move stops short of the cue before") << take << 2 << 2 << "move -10"
                                                        << "1 rest, 5 AI, 6 E, 20 rest"
                                                        << "Undo Move Cue";
    QTest::newRow("a range moves as a whole") << take << 1 << 2 << "move 10"
                                              << "1 rest, 15 AI, 19 E, 20 rest"
                                              << "Undo Move Cues";
    QTest::newRow("never before frame 1") << QStringLiteral("3 rest, 9 AI") << 0 << 0 << "move -10"
                                          << "1 rest, 9 AI"
                                          << "Undo Move Cue";
    QTest::newRow("no room, no step") << take << 0 << 0 << "move -1"
                                      << ""
                                      << "";
    QTest::newRow("the last cue moves on freely") << take << 3 << 3 << "move 100"
                                                  << "1 rest, 5 AI, 9 E, 120 rest"
                                                  << "Undo Move Cue";
    QTest::newRow("a frame edited is kept between its neighbours")
        << take << -1 << -1 << "frame 2 30"
        << "1 rest, 5 AI, 19 E, 20 rest"
        << "Undo Move Cue";
    QTest::newRow("change the mouth") << take << 1 << 2 << "mouth MBP"
                                      << "1 rest, 5 MBP, 9 MBP, 20 rest"
                                      << "Undo Change Mouth";
    QTest::newRow("the same mouth is no step") << take << 1 << 1 << "mouth AI"
                                               << ""
                                               << "";
    QTest::newRow("insert on a free frame takes the mouth in force")
        << take << -1 << -1 << "insert 12"
        << "1 rest, 5 AI, 9 E, 12 E, 20 rest"
        << "Undo Insert Cue";
    QTest::newRow("insert on a taken frame goes to the next") << take << -1 << -1 << "insert 9"
                                                              << "1 rest, 5 AI, 9 E, 10 E, 20 rest"
                                                              << "Undo Insert Cue";
    QTest::newRow("insert before the first cue is a rest")
        << QStringLiteral("4 AI") << -1 << -1 << "insert 2"
        << "2 rest, 4 AI"
        << "Undo Insert Cue";
    QTest::newRow("no free frame, no insert")
        << QStringLiteral("1 rest, 2 AI") << -1 << -1 << "insert 1"
        << ""
        << "";
    QTest::newRow("delete one") << take << 2 << 2 << "delete"
                                << "1 rest, 5 AI, 20 rest"
                                << "Undo Delete Cue";
    QTest::newRow("delete a range") << take << 0 << 2 << "delete"
                                    << "20 rest"
                                    << "Undo Delete Cues";
    QTest::newRow("delete with nothing selected") << take << -1 << -1 << "delete"
                                                  << ""
                                                  << "";
}

void EditTest::editsAndTheirUndo() {
    QFETCH(QString, before);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, edit);
    QFETCH(QString, after);
    QFETCH(QString, undoText);

    std::vector<Cue> cues = cuesOf(before);
    TakeEdits edits;
    edits.reset([&]() -> std::vector<Cue>& { return cues; }, cues.size());
    if (first >= 0) {
        edits.select(CueRange{static_cast<std::size_t>(first), static_cast<std::size_t>(last)});
    }
    QSignalSpy spliced(&edits, &TakeEdits::spliced);
    QSignalSpy modified(&edits, &TakeEdits::modifiedChanged);

    const QStringList words = edit.split(u' ');
    bool made = false;
    if (words[0] == u"move") {
        made = edits.moveSelection(words[1].toLongLong());
    } else if (words[0] == u"frame") {
        made = edits.setFrame(words[1].toULongLong(), words[2].toULongLong());
    } else if (words[0] == u"mouth") {
        made = edits.changeMouth(words[1].toStdString());
    } else if (words[0] == u"insert") {
        made = edits.insertAt(words[1].toULongLong());
    } else if (words[0] == u"delete") {
        made = edits.deleteSelection();
    }

    if (after.isEmpty()) {
        QVERIFY(!made);
        QCOMPARE(spliced.count(), 0);
        QVERIFY(!edits.modified());
        QCOMPARE(textOf(cues), before);
        return;
    }
    QVERIFY(made);
    QCOMPARE(textOf(cues), after);
    QCOMPARE(spliced.count(), 1);
    QVERIFY(edits.modified());
    QCOMPARE(modified.count(), 1);
    QCOMPARE(edits.undoStack()->undoText().prepend(QStringLiteral("Undo ")), undoText);

    edits.undoStack()->undo();
    QCOMPARE(textOf(cues), before);
    QVERIFY(!edits.modified()); // back to the file's state
    edits.undoStack()->redo();
    QCOMPARE(textOf(cues), after);
    QCOMPARE(spliced.count(), 3);

    if (words[0] == u"insert") {
        // Selected, ready for its mouth to be chosen.
        const auto selected = edits.selection();
        QVERIFY(selected.has_value());
        QCOMPARE(cues[selected->first].frame, cuesOf(after)[selected->first].frame);
        QCOMPARE(selected->size(), std::size_t{1});
    }
}

void EditTest::selectionExtendsFromItsAnchor() {
    std::vector<Cue> cues = cuesOf(QStringLiteral("1 rest, 5 AI, 9 E, 20 rest, 30 O"));
    TakeEdits edits;
    edits.reset([&]() -> std::vector<Cue>& { return cues; }, cues.size());
    edits.selectCue(2, false);
    edits.selectCue(4, true);
    QCOMPARE(edits.selection(), (CueRange{2, 4}));
    edits.selectCue(0, true);
    QCOMPARE(edits.selection(), (CueRange{0, 2}));
    edits.selectCue(3, false);
    QCOMPARE(edits.selection(), (CueRange{3, 3}));
    edits.select(CueRange{1, 9}); // past the last cue: nothing
    QCOMPARE(edits.selection(), std::nullopt);
}

void EditTest::cleanUpIsOneEdit() {
    AppUnderTest app;
    MainWindow& window = *app.window;
    QVERIFY(!window.cleanUpAction()->isEnabled());
    // A one-frame E, and a one-frame O just before a closed mouth.
    const QString original = QStringLiteral("1 rest, 5 AI, 6 E, 9 O, 10 MBP, 14 rest, 16 E, 20 O");
    const QString held = QStringLiteral("1 rest, 5 AI, 9 MBP, 14 rest, 16 E, 20 O");
    app.openPath(app.writeFile(
        "flicker.dat", "MohoSwitch1\n1 rest\n5 AI\n6 E\n9 O\n10 MBP\n14 rest\n16 E\n20 O\n"));
    QVERIFY(window.cleanUpAction()->isEnabled());
    TakeEdits& edits = app.vc().edits();
    QCOMPARE(textOf(edits.cues()), original);

    // Cancelled: nothing changes, and nothing chosen is kept for next time.
    inCleanUp(window, [](QDialog& dialog) {
        auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("minHoldBox"));
        auto* frames = dialog.findChild<QSpinBox*>(QStringLiteral("minHoldFrames"));
        QVERIFY(box && frames);
        box->click();
        frames->setValue(3);
        dialog.reject();
    });
    QCOMPARE(edits.undoStack()->count(), 0);

    inCleanUp(window, [](QDialog& dialog) {
        const auto box = [&](const char* rule) {
            return dialog.findChild<QCheckBox*>(QLatin1String(rule) + QLatin1String("Box"));
        };
        const auto frames = [&](const char* rule) {
            return dialog.findChild<QSpinBox*>(QLatin1String(rule) + QLatin1String("Frames"));
        };
        const auto effect = [&](const char* rule) {
            return dialog.findChild<QLabel*>(QLatin1String(rule) + QLatin1String("Effect"));
        };
        auto* total = dialog.findChild<QLabel*>(QStringLiteral("cleanUpTotal"));
        auto* apply = dialog.findChild<QPushButton*>(QStringLiteral("applyButton"));
        QVERIFY(total && apply);
        for (const char* rule : {"bridgeRests", "minHold", "onEvery"}) {
            QVERIFY(box(rule) && frames(rule) && effect(rule));
            QVERIFY2(!box(rule)->isChecked(), rule);
            QCOMPARE(frames(rule)->value(), 2);
        }
        QCOMPARE(
            total->text(),
            QStringLiteral("Turn a rule on to see what it would change in the take's 8 cues."));
        QVERIFY(!apply->isEnabled());

        box("minHold")->click();
        QTRY_COMPARE(effect("minHold")->text(),
                     QStringLiteral("Drops 2 cues, moves 1 closed mouth earlier"));
        QCOMPARE(total->text(), QStringLiteral("The take goes from 8 cues to 6."));
        QVERIFY(apply->isEnabled());
        // The rules apply in turn, each counted on what the one before left.
        box("bridgeRests")->click();
        frames("bridgeRests")->setValue(3);
        QTRY_COMPARE(effect("bridgeRests")->text(), QStringLiteral("Drops 1 rest"));
        QCOMPARE(effect("minHold")->text(),
                 QStringLiteral("Drops 2 cues, moves 1 closed mouth earlier"));
        QCOMPARE(total->text(), QStringLiteral("The take goes from 8 cues to 5."));
        box("bridgeRests")->click();
        QTRY_COMPARE(total->text(), QStringLiteral("The take goes from 8 cues to 6."));
        QCOMPARE(effect("bridgeRests")->text(), QString());
        apply->click();
    });
    QCOMPARE(textOf(edits.cues()), held);
    QCOMPARE(app.vc().loaded()->track.size(), std::size_t{6}); // the preview follows
    QCOMPARE(edits.undoStack()->count(), 1);
    QCOMPARE(window.undoAction()->text().remove(u'&'), QStringLiteral("Undo Clean Up"));
    QVERIFY(window.isWindowModified());

    window.undoAction()->trigger();
    QCOMPARE(textOf(edits.cues()), original);
    QCOMPARE(app.vc().loaded()->track.size(), std::size_t{8});
    QVERIFY(!window.isWindowModified());
    window.redoAction()->trigger();
    QCOMPARE(textOf(edits.cues()), held);
    QVERIFY(window.isWindowModified());
}

QTEST_MAIN(EditTest)
#include "EditTest.moc"
