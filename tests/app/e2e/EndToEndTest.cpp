// Starts the real Mouthkey in a private X server, opens a sample through the
// real file dialog with keystrokes, converts, and reads the real clipboard.
#include "EndToEndSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <optional>

using namespace e2e;

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A timing file of about `bytes` bytes, written the way an export would.
QByteArray largeTimingFile(qsizetype bytes) {
    static const char* const phonemes[] = {"AI", "E",  "O",   "U",  "etc",
                                           "L",  "WQ", "MBP", "FV", "rest"};
    QByteArray text("MohoSwitch1\n");
    for (int frame = 1; text.size() < bytes; frame += 2) {
        text += QByteArray::number(frame) + ' ' + phonemes[frame % 10] + '\n';
    }
    return text;
}

// Everything that arrives on a file descriptor until `done` says so, or the time is up.
QByteArray readUntil(int fd, const std::function<bool(const QByteArray&)>& done) {
    QByteArray data;
    QDeadlineTimer deadline(stepTimeoutMs);
    char buffer[1 << 16];
    while (!done(data) && !deadline.hasExpired()) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 200) <= 0) {
            continue;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            data.append(buffer, got);
        } else if (got == 0) {
            QThread::msleep(50); // no writer at the moment
        }
    }
    return data;
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private:
    XServer m_x;
    QProcess m_app;
    QProcessEnvironment m_env;

    // Runs a tool against the test's X server and returns what it printed.
    QByteArray run(const QString& program, const QStringList& args, bool* ok) {
        return e2e::run(program, args, m_env, ok);
    }

    std::optional<QString> xdotool(const QStringList& args) { return e2e::xdotool(args, m_env); }

    // Waits for a visible window whose whole title matches, and returns its id.
    QString waitForWindow(const QString& title) {
        return xdotool({"search", "--sync", "--onlyvisible", "--name",
                        QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')})
            .value_or(QString())
            .section(QLatin1Char('\n'), 0, 0);
    }

    bool focusAndPress(const QString& window, const QString& keys) {
        return xdotool({"windowfocus", "--sync", window}) &&
               xdotool({"key", "--clearmodifiers", keys});
    }

    // Waits until the application's standard output ends with `tail`.
    bool waitForOutputEnding(QByteArray& output, const QByteArray& tail) {
        QDeadlineTimer deadline(stepTimeoutMs);
        while (!output.endsWith(tail)) {
            if (deadline.hasExpired() || m_app.state() != QProcess::Running) {
                return false;
            }
            m_app.waitForReadyRead(200);
            output += m_app.readAllStandardOutput();
        }
        return true;
    }

    // Waits for the main window of the process with that id, whatever file it names.
    QString waitForWindowOf(const QProcess& process) {
        return xdotool({"search", "--sync", "--onlyvisible", "--pid",
                        QString::number(process.processId()), "--name", "Mouthkey$"})
            .value_or(QString())
            .section(QLatin1Char('\n'), 0, 0);
    }

    // Ctrl+O, the path typed into the real dialog, Return; then waits for
    // the dialog to close, since keys sent before that would go to it.
    bool openInDialog(const QString& window, const QString& path) {
        if (!focusAndPress(window, "ctrl+o")) {
            return false;
        }
        const QString dialog = waitForWindow(QStringLiteral("Choose .dat File"));
        if (dialog.isEmpty() || !xdotool({"windowfocus", "--sync", dialog}) ||
            !xdotool({"type", "--delay", "10", path}) || !xdotool({"key", "Return"})) {
            return false;
        }
        QDeadlineTimer deadline(stepTimeoutMs);
        while (!deadline.hasExpired()) {
            QProcess search;
            search.setProcessEnvironment(m_env);
            search.start(QStringLiteral("xdotool"),
                         {"search", "--onlyvisible", "--name", "^Choose \\.dat File$"});
            if (search.waitForFinished(stepTimeoutMs) && search.exitCode() != 0) {
                return true; // no such window any more
            }
            QThread::msleep(100);
        }
        return false;
    }

    // What a paste would get, once `done` accepts it or the time is up.
    QByteArray waitForPaste(const std::function<bool(const QByteArray&)>& done) {
        QByteArray pasted;
        QDeadlineTimer deadline(stepTimeoutMs);
        while (!deadline.hasExpired()) {
            bool ok = false;
            pasted = run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, &ok);
            if (ok && done(pasted)) {
                break;
            }
            QThread::msleep(100);
        }
        return pasted;
    }

    // With `sample` loaded, its URL the only output so far: Ctrl+Return must
    // echo the document after it and put that very document on the clipboard,
    // which happens just after its last line is printed.
    void expectLoadedThenConverted(const QString& window, const QString& sample,
                                   const QByteArray& expected) {
        const QByteArray urlLine = QUrl::fromLocalFile(sample).toEncoded() + '\n';
        QByteArray output;
        QVERIFY2(waitForOutputEnding(output, urlLine), output.constData());
        QCOMPARE(output, urlLine);
        QVERIFY(focusAndPress(window, "ctrl+Return"));
        QVERIFY2(waitForOutputEnding(output, "End of Keyframe Data\n"), output.constData());
        QCOMPARE(output, urlLine + '\n' + expected + '\n');
        QCOMPARE(waitForPaste([&](const QByteArray& text) { return text == expected; }), expected);
    }

    // Ctrl+Q, and the program must end normally: not killed, not hung.
    void quitNormally(const QString& window, QProcess& app) {
        QVERIFY(focusAndPress(window, "ctrl+q"));
        QVERIFY(app.waitForFinished(stepTimeoutMs));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
    }

private slots:
    void initTestCase() {
        if (const auto why = m_x.start({"Xvfb", "xdotool", "xclip"})) {
            QFAIL(qPrintable(*why));
        }
        m_env = x11Environment(m_x.display, m_x.runtimeDir.path());
    }

    void opensConvertsAndPastes() {
        const QString sample = samplePath("hello-world-24fps.dat");
        const QByteArray expected =
            readFile(QDir(MOUTHKEY_EXPECTED_DIR).filePath("hello-world-24fps.expected"));
        QVERIFY(!expected.isEmpty());

        m_app.setProcessEnvironment(m_env);
        m_app.setProcessChannelMode(QProcess::SeparateChannels);
        m_app.start(QStringLiteral(MOUTHKEY_APP), {});
        QVERIFY(m_app.waitForStarted(stepTimeoutMs));

        const QString window = waitForWindow(QStringLiteral("Mouthkey"));
        QVERIFY2(!window.isEmpty(), "the Mouthkey window did not appear");

        // Open: Ctrl+O, type the path into the real dialog, Return.
        QVERIFY(focusAndPress(window, "ctrl+o"));
        const QString dialog = waitForWindow(QStringLiteral("Choose .dat File"));
        QVERIFY2(!dialog.isEmpty(), "the file dialog did not appear");
        QVERIFY(xdotool({"windowfocus", "--sync", dialog}));
        QVERIFY(xdotool({"type", "--delay", "10", sample}));
        QVERIFY(xdotool({"key", "Return"}));

        expectLoadedThenConverted(window, sample, expected);
        if (QTest::currentTestFailed()) {
            return;
        }

        bool ok = false;
        const QString screenshot = QStringLiteral(MOUTHKEY_SCREENSHOT);
        QFile::remove(screenshot);
        run(QStringLiteral(MOUTHKEY_WINDOW_GRAB), {window, screenshot}, &ok);
        QVERIFY2(ok, "could not take a screenshot of the window");
        QVERIFY(readFile(screenshot).startsWith("\x89PNG"));
        qInfo("screenshot saved to %s", qPrintable(screenshot));

        // Quit: Ctrl+Q ends the program normally.
        QVERIFY(focusAndPress(window, "ctrl+q"));
        QVERIFY(m_app.waitForFinished(stepTimeoutMs));
        const QByteArray errors = m_app.readAllStandardError();
        QVERIFY2(m_app.exitStatus() == QProcess::NormalExit && m_app.exitCode() == 0,
                 errors.constData());
    }

    // As a launcher starts it, with Qt's own options and files after them, in
    // the files' folder: the first file opens as a confirmed Open would.
    void opensTheFileNamedOnTheCommandLine() {
        const QString sample = samplePath("hello-world-24fps.dat");
        const QByteArray expected =
            readFile(QDir(MOUTHKEY_EXPECTED_DIR).filePath("hello-world-24fps.expected"));

        m_app.setProcessEnvironment(m_env);
        m_app.setWorkingDirectory(QFileInfo(sample).absolutePath());
        m_app.start(QStringLiteral(MOUTHKEY_APP),
                    {"-platform", "xcb", QFileInfo(sample).fileName(),
                     QUrl::fromLocalFile(samplePath("every-phoneme.dat")).toString()});
        QVERIFY(m_app.waitForStarted(stepTimeoutMs));
        const QString window = waitForWindowOf(m_app);
        QVERIFY2(!window.isEmpty(), "the Mouthkey window did not appear");

        expectLoadedThenConverted(window, sample, expected);
        quitNormally(window, m_app);
    }

    // The dialogue typed into the Script field, a sound opened in the real
    // dialog: once timed, the title marks the take unsaved and Convert pastes it.
    void timesASoundByTheScriptTyped() {
        if (const auto missing = missingTool({"espeak-ng"})) {
            QSKIP(qPrintable(*missing + " is not installed (scripts/install-deps.sh test)"));
        }
        QTemporaryDir dir;
        const QString sound = dir.filePath(QStringLiteral("bob.wav"));
        bool ok = false;
        run(QStringLiteral("espeak-ng"), {"-w", sound, "Bob may move the boxes."}, &ok);
        QVERIFY(ok);

        m_app.setProcessEnvironment(m_env);
        m_app.start(QStringLiteral(MOUTHKEY_APP), {});
        QVERIFY(m_app.waitForStarted(stepTimeoutMs));
        const QString window = waitForWindowOf(m_app);
        QVERIFY2(!window.isEmpty(), "the Mouthkey window did not appear");
        QVERIFY(focusAndPress(window, "alt+t"));
        QVERIFY(xdotool({"type", "--delay", "10", "Bob may move the boxes."}));
        QVERIFY(openInDialog(window, sound));
        QVERIFY2(!waitForWindow(QStringLiteral("bob.wav* \u2014 Mouthkey")).isEmpty(),
                 "the timed take did not load");

        QByteArray output;
        QVERIFY(focusAndPress(window, "ctrl+Return"));
        QVERIFY2(waitForOutputEnding(output, "End of Keyframe Data\n"), output.constData());
        const QByteArray pasted = waitForPaste(
            [](const QByteArray& text) { return text.endsWith("End of Keyframe Data"); });
        QVERIFY2(pasted.startsWith("Adobe After Effects 8.0 Keyframe Data"), pasted.constData());
        QVERIFY(pasted.count('\n') > 10);
        stop(m_app); // the take is unsaved: Quit would ask
    }

    // As `mouthkey | head -c 20`: the reader takes 20 bytes and goes away.
    // Lines that can no longer be written are dropped; the window carries on.
    void carriesOnWhenStandardOutputIsClosed() {
        const QString sample = samplePath("hello-world-24fps.dat");
        const QByteArray expected =
            readFile(QDir(MOUTHKEY_EXPECTED_DIR).filePath("hello-world-24fps.expected"));

        QProcess head;
        QProcess app;
        app.setProcessEnvironment(m_env);
        app.setStandardOutputProcess(&head);
        head.start(QStringLiteral("head"), {"-c", "20"});
        app.start(QStringLiteral(MOUTHKEY_APP), {});
        QVERIFY(app.waitForStarted(stepTimeoutMs));
        const QString window = waitForWindowOf(app);
        QVERIFY2(!window.isEmpty(), "the Mouthkey window did not appear");

        QVERIFY(openInDialog(window, sample));
        // The file's URL line is longer than what head takes.
        QVERIFY(head.waitForFinished(stepTimeoutMs));
        QCOMPARE(head.readAllStandardOutput(), QUrl::fromLocalFile(sample).toEncoded().left(20));

        QVERIFY(focusAndPress(window, "ctrl+Return"));
        QCOMPARE(waitForPaste([&](const QByteArray& text) { return text == expected; }), expected);
        QVERIFY(focusAndPress(window, "ctrl+Return"));
        QCOMPARE(waitForPaste([&](const QByteArray& text) { return text == expected; }), expected);
        QCOMPARE(app.state(), QProcess::Running);
        quitNormally(window, app);
    }

    // As `mouthkey | sleep 60`: nobody reads. The window keeps working, the
    // lines wait in a bounded queue and those that do not fit are dropped;
    // once the reader catches up it gets whole lines in order and a count of
    // what was dropped.
    void carriesOnWhenStandardOutputIsNotRead() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString big = dir.filePath("big.dat");
        {
            QFile file(big);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write(largeTimingFile(10 * 1000 * 1000)) > 0);
        }
        const QString sample = samplePath("hello-world-24fps.dat");
        const QByteArray expected =
            readFile(QDir(MOUTHKEY_EXPECTED_DIR).filePath("hello-world-24fps.expected"));

        // A pipe whose reader is there but does not read.
        const QString fifo = dir.filePath("stdout");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        const auto closeReader = qScopeGuard([reader] { ::close(reader); });

        QProcess app;
        app.setProcessEnvironment(m_env);
        app.setStandardOutputFile(fifo);
        app.start(QStringLiteral(MOUTHKEY_APP), {});
        QVERIFY(app.waitForStarted(stepTimeoutMs));
        const QString window = waitForWindowOf(app);
        QVERIFY2(!window.isEmpty(), "the Mouthkey window did not appear");

        // Its echo is far more than the pipe holds.
        QVERIFY(openInDialog(window, big));
        const QByteArray bigUrl = QUrl::fromLocalFile(big).toEncoded();
        QByteArray output =
            readUntil(reader, [&](const QByteArray& data) { return data.endsWith('\n'); });
        QCOMPARE(output, bigUrl + '\n');
        QVERIFY(focusAndPress(window, "ctrl+Return"));
        const QByteArray document = waitForPaste([](const QByteArray& text) {
            return text.size() > 10 * 1000 * 1000 && text.endsWith("End of Keyframe Data");
        });
        QVERIFY2(document.endsWith("End of Keyframe Data"), "the clipboard was not set");

        // Still answering, while the queue is full: these lines are dropped.
        QVERIFY(openInDialog(window, sample));
        QVERIFY(focusAndPress(window, "ctrl+Return"));
        QCOMPARE(waitForPaste([&](const QByteArray& text) { return text == expected; }), expected);

        const QByteArray droppedEcho =
            QUrl::fromLocalFile(sample).toEncoded() + "\n\n" + expected + '\n';
        const QByteArray note = QByteArray::number(droppedEcho.count('\n')) +
                                " lines dropped: standard output did not keep up\n";
        output += readUntil(reader, [&](const QByteArray& data) { return data.endsWith(note); });
        QVERIFY2(output.endsWith(note), output.right(200).constData());
        QVERIFY(output == bigUrl + "\n\n" + document + "\n" + note);
        quitNormally(window, app);
    }

    void cleanupTestCase() {
        stop(m_app);
        stop(m_x.process);
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
