#include "app/AppIcon.h"

#include "app/ImageView.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace mouthkey {

QIcon applicationIcon() {
    // Rendered here rather than through Qt's SVG icon plug-in, which is an
    // optional package.
    QSvgRenderer renderer(imagePath(QStringLiteral("mouthkey")));
    QIcon icon;
    if (!renderer.isValid()) {
        return icon;
    }
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace mouthkey
