// Edits of a take's cues as undo steps: each changes the cues as it says,
// and its undo and redo give back exactly the cues before and after.
#include "app/TakeEdits.h"

#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include <sstream>

using namespace mouthkey;

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

} // namespace

class EditTest : public QObject {
    Q_OBJECT
private slots:
    void editsAndTheirUndo_data();
    void editsAndTheirUndo();
    void selectionExtendsFromItsAnchor();
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

QTEST_MAIN(EditTest)
#include "EditTest.moc"
