// Saves a picture of one X11 window: window_grab WINDOW-ID OUT.png
// Used by the end-to-end test, which drives the application from outside.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: window_grab WINDOW-ID OUT.png\n");
        return 2;
    }
    bool ok = false;
    const WId window = args.at(1).toULongLong(&ok, 0);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!ok || screen == nullptr) {
        std::fprintf(stderr, "window_grab: bad window id or no screen\n");
        return 2;
    }
    const QPixmap picture = screen->grabWindow(window);
    if (picture.isNull() || !picture.save(args.at(2), "PNG")) {
        std::fprintf(stderr, "window_grab: could not grab or save the window\n");
        return 1;
    }
    return 0;
}
