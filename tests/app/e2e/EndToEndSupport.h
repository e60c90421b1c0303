// What the end-to-end tests need to run the application and its tools from
// outside: private X servers, helper programs and their output.
#pragma once

#include "TestSupport.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <initializer_list>
#include <optional>

namespace e2e {

inline constexpr int stepTimeoutMs = 30000;

using mouthkey::test::readFile;
using mouthkey::test::samplePath;

// The first of the tools that is not installed, or nothing.
inline std::optional<QString> missingTool(std::initializer_list<const char*> tools) {
    for (const char* tool : tools) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            return QString::fromLatin1(tool);
        }
    }
    return std::nullopt;
}

inline void stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// Runs a tool to its end and returns what it printed; `ok` tells whether it
// exited normally with status 0. Failures are logged unless `quiet`.
inline QByteArray run(const QString& program, const QStringList& args,
                      const QProcessEnvironment& env, bool* ok, bool quiet = false) {
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(program, args);
    const bool finished = tool.waitForFinished(stepTimeoutMs);
    if (!finished) {
        stop(tool);
    }
    *ok = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (!*ok && !quiet) {
        qWarning("%s %s failed: %s", qPrintable(program), qPrintable(args.join(' ')),
                 tool.readAllStandardError().constData());
    }
    return tool.readAllStandardOutput();
}

// Starts Xvfb on a display it picks itself, and returns that display (":N"),
// or nothing when the server did not come up.
inline QString startXvfb(QProcess& server) {
    server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24",
                                          "-nolisten", "tcp", "-noreset"});
    if (!server.waitForStarted(stepTimeoutMs)) {
        return {};
    }
    QByteArray number;
    QDeadlineTimer deadline(stepTimeoutMs);
    while (!number.contains('\n') && !deadline.hasExpired() &&
           server.state() == QProcess::Running) {
        server.waitForReadyRead(200);
        number += server.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        return {};
    }
    return QLatin1Char(':') + QString::fromLatin1(number.trimmed());
}

// The environment the application runs in on that display: X11 alone, with
// a runtime folder of the test's own.
inline QProcessEnvironment x11Environment(const QString& display, const QString& runtimeDir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", runtimeDir);
    env.remove("WAYLAND_DISPLAY");
    env.remove("XAUTHORITY");
    return env;
}

// What xdotool printed, trimmed, or nothing when it failed.
inline std::optional<QString> xdotool(const QStringList& args, const QProcessEnvironment& env) {
    bool ok = false;
    const QByteArray out = run(QStringLiteral("xdotool"), args, env, &ok);
    return ok ? std::optional(QString::fromUtf8(out).trimmed()) : std::nullopt;
}

// A test's own X server, and the runtime folder its clients share: one only
// its user can enter, as Wayland also wants.
struct XServer {
    QProcess process;
    QTemporaryDir runtimeDir;
    QString display;

    // Starts Xvfb once every one of `tools` is installed: nothing, or why not.
    std::optional<QString> start(std::initializer_list<const char*> tools) {
        if (const auto tool = missingTool(tools)) {
            return QStringLiteral("%1 is missing; run scripts/install-deps.sh test").arg(*tool);
        }
        display = startXvfb(process);
        if (display.isEmpty()) {
            return QStringLiteral("Xvfb did not report its display");
        }
        if (!runtimeDir.isValid()) {
            return QStringLiteral("no runtime folder: ") + runtimeDir.errorString();
        }
        return std::nullopt;
    }
};

} // namespace e2e
