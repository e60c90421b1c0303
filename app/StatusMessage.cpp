#include "app/StatusMessage.h"

#include "app/WrappingLabel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

namespace mouthkey {

namespace {

// A red that reads on the palette's own background, light or dark.
QColor failureColour(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() > 128 ? QColor(0xb0, 0x1c, 0x1c)
                                                             : QColor(0xff, 0x8a, 0x80);
}

} // namespace

StatusMessage::StatusMessage(QWidget* parent)
    : QWidget(parent), m_icon(new QLabel(this)), m_label(new WrappingLabel(this)),
      m_button(new QToolButton(this)) {
    setObjectName(QStringLiteral("statusMessage"));
    setAccessibleName(tr("Status"));
    m_label->setObjectName(QStringLiteral("statusText"));
    m_button->setAutoRaise(false);
    m_button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_button->hide();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_button, 0, Qt::AlignTop);
    refresh();
}

StatusMessage& StatusMessage::of(QStatusBar& bar) {
    if (auto* existing = bar.findChild<StatusMessage*>(QString(), Qt::FindDirectChildrenOnly)) {
        return *existing;
    }
    auto* message = new StatusMessage(&bar);
    // Permanent, so that a passing temporary message cannot hide it.
    bar.addPermanentWidget(message, 1);
    return *message;
}

void StatusMessage::show(Kind kind, const QString& text) {
    m_kind = kind;
    m_text = text;
    offer(nullptr);
    refresh();
}

void StatusMessage::clear() {
    show(Kind::Done, QString());
}

void StatusMessage::offer(QAction* action) {
    m_button->setDefaultAction(action);
    m_button->setVisible(action != nullptr);
}

QAction* StatusMessage::offered() const {
    return m_button->isVisibleTo(this) ? m_button->defaultAction() : nullptr;
}

void StatusMessage::setHint(const QString& hint) {
    m_hint = hint;
    refresh();
}

QString StatusMessage::shownText() const {
    return m_text.isEmpty() ? m_hint : m_text;
}

void StatusMessage::refresh() {
    QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
    QPalette palette = this->palette();
    if (m_text.isEmpty()) {
        palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    } else if (m_kind == Kind::Failure) {
        icon = QStyle::SP_MessageBoxCritical;
        palette.setColor(QPalette::WindowText, failureColour(palette));
    } else if (m_kind == Kind::Notice) {
        icon = QStyle::SP_MessageBoxWarning;
    }
    m_label->setPalette(palette);
    m_label->setText(shownText());

    if (icon == QStyle::SP_CustomBase) {
        m_icon->clear();
        m_icon->hide();
    } else {
        const int size = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
        m_icon->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(size, size));
        m_icon->show();
    }
}

} // namespace mouthkey
