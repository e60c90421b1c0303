#include "TimelineMouthChoice.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>

namespace mouthkey {

MouthChoice::MouthChoice(QWidget* parent)
    : QFrame(parent, Qt::Popup), m_list(new QListWidget(this)) {
    setObjectName(QStringLiteral("mouthChoice"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_list);
    m_list->setObjectName(QStringLiteral("mouthChoiceList"));
    m_list->setAccessibleName(tr("Mouth"));
    m_list->setUniformItemSizes(true);
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemClicked, this, &MouthChoice::choose);
}

void MouthChoice::open(const QStringList& names, const QString& current, QPoint at) {
    m_list->clear();
    m_list->addItems(names);
    const int row = static_cast<int>(names.indexOf(current));
    m_list->setCurrentRow(row >= 0 ? row : 0);
    // Every name at once, where the screen has the room.
    const int rows = static_cast<int>(names.size());
    const int rowHeight = m_list->sizeHintForRow(0);
    const int width = m_list->sizeHintForColumn(0) + 2 * m_list->frameWidth() + 24;
    int height = rows * rowHeight + 2 * m_list->frameWidth() + 2;
    const QScreen* screen = QGuiApplication::screenAt(at);
    if (screen != nullptr) {
        const QRect room = screen->availableGeometry();
        height = std::min(height, room.height() / 2);
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - width)));
        if (at.y() + height > room.bottom()) {
            at.setY(std::max(room.top(), at.y() - height));
        }
    }
    resize(width, height);
    move(at);
    show();
    m_list->setFocus(Qt::PopupFocusReason);
    m_list->scrollToItem(m_list->currentItem());
}

void MouthChoice::choose() {
    const QListWidgetItem* item = m_list->currentItem();
    const QString name = item != nullptr ? item->text() : QString();
    hide();
    if (!name.isEmpty()) {
        emit chosen(name);
    }
}

bool MouthChoice::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            choose();
            return true;
        case Qt::Key_Escape:
            hide();
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace mouthkey
