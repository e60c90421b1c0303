#include "app/AppIcon.h"
#include "app/DialogFileChooser.h"
#include "app/MainWindow.h"
#include "app/QueuedOutput.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
#ifdef SIGPIPE
    // Standard output may be a pipe whose reader has gone: the write then
    // fails and the line is dropped, rather than the signal ending the window.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mouthkey"));
    QApplication::setApplicationVersion(QStringLiteral(MOUTHKEY_VERSION));
    // Wayland compositors find the icon and menu entry by this id.
    QApplication::setDesktopFileName(QStringLiteral(MOUTHKEY_APP_ID));
    QApplication::setWindowIcon(mouthkey::applicationIcon());
    QApplication::setQuitOnLastWindowClosed(true);

    // QApplication has taken its own options already; what is left are files.
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A timing file to open, as a path or file:// URL."),
                                 QStringLiteral("[file]"));
    parser.process(app);

    mouthkey::MainWindow window(std::make_unique<mouthkey::DialogFileChooser>(),
                                std::make_unique<mouthkey::QueuedOutput>(fileno(stdout)));
    window.show();
    // Once the window is up, so that a large file never keeps it from showing.
    QMetaObject::invokeMethod(
        &window,
        [&window, files = parser.positionalArguments()] { window.openFromCommandLine(files); },
        Qt::QueuedConnection);
    return QApplication::exec();
}
