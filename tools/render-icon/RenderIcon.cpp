// Build-time tool: renders the scalable application icon to a square PNG.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool sizeOk = false;
    const int size = args.size() == 4 ? args[3].toInt(&sizeOk) : 0;
    if (!sizeOk || size <= 0) {
        std::fprintf(stderr, "usage: render-icon INPUT.svg OUTPUT.png SIZE\n");
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render-icon: cannot load '%s'\n", qPrintable(args[1]));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (!image.save(args[2], "PNG")) {
        std::fprintf(stderr, "render-icon: cannot write '%s'\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
