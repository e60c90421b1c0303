// Starts the real Mouthkey as a native Wayland client of weston, which runs
// in a window of a private X server so that keystrokes sent there reach the
// application through weston's seat. Opens a sample through the real file
// dialog, converts, and reads the Wayland clipboard with wl-paste.
#include "EndToEndSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <optional>

using namespace e2e;

namespace {

// What CTest counts as skipped: weston could not run on this machine.
constexpr int skipExitCode = 77;
const QString socketName = QStringLiteral("wayland-mouthkey-test");

// Follows the client's protocol log (WAYLAND_DEBUG=client) to know which of
// its windows has the keyboard, by title, without touching the application.
class KeyboardFocusLog {
public:
    void feed(const QByteArray& bytes) {
        m_pending += bytes;
        qsizetype end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            line(QString::fromUtf8(m_pending.left(end)));
            m_pending.remove(0, end + 1);
        }
    }

    QString focusedTitle() const { return m_titles.value(m_focused); }
    QStringList appIds() const { return m_appIds; }
    // How often the application served the clipboard to a client that held
    // the keyboard, as wl-paste does for a moment (weston's own copy right
    // after a selection is set is made while the application has it).
    int readsWhileUnfocused() const { return m_readsWhileUnfocused; }
    // The last protocol lines, to show what happened when a step fails.
    QByteArray recent() const { return m_recent.join('\n').toUtf8(); }
    // Everything the application wrote to stderr besides the protocol log.
    QByteArray messages() const { return m_messages; }

private:
    void line(const QString& text) {
        static const QRegularExpression logged(QStringLiteral(R"(^\[\s*\d+\.\d+\] )"));
        if (!logged.match(text).hasMatch()) {
            m_messages += text.toUtf8() + '\n';
            return;
        }
        m_recent.append(text);
        if (m_recent.size() > 40) {
            m_recent.removeFirst();
        }

        static const QRegularExpression xdgSurface(
            QStringLiteral(R"(get_xdg_surface\(new id xdg_surface@(\d+), wl_surface@(\d+)\))"));
        static const QRegularExpression toplevel(
            QStringLiteral(R"(xdg_surface@(\d+)\.get_toplevel\(new id xdg_toplevel@(\d+)\))"));
        static const QRegularExpression title(
            QStringLiteral(R"re(xdg_toplevel@(\d+)\.set_title\("(.*)"\))re"));
        static const QRegularExpression appId(
            QStringLiteral(R"re(xdg_toplevel@\d+\.set_app_id\("(.*)"\))re"));
        static const QRegularExpression enter(
            QStringLiteral(R"(wl_keyboard@\d+\.enter\(\d+, wl_surface@(\d+),)"));
        static const QRegularExpression leave(QStringLiteral(R"(wl_keyboard@\d+\.leave\()"));
        static const QRegularExpression send(QStringLiteral(R"(wl_data_source@\d+\.send\()"));

        QRegularExpressionMatch m;
        if ((m = xdgSurface.match(text)).hasMatch()) {
            m_surfaceOfXdg.insert(m.captured(1), m.captured(2));
            m_titles.remove(m.captured(2));
        } else if ((m = toplevel.match(text)).hasMatch()) {
            m_surfaceOfToplevel.insert(m.captured(2), m_surfaceOfXdg.value(m.captured(1)));
        } else if ((m = title.match(text)).hasMatch()) {
            m_titles.insert(m_surfaceOfToplevel.value(m.captured(1)), m.captured(2));
        } else if ((m = appId.match(text)).hasMatch()) {
            m_appIds.append(m.captured(1));
        } else if ((m = enter.match(text)).hasMatch()) {
            m_focused = m.captured(1);
        } else if (leave.match(text).hasMatch()) {
            m_focused.clear();
        } else if (send.match(text).hasMatch() && m_focused.isEmpty()) {
            ++m_readsWhileUnfocused;
        }
    }

    QByteArray m_pending;
    QHash<QString, QString> m_surfaceOfXdg;
    QHash<QString, QString> m_surfaceOfToplevel;
    QHash<QString, QString> m_titles; // by wl_surface id
    QStringList m_appIds;
    QString m_focused;
    QByteArray m_messages;
    int m_readsWhileUnfocused = 0;
    QStringList m_recent;
};

} // namespace

class WaylandEndToEndTest : public QObject {
    Q_OBJECT

public:
    bool westonUnavailable() const { return m_westonUnavailable; }

private:
    XServer m_x;
    QProcess m_weston;
    QProcess m_app;
    QProcessEnvironment m_xEnv;       // for xdotool, talking to the X server
    QProcessEnvironment m_waylandEnv; // for the application and wl-paste
    QString m_westonWindow;
    KeyboardFocusLog m_focus;
    QFile m_appLog; // the application's stderr, a file so that it never waits on us
    QByteArray m_appOutput;
    bool m_westonUnavailable = false;

