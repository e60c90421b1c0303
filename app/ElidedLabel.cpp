#include "app/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

namespace mouthkey {

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), m_mode(mode) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), m_mode, contentsRect().width());
}

QSize ElidedLabel::minimumSizeHint() const {
    // Room for an ellipsis and a few letters; the rest is the layout's to give.
    return {fontMetrics().horizontalAdvance(QStringLiteral("MMMM…")),
            QLabel::minimumSizeHint().height()};
}

QString ElidedLabel::wrappingToolTip(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    QString marked;
    marked.reserve(text.size() + text.size() / 4);
    for (const QChar c : text) {
        marked += c;
        if (c == u'/' || c == u'\\') {
            marked += QChar(0x200B); // a zero-width space: the line may break after a folder
        }
    }
    // Rich text, so that the tip wraps; pre-wrap keeps every space as typed.
    return QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(marked.toHtmlEscaped());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(),
                          QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

} // namespace mouthkey
