#include "app/MouthView.h"

#include "app/MouthDrawings.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

namespace mouthkey {

MouthView::MouthView(const MouthDrawings& drawings, QWidget* parent)
    : QWidget(parent), m_drawings(drawings) {
    setAccessibleName(tr("Playing mouth"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
}

void MouthView::showMouth(const Mouth& mouth, const QString& label) {
    if (mouth == m_mouth && label == m_label) {
        return;
    }
    m_mouth = mouth;
    m_label = label;
    setAccessibleDescription(label);
    setToolTip(label);
    update();
    emit mouthShown();
}

void MouthView::redraw() {
    update();
}

// Two lines: the time and frame, then the shape.
int MouthView::labelHeight() const {
    return 2 * fontMetrics().height() + 4;
}

QSize MouthView::drawingSize() const {
    const int side = std::max(1, std::min(width(), height() - labelHeight()));
    return {side, side};
}

// As wide as the drawing is tall: the row's height decides, the preview takes what is left.
void MouthView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int side = std::clamp(height() - labelHeight(), minimumSizeHint().width(), maximumSide);
    if (side != m_side) {
        m_side = side;
        updateGeometry();
    }
}

QPixmap MouthView::drawing() const {
    // In device pixels, so that it is sharp on a high-density screen too.
    const QSize size = drawingSize() * devicePixelRatioF();
    const QByteArray name = m_mouth.name.toUtf8();
    return m_mouth.noPosition ? m_drawings.noPosition(size)
                              : m_drawings.drawing(std::string_view(name.constData(), name.size()),
                                                   size, m_mouth.letters);
}

QSize MouthView::sizeHint() const {
    return {m_side, 160 + labelHeight()};
}

QSize MouthView::minimumSizeHint() const {
    // Room for the label's first line in a long take.
    const int line = fontMetrics().horizontalAdvance(QStringLiteral("00:00.0 \u00B7 frame 00,000"));
    return {std::max(minimumSide, line), minimumSide + labelHeight()};
}

void MouthView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap picture = drawing();
    // Scaled once per size by the drawings, so a frame costs one blit.
    const QSize shown = (QSizeF(picture.size()) / devicePixelRatioF()).toSize();
    painter.drawPixmap(QRect(QPoint((width() - shown.width()) / 2, 0), shown), picture);
    // "0:12.4 · frame 298 · AI" as "0:12.4 · frame 298" over "AI".
    const qsizetype cut =
        m_label.indexOf(QStringLiteral(" \u00B7 "), m_label.indexOf(u'\u00B7') + 1);
    const QStringList lines = {m_label.left(cut), cut < 0 ? QString() : m_label.mid(cut + 3)};
    painter.setPen(palette().color(QPalette::WindowText));
    int y = drawingSize().height() + 4;
    for (const QString& line : lines) {
        painter.drawText(QRect(0, y, width(), fontMetrics().height()),
                         Qt::AlignHCenter | Qt::AlignVCenter,
                         fontMetrics().elidedText(line, Qt::ElideRight, width()));
        y += fontMetrics().height();
    }
}

} // namespace mouthkey