    std::optional<QString> xdotool(const QStringList& args) { return e2e::xdotool(args, m_xEnv); }

    // Reads what the application has printed so far, on both channels.
    void pump(int waitMs) {
        m_app.waitForReadyRead(waitMs);
        m_appOutput += m_app.readAllStandardOutput();
        m_focus.feed(m_appLog.readAll());
    }

    bool waitForFocus(const QString& title) {
        QDeadlineTimer deadline(stepTimeoutMs);
        while (m_focus.focusedTitle() != title) {
            if (deadline.hasExpired() || m_app.state() != QProcess::Running) {
                qWarning("keyboard focus is on '%s', not '%s'; the application said: %s",
                         qPrintable(m_focus.focusedTitle()), qPrintable(title),
                         m_focus.messages().constData());
                return false;
            }
            pump(100);
        }
        return true;
    }

    // Sends keys through weston's X window, which holds the X focus, once the
    // window called `title` has the Wayland keyboard.
    bool pressOn(const QString& title, const QString& keys) {
        return waitForFocus(title) && xdotool({"key", "--clearmodifiers", keys});
    }

    bool waitForOutputEnding(const QByteArray& tail, int timeoutMs = stepTimeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_appOutput.endsWith(tail)) {
            if (deadline.hasExpired() || m_app.state() != QProcess::Running) {
                return false;
            }
            pump(200);
        }
        return true;
    }

    // Starts weston with its X11 backend and waits for its socket and window.
    // Returns an empty string when it started, else why it did not.
    QString startWeston() {
        m_weston.setProcessEnvironment(m_xEnv);
        m_weston.setProcessChannelMode(QProcess::MergedChannels);
        const QString log = QDir(m_x.runtimeDir.path()).filePath("weston.log");
        m_weston.setStandardOutputFile(log);
        m_weston.start(QStringLiteral("weston"),
                       {"--backend=x11-backend.so", "--use-pixman", "--no-config", "--idle-time=0",
                        "--width=1000", "--height=740", QStringLiteral("--socket=") + socketName});
        if (!m_weston.waitForStarted(stepTimeoutMs)) {
            return m_weston.errorString();
        }
        const QString socket = QDir(m_x.runtimeDir.path()).filePath(socketName);
        QDeadlineTimer deadline(stepTimeoutMs);
        while (m_westonWindow.isEmpty()) {
            if (m_weston.state() != QProcess::Running) {
                return QString::fromLocal8Bit(readFile(log).right(2000));
            }
            if (deadline.hasExpired()) {
                return {}; // running but silent: a fault, which the test reports
            }
            if (QFileInfo::exists(socket)) {
                bool ok = false;
                const QByteArray ids =
                    run(QStringLiteral("xdotool"), {"search", "--class", "^Weston Compositor$"},
                        m_xEnv, &ok, true);
                m_westonWindow = QString::fromLatin1(ids).section(QLatin1Char('\n'), 0, 0);
            }
            m_weston.waitForFinished(100);
        }
        return {};
    }

