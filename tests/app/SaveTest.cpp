// Keeping the user's edits: the questions before they could be lost, Save
// and Save As, and the recovery file that outlives a crash.
#include "AppTestSupport.h"

#include "RecoveryFile.h"
#include "TakeSaving.h"
#include "app/TakeEdits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QUndoStack>

using namespace mouthkey;
using namespace mouthkey::testing;

namespace {

const QByteArray take("MohoSwitch1\n1 rest\n5 MBP\n9 E\n");
const QByteArray takeEdited("MohoSwitch1\n1 rest\n5 E\n9 E\n");

RecoveryFile& recoveryOf(const ViewController& vc) {
    return vc.findChild<TakeSaving*>(QString(), Qt::FindDirectChildrenOnly)->recovery();
}

QString textOf(const std::vector<Cue>& cues) {
    QStringList items;
    for (const Cue& c : cues) {
        items << QStringLiteral("%1 %2").arg(c.frame).arg(QString::fromStdString(c.name));
    }
    return items.join(QStringLiteral(", "));
}

// Answers the window's next question by its button, and keeps which it was;
// an answer never needed is dropped with the scope.
struct Answers {
    QObject scope;
    QStringList asked;
    void next(const QString& answer) {
        QTimer::singleShot(0, &scope, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            asked << (box ? box->objectName() : QStringLiteral("(none)"));
            for (QAbstractButton* button : box ? box->buttons() : QList<QAbstractButton*>()) {
                if (button->text().remove(u'&') == answer) {
                    return button->click();
                }
            }
            if (box) {
                box->reject(); // no such button: the test fails on what was asked
                asked.last() += " (no " + answer + u')';
            }
        });
    }
};

} // namespace

class SaveTest : public QObject {
    Q_OBJECT

