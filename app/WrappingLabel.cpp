#include "app/WrappingLabel.h"

#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace mouthkey {

WrappingLabel::WrappingLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    // Not a height-for-width policy: layouts would ask for the height at the
    // width of their size hints, which for this label is none at all. The
    // size hint follows the width the label has instead.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

int WrappingLabel::layOut(QTextLayout& layout, int width) const {
    QTextOption option(QStyle::visualAlignment(layoutDirection(), alignment()));
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setFont(font());
    layout.setTextOption(option);
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, 1));
        line.setPosition({0, y});
        y += line.height();
    }
    layout.endLayout();
    return std::max(static_cast<int>(std::ceil(y)), fontMetrics().height());
}

int WrappingLabel::textHeightAt(int width) const {
    QTextLayout layout(text());
    const QMargins margins = contentsMargins();
    return layOut(layout, width - margins.left() - margins.right()) + margins.top() +
           margins.bottom();
}

QSize WrappingLabel::sizeHint() const {
    return minimumSizeHint();
}

QSize WrappingLabel::minimumSizeHint() const {
    // Until it shows, at a width a layout has given it, the text is taken as one line.
    const int width = isVisible() ? this->width() : QWIDGETSIZE_MAX;
    return {fontMetrics().horizontalAdvance(QStringLiteral("MMMM")), textHeightAt(width)};
}

void WrappingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (event->size().width() != event->oldSize().width()) {
        updateGeometry(); // another width may need another number of lines
    }
}

void WrappingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect();
    QTextLayout layout(text());
    layOut(layout, area.width());
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, area.topLeft());
}

} // namespace mouthkey