private slots:
    void initTestCase() {
        if (const auto why = m_x.start({"Xvfb", "xdotool", "weston", "wl-paste"})) {
            QFAIL(qPrintable(*why));
        }
        m_xEnv = x11Environment(m_x.display, m_x.runtimeDir.path());

        const QString why = startWeston();
        if (!why.isEmpty()) {
            m_westonUnavailable = true;
            QSKIP(qPrintable(QStringLiteral("weston cannot run here: ") + why));
        }
        QVERIFY2(!m_westonWindow.isEmpty(), "weston started but its window did not appear");
        // Focused once, before any client: weston answers a change of X focus by
        // moving its own keyboard focus, and keys sent meanwhile would be lost.
        QVERIFY(xdotool({"windowfocus", "--sync", m_westonWindow}));
        QCOMPARE(xdotool({"getwindowfocus"}).value_or(QString()), m_westonWindow);

        // No DISPLAY: the application must not fall back to X11.
        m_waylandEnv = m_xEnv;
        m_waylandEnv.remove("DISPLAY");
        m_waylandEnv.insert("WAYLAND_DISPLAY", socketName);
        m_waylandEnv.insert("QT_QPA_PLATFORM", "wayland");
    }

    void opensConvertsAndPastes() {
        const QString sample = samplePath("hello-world-24fps.dat");
        const QByteArray expected =
            readFile(QDir(MOUTHKEY_EXPECTED_DIR).filePath("hello-world-24fps.expected"));
        QVERIFY(!expected.isEmpty());

        QProcessEnvironment appEnv = m_waylandEnv;
        appEnv.insert("QT_QPA_PLATFORM", "wayland");
        appEnv.insert("WAYLAND_DEBUG", "client");
        m_app.setProcessEnvironment(appEnv);
        m_app.setProcessChannelMode(QProcess::SeparateChannels);
        m_appLog.setFileName(QDir(m_x.runtimeDir.path()).filePath("mouthkey.log"));
        m_app.setStandardErrorFile(m_appLog.fileName());
        m_app.start(QStringLiteral(MOUTHKEY_APP), {});
        QVERIFY(m_app.waitForStarted(stepTimeoutMs));
        QVERIFY(m_appLog.open(QIODevice::ReadOnly | QIODevice::Unbuffered));

        // Open: Ctrl+O, type the path into the real dialog, Return.
        QVERIFY2(pressOn(QStringLiteral("Mouthkey"), "ctrl+o"), "the window did not get the keys");
        // Compositors match the window to its desktop file by this id.
        QCOMPARE(m_focus.appIds().value(0), QStringLiteral("app.mouthkey.Mouthkey"));
        QVERIFY2(waitForFocus(QStringLiteral("Choose .dat File")),
                 "the file dialog did not appear");
        QVERIFY(xdotool({"type", "--delay", "10", sample}));
        QVERIFY(xdotool({"key", "Return"}));

        const QByteArray urlLine = QUrl::fromLocalFile(sample).toEncoded() + '\n';
        // On a loaded machine the dialog's completion of the typed path may
        // still be showing and take that Return for itself; while the dialog
        // keeps the keyboard, nothing was opened, so Return is pressed again.
        for (int retry = 0; retry < 3 && !waitForOutputEnding(urlLine, 3000) &&
                            m_focus.focusedTitle() == QStringLiteral("Choose .dat File");
             ++retry) {
            QVERIFY(xdotool({"key", "Return"}));
        }
        QVERIFY2(waitForOutputEnding(urlLine), m_appOutput.constData());
        QCOMPARE(m_appOutput, urlLine);

        // Convert: Ctrl+Return, then read what a paste would get. Once a file
        // is loaded, the title names it.
        const QString loaded = QFileInfo(sample).fileName() + QStringLiteral(" \u2014 Mouthkey");
        QVERIFY(pressOn(loaded, "ctrl+Return"));
        QVERIFY2(waitForOutputEnding("End of Keyframe Data\n"), m_appOutput.constData());
        QCOMPARE(m_appOutput, urlLine + '\n' + expected + '\n');

        // The selection is offered just after the last line is printed.
        bool ok = false;
        QByteArray pasted;
        QDeadlineTimer deadline(stepTimeoutMs);
        int readsBefore = 0;
        for (;;) {
            pump(0);
            readsBefore = m_focus.readsWhileUnfocused();
            pasted = run(QStringLiteral("wl-paste"), {"-n"}, m_waylandEnv, &ok, true);
            if ((ok && pasted == expected) || deadline.hasExpired()) {
                break;
            }
            QThread::msleep(100);
        }
        QVERIFY2(ok, "wl-paste found nothing on the clipboard");
        QCOMPARE(pasted, expected);

        // wl-paste took the keyboard for a moment; once the application has
        // logged serving it, the next press waits for the keyboard to come back.
        QDeadlineTimer served(stepTimeoutMs);
        while (m_focus.readsWhileUnfocused() == readsBefore && !served.hasExpired()) {
            pump(100);
        }
        QVERIFY2(m_focus.readsWhileUnfocused() > readsBefore,
                 "the application did not log serving wl-paste");

        // Quit: Ctrl+Q ends the program normally.
        QVERIFY(pressOn(loaded, "ctrl+q"));
        if (!m_app.waitForFinished(stepTimeoutMs)) {
            pump(0);
            QFAIL(qPrintable(QStringLiteral("Ctrl+Q did not end the application; it logged:\n") +
                             QString::fromUtf8(m_focus.recent())));
        }
        m_focus.feed(m_appLog.readAll() + '\n');
        QVERIFY2(m_app.exitStatus() == QProcess::NormalExit && m_app.exitCode() == 0,
                 m_focus.messages().constData());
    }

    void cleanupTestCase() {
        stop(m_app);
        stop(m_weston);
        stop(m_x.process);
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    WaylandEndToEndTest test;
    const int failures = QTest::qExec(&test, argc, argv);
    if (failures == 0 && test.westonUnavailable()) {
        return skipExitCode;
    }
    return failures;
}

#include "WaylandEndToEndTest.moc"
