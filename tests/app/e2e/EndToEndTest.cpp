// Starts the real Mouthkey in a private X server, opens a sample through the
// real file dialog with keystrokes, converts, and reads the real clipboard.
#include "EndToEndSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <optional>

using namespace e2e;

class EndToEndTest : public QObject {
    Q_OBJECT

private:
    QProcess m_xserver;
    QProcess m_app;
    QTemporaryDir m_runtimeDir;
    QProcessEnvironment m_env;

    // Runs a tool against the test's X server and returns what it printed.
    QByteArray run(const QString& program, const QStringList& args, bool* ok) {
        return e2e::run(program, args, m_env, ok);
    }

    // What xdotool printed, or nothing when it failed.
    std::optional<QString> xdotool(const QStringList& args) {
        bool ok = false;
        const QByteArray out = run(QStringLiteral("xdotool"), args, &ok);
        if (!ok) {
            return std::nullopt;
        }
        return QString::fromUtf8(out).trimmed();
    }

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

private slots:
    void initTestCase() {
        for (const char* tool : {"Xvfb", "xdotool", "xclip"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                QFAIL(qPrintable(QStringLiteral("%1 is missing; run scripts/install-deps.sh test")
                                     .arg(QString::fromLatin1(tool))));
            }
        }
        // The server picks a free display itself and reports its number.
        const QString display = startXvfb(m_xserver);
        QVERIFY2(!display.isEmpty(), "Xvfb did not report its display");

        QVERIFY(m_runtimeDir.isValid());
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("DISPLAY", display);
        m_env.insert("QT_QPA_PLATFORM", "xcb");
        m_env.insert("XDG_RUNTIME_DIR", m_runtimeDir.path());
        m_env.remove("WAYLAND_DISPLAY");
        m_env.remove("XAUTHORITY");
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

        const QByteArray urlLine = QUrl::fromLocalFile(sample).toEncoded() + '\n';
        QByteArray output;
        QVERIFY2(waitForOutputEnding(output, urlLine), output.constData());
        QCOMPARE(output, urlLine);

        // Convert: Ctrl+Return, then read what a paste would get.
        QVERIFY(focusAndPress(window, "ctrl+Return"));
        QVERIFY2(waitForOutputEnding(output, "End of Keyframe Data\n"), output.constData());
        QCOMPARE(output, urlLine + '\n' + expected + '\n');

        // The document goes to the clipboard just after its last line is printed.
        bool ok = false;
        QByteArray pasted;
        QDeadlineTimer deadline(stepTimeoutMs);
        for (;;) {
            pasted = run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, &ok);
            if ((ok && pasted.endsWith("End of Keyframe Data")) || deadline.hasExpired()) {
                break;
            }
            QThread::msleep(100);
        }
        QVERIFY(ok);
        QCOMPARE(pasted, expected);

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

    void cleanupTestCase() {
        stop(m_app);
        stop(m_xserver);
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
