// Edits a take in the real Mouthkey in a private X server by keys alone:
// the timeline reached with Tab, a cue moved, its mouth changed, one
// inserted, one deleted and that undone, then Ctrl+S. The file must then
// hold exactly those cues, with its header and line ends, and the window
// must no longer mark the take modified.
#include "EndToEndSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <optional>

using namespace e2e;

namespace {

// Polls until `done`, or the time is up; true when it came.
bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(stepTimeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

const QString unmodified = QStringLiteral("take.dat \u2014 Mouthkey");
const QString modified = QStringLiteral("take.dat* \u2014 Mouthkey");

} // namespace

class EditEndToEndTest : public QObject {
    Q_OBJECT

private:
    XServer m_x;
    QProcess m_app;
    QProcessEnvironment m_env;
    QString m_window;

    std::optional<QString> xdotool(const QStringList& args) { return e2e::xdotool(args, m_env); }

    bool press(const QString& keys) { return bool(xdotool({"key", "--clearmodifiers", keys})); }

    QString title() {
        bool ok = false;
        const QByteArray name =
            run(QStringLiteral("xdotool"), {"getwindowname", m_window}, m_env, &ok, true);
        return ok ? QString::fromUtf8(name).trimmed() : QString();
    }

    // The application's windows now showing: the main one, and any tip or pop-up.
    QSet<QString> shownWindows() {
        bool ok = false;
        const QByteArray ids =
            run(QStringLiteral("xdotool"),
                {"search", "--onlyvisible", "--pid", QString::number(m_app.processId())}, m_env,
                &ok, true);
        QSet<QString> shown;
        for (const QByteArray& id : ids.trimmed().split('\n')) {
            if (!id.isEmpty()) {
                shown.insert(QString::fromLatin1(id));
            }
        }
        return shown;
    }

    // What the only file under `folder` holds, or nothing while there is none.
    static std::optional<QByteArray> onlyFileIn(const QString& folder) {
        QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        if (!files.hasNext()) {
            return std::nullopt;
        }
        const QString path = files.next();
        return files.hasNext() ? QByteArray("(more than one file)") : readFile(path);
    }

private slots:
    void initTestCase() {
        if (const auto why = m_x.start({"Xvfb", "xdotool"})) {
            QFAIL(qPrintable(*why));
        }
        m_env = x11Environment(m_x.display, m_x.runtimeDir.path());
    }

    void editsByKeysAndSaves() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString take = dir.filePath("take.dat");
        QVERIFY(mouthkey::test::writeFile(
            take, "MohoSwitch1\r\n1 rest\r\n5 AI\r\n9 O\r\n13 E\r\n17 rest\r\n"));
        // Unsaved edits are kept under the data folder: the test's own.
        const QString data = dir.filePath("data");
        QVERIFY(QDir().mkpath(data));
        QProcessEnvironment env = m_env;
        env.insert("XDG_DATA_HOME", data);
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        const auto kept = [&data] {
            return onlyFileIn(data);
        };

        m_app.setProcessEnvironment(env);
        m_app.start(QStringLiteral(MOUTHKEY_APP), {take});
        QVERIFY(m_app.waitForStarted(stepTimeoutMs));
        m_window = xdotool({"search", "--sync", "--onlyvisible", "--pid",
                            QString::number(m_app.processId()), "--name", "^take\\.dat"})
                       .value_or(QString())
                       .section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(!m_window.isEmpty(), "the window did not load the take");
        QCOMPARE(title(), unmodified);
        QVERIFY(xdotool({"windowfocus", "--sync", m_window}));

        // Alt+S reaches the shift field by its caption; Tab goes on past Play
        // and Convert to the timeline (the take has no findings to list).
        for (const char* key : {"alt+s", "Tab", "Tab", "Tab"}) {
            QVERIFY(press(key));
        }
        // The cue after the playhead, at 5, one frame later.
        QVERIFY(press("Right"));
        QVERIFY(press("alt+Right"));
        QVERIFY2(waitUntil([&] { return title() == modified; }),
                 "the timeline did not take the keys");
        // Even a single edit is kept against a crash.
        QVERIFY2(waitUntil([&] { return kept().has_value(); }), "the edit was not kept");
        QCOMPARE(*kept(), QByteArray("MohoSwitch1\n1 rest\n6 AI\n9 O\n13 E\n17 rest\n"));

        // Its mouth, from the list Enter opens, by the first letter.
        const QSet<QString> before = shownWindows();
        QVERIFY(press("Return"));
        QString list;
        QVERIFY2(waitUntil([&] {
                     const QSet<QString> opened = shownWindows() - before;
                     list = opened.isEmpty() ? QString() : *opened.begin();
                     return !list.isEmpty();
                 }),
                 "no list of mouths");
        QVERIFY(press("w"));
        QVERIFY(press("Return"));
        QVERIFY(waitUntil([&] { return !shownWindows().contains(list); }));

        // A cue inserted at the next cue's frame lands just after it; the one
        // after that deleted, and the delete undone.
        QVERIFY(press("Right"));
        QVERIFY(press("Insert"));
        QVERIFY(press("Right"));
        QVERIFY(press("Delete"));
        const QByteArray deleted = "MohoSwitch1\n1 rest\n6 WQ\n9 O\n10 O\n17 rest\n";
        QVERIFY2(waitUntil([&] { return kept() == deleted; }),
                 kept().value_or("(no file)").constData());
        QVERIFY(press("ctrl+z"));

        QVERIFY(press("ctrl+s"));
        const QByteArray saved =
            "MohoSwitch1\r\n1 rest\r\n6 WQ\r\n9 O\r\n10 O\r\n13 E\r\n17 rest\r\n";
        QVERIFY(waitUntil([&] { return readFile(take) == saved; }));
        QCOMPARE(readFile(take), saved);
        QVERIFY(waitUntil([&] { return title() == unmodified; }));
        QVERIFY2(waitUntil([&] { return !kept(); }), "the kept edits outlived the save");

        // Saved: Ctrl+Q asks nothing.
        QVERIFY(press("ctrl+q"));
        QVERIFY(m_app.waitForFinished(stepTimeoutMs));
        QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_app.exitCode(), 0);
    }

    void cleanupTestCase() {
        stop(m_app);
        stop(m_x.process);
    }
};

QTEST_GUILESS_MAIN(EditEndToEndTest)
#include "EditEndToEndTest.moc"
