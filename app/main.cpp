#include "app/AppIcon.h"
#include "app/DialogFileChooser.h"
#include "app/MainWindow.h"

#include <QApplication>

#include <iostream>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mouthkey"));
    QApplication::setApplicationVersion(QStringLiteral(MOUTHKEY_VERSION));
    // Wayland compositors find the icon and menu entry by this id.
    QApplication::setDesktopFileName(QStringLiteral(MOUTHKEY_APP_ID));
    QApplication::setWindowIcon(mouthkey::applicationIcon());
    QApplication::setQuitOnLastWindowClosed(true);

    mouthkey::MainWindow window(std::make_unique<mouthkey::DialogFileChooser>(), std::cout);
    window.show();
    return QApplication::exec();
}
