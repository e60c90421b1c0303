// Saves pictures of one X11 window:
//   window_grab WINDOW-ID OUT.png
//   window_grab WINDOW-ID OUT-%1.png COUNT GAP-MS
// The second takes COUNT pictures GAP-MS apart, %1 standing for 0, 1, ...,
// and prints for each "N BEFORE AFTER": the monotonic clock in ms around the
// grab, as QElapsedTimer::msecsSinceReference counts it, so that a test can
// tell when each was taken. Used by the end-to-end tests, which drive the
// application from outside.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>

namespace {

qint64 monotonicMs() {
    QElapsedTimer now;
    now.start();
    return now.msecsSinceReference();
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3 && args.size() != 5) {
        std::fprintf(stderr, "usage: window_grab WINDOW-ID OUT.png [COUNT GAP-MS]\n");
        return 2;
    }
    bool ok = false;
    const WId window = args.at(1).toULongLong(&ok, 0);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!ok || screen == nullptr) {
        std::fprintf(stderr, "window_grab: bad window id or no screen\n");
        return 2;
    }
    const int count = args.size() == 5 ? args.at(3).toInt() : 1;
    const unsigned long gap = args.size() == 5 ? args.at(4).toULong() : 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            QThread::msleep(gap);
        }
        const qint64 before = monotonicMs();
        const QPixmap picture = screen->grabWindow(window);
        const qint64 after = monotonicMs();
        const QString out = args.size() == 5 ? args.at(2).arg(i) : args.at(2);
        if (picture.isNull() || !picture.save(out, "PNG")) {
            std::fprintf(stderr, "window_grab: could not grab or save the window\n");
            return 1;
        }
        if (args.size() == 5) {
            std::printf("%d %lld %lld\n", i, static_cast<long long>(before),
                        static_cast<long long>(after));
        }
    }
    return 0;
}