    static void forgetKeptEdits() {
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
             QStringLiteral("/recovery"))
            .removeRecursively();
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        forgetKeptEdits();
    }
    void cleanup() { forgetKeptEdits(); }

    void unsavedEditsQuestion_data() {
        // "action edits answer": open, reload, close or voice; made, none or
        // undone; Save, Discard, Cancel or - for no question.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("wentAhead");
        QTest::addColumn<bool>("editsKept");
        QTest::addColumn<bool>("saved"); // the file holds the edits

        // A closed window still holds what it discarded. A project is saved as
        // another file: cancelling that cancels the change.
        for (const QString action : {"open", "reload", "close", "voice"}) {
            const QByteArray name = action.toUtf8();
            const bool voice = action == "voice";
            QTest::newRow(name + " save") << action + " made Save" << !voice << voice << !voice;
            QTest::newRow(name + " discard")
                << action + " made Discard" << true << (action == "close") << false;
            QTest::newRow(name + " cancel") << action + " made Cancel" << false << true << false;
        }
        QTest::newRow("open unedited") << "open none -" << true << false << false;
        QTest::newRow("reload undone") << "reload undone -" << true << false << false;
        QTest::newRow("close undone") << "close undone -" << true << false << false;
    }

    void unsavedEditsQuestion() {
        QFETCH(QString, steps);
        QFETCH(bool, wentAhead);
        QFETCH(bool, editsKept);
        QFETCH(bool, saved);
        const QString action = steps.section(u' ', 0, 0), edits = steps.section(u' ', 1, 1);
        const QString answer = steps.section(u' ', 2, 2);
        const bool asks = answer != u"-";

        AppUnderTest app;
        const QByteArray before = action == "voice" ? test::readSample("two-voices.pgo") : take;
        const QString path =
            app.writeFile(action == "voice" ? "two-voices.pgo" : "take.dat", before);
        const QString other = app.writeFile("other.dat", take);
        app.openPath(path);
        TakeEdits& cues = app.vc().edits();
        const QString edited = cues.cues()[1].name == "E" ? "O" : "E";
        if (edits != "none") {
            QVERIFY(cues.changeMouthAt(1, edited.toStdString()));
            recoveryOf(app.vc()).writeNow();
        }
        const QString kept = recoveryOf(app.vc()).path();
        if (edits == "undone") {
            cues.undoStack()->undo();
        }

        Answers answers; // Cancel, were a question asked where none should be
        answers.next(asks ? answer : QStringLiteral("Cancel"));
        QSignalSpy loaded(&app.vc(), &ViewController::fileLoaded);
        bool ahead = false;
        if (action == "open") {
            app.openPath(other);
            ahead = app.vc().loadedFile() == QUrl::fromLocalFile(other);
        } else if (action == "reload") {
            app.vc().reload();
            ahead = loaded.count() == 1;
        } else if (action == "close") {
            ahead = app.window->close();
        } else {
            app.vc().setVoice(1);
            ahead = app.vc().loaded()->voice == 1;
        }

        QCoreApplication::processEvents(); // the answer, if it is still due
        QCOMPARE(answers.asked, QStringList{asks ? "unsavedEditsQuestion" : "(none)"});
        QCOMPARE(ahead, wentAhead);
        QCOMPARE(cues.modified(), editsKept);
        QCOMPARE(app.window->isWindowModified(), editsKept);
        if (editsKept) {
            QCOMPARE(QString::fromStdString(cues.cues()[1].name), edited);
        }
        QCOMPARE(test::readFile(path), saved ? takeEdited : before);
        QCOMPARE(app.chooser->savesAsked, action == "voice" && answer == "Save" ? 1 : 0);
        QCOMPARE(QFile::exists(kept), !wentAhead);
    }

    void changeOnDiskKeepsTheEdits() {
        AppUnderTest app;
        const QString path = app.writeFile("take.dat", take);
        app.openPath(path);
        QVERIFY(app.vc().edits().changeMouthAt(1, "E"));

        QSignalSpy changed(&app.vc(), &ViewController::loadedFileChangedOnDisk);
        app.writeFile("take.dat", "MohoSwitch1\n1 rest\n3 O\n");
        QVERIFY(changed.wait(10000));
        QVERIFY2(app.status().contains("changed on disk; your edits are kept"),
                 qPrintable(app.status()));
        QCOMPARE(textOf(app.vc().edits().cues()), "1 rest, 5 E, 9 E");
        QVERIFY(app.window->isWindowModified());
    }

    void saveAsForAFormatNotWritten_data() {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("xml as TSV") << "see-you-soon.xml" << 1 << "soon"
                                    << "soon.tsv";
        QTest::newRow("json as .dat") << "see-you-soon.json" << 0 << "soon.dat"
                                      << "soon.dat";
    }

    void saveAsForAFormatNotWritten() {
        QFETCH(QString, sample);
        QFETCH(int, filter);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        AppUnderTest app;
        const QByteArray before = test::readSample(qPrintable(sample));
        const QString path = app.writeFile(sample, before);
        app.openPath(path);
        QVERIFY(app.vc().edits().changeMouthAt(1, "C"));
        const QString edited = textOf(app.vc().edits().cues());

        app.chooser->answers.push_back(
            {FileChoice::Outcome::Confirmed, QUrl::fromLocalFile(app.pathOf(chosen)), filter});
        app.vc().save();
        QCOMPARE(app.chooser->savesAsked, 1);
        QCOMPARE(app.chooser->saveFilters,
                 QStringList({"Moho switch data (*.dat)", "Rhubarb TSV (*.tsv *.txt)"}));
        QCOMPARE(test::readFile(path), before);
        QCOMPARE(app.vc().loadedFile(), QUrl::fromLocalFile(app.pathOf(written)));
        QCOMPARE(app.window->windowTitle(), written + QStringLiteral("[*] \u2014 Mouthkey"));
        QVERIFY(!app.window->isWindowModified());

        AppUnderTest again;
        again.openPath(app.pathOf(written));
        QCOMPARE(textOf(again.vc().edits().cues()), edited);
    }

    // Asked before a save would leave the file's other lines out, or write a
    // TSV whose phoneme names that are letters read back as the letters' mouths.
    void aLossySaveAsksFirst_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("saveAs"); // empty: Save, in place
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("answer");
        const QByteArray lines("MohoSwitch1\n1 rest\nnot a cue\n5 MBP\n9 E\n");
        for (const QString answer : {"Cancel", "Save"}) {
            const QByteArray name = answer.toUtf8();
            QTest::newRow("lines, " + name) << lines << ""
                                            << "linesLeftOutQuestion" << answer;
            QTest::newRow("letters, " + name) << take << "take.tsv"
                                              << "lettersReadQuestion" << answer;
        }
    }

    void aLossySaveAsksFirst() {
        QFETCH(QByteArray, before);
        QFETCH(QString, saveAs);
        QFETCH(QString, question);
        QFETCH(QString, answer);
        AppUnderTest app;
        const QString path = app.writeFile("take.dat", before);
        app.openPath(path);
        QVERIFY(app.vc().edits().changeMouthAt(1, "E"));
        RecoveryFile& kept = recoveryOf(app.vc());
        kept.writeNow();

        Answers answers;
        answers.next(answer);
        if (saveAs.isEmpty()) {
            app.vc().save();
        } else {
            app.chooser->answers.push_back(
                {FileChoice::Outcome::Confirmed, QUrl::fromLocalFile(app.pathOf(saveAs)), 1});
            app.vc().saveAs();
        }
        QCOMPARE(answers.asked, QStringList{question});
        const bool saved = answer == "Save";
        QCOMPARE(test::readFile(path), saved && saveAs.isEmpty() ? takeEdited : before);
        QCOMPARE(app.window->isWindowModified(), !saved);
        QCOMPARE(QFile::exists(kept.path()), !saved);
        if (!saveAs.isEmpty()) {
            QCOMPARE(QFile::exists(app.pathOf(saveAs)), saved);
        } else {
            QCOMPARE(app.status(),
                     saved ? "Saved 3 cues to take.dat as Moho switch data" : "Save cancelled");
        }
    }

    void recoveredEditsAreOffered_data() {
        QTest::addColumn<QString>("answer");
        for (const char* answer : {"Restore", "Discard"}) {
            QTest::newRow(answer) << QString(answer);
        }
    }

    void recoveredEditsAreOffered() {
        QFETCH(QString, answer);
        AppUnderTest crashed;
        const QString path = crashed.writeFile("take.dat", take);
        crashed.openPath(path);
        QVERIFY(crashed.vc().edits().changeMouthAt(1, "E"));
        const QString kept = recoveryOf(crashed.vc()).path();
        QVERIFY(!QFile::exists(kept));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(kept), RecoveryFile::delayMs + 5000);
        crashed.window.reset(); // gone without a word

        AppUnderTest app;
        Answers answers;
        answers.next(answer);
        app.openPath(path);
        QCOMPARE(answers.asked, QStringList{"recoverEditsQuestion"});
        TakeEdits& edits = app.vc().edits();
        const bool restored = answer == "Restore";
        QCOMPARE(textOf(edits.cues()), restored ? "1 rest, 5 E, 9 E" : "1 rest, 5 MBP, 9 E");
        QCOMPARE(app.window->isWindowModified(), restored);
        QCOMPARE(QFile::exists(kept), restored);
        QCOMPARE(edits.undoStack()->count(), restored ? 1 : 0);
        if (restored) {
            QCOMPARE(edits.undoStack()->undoText(), "Restore Edits");
            edits.undoStack()->undo();
            QCOMPARE(textOf(edits.cues()), "1 rest, 5 MBP, 9 E");
            QVERIFY(!app.window->isWindowModified());
            QVERIFY(!QFile::exists(kept)); // back to the file: nothing to keep
        }
    }
};

QTEST_MAIN(SaveTest)
#include "SaveTest.moc"
