#include "app/ImageView.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace mouthkey {

QString imagePath(const QString& name) {
    if (name.isEmpty()) {
        return {};
    }
    const QString path = QStringLiteral(":/images/%1.svg").arg(name);
    return QFile::exists(path) ? path : QString();
}

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

ImageView::~ImageView() = default;

void ImageView::setImageNamed(const QString& name) {
    const QString path = imagePath(name);
    auto renderer = path.isEmpty() ? nullptr : std::make_unique<QSvgRenderer>(path);
    if (renderer && !renderer->isValid()) {
        renderer.reset();
    }
    m_renderer = std::move(renderer);
    m_name = m_renderer ? name : QString();
    setAccessibleDescription(m_name);
    update();
}

QSize ImageView::sizeHint() const {
    return {112, 112};
}

void ImageView::paintEvent(QPaintEvent*) {
    if (!m_renderer) {
        return;
    }
    QSizeF size = m_renderer->defaultSize();
    size.scale(QSizeF(rect().size()), Qt::KeepAspectRatio);
    QRectF target(QPointF(), size);
    target.moveCenter(QRectF(rect()).center());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&painter, target);
}

} // namespace mouthkey
