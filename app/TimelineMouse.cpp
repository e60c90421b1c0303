// What the timeline does with the mouse: it asks, by its signals, for the
// selection and the edits; the time axis moves the player; the wheel zooms
// and scrolls.
#include "app/TimelinePreview.h"

#include "TimelineMouthChoice.h"
#include "conversion/Playback.h"
#include "textinput/Utf8Text.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace mouthkey {

namespace {

constexpr double wheelZoomStep = 1.25; // a notch's

} // namespace

void TimelinePreview::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("timelineMenu"));
    m_insertAction = m_menu->addAction(tr("&Insert Cue Here"), this,
                                       [this] { emit insertRequested(m_menuFrame); });
    m_insertAction->setObjectName(QStringLiteral("insertCueAction"));
    m_insertAction->setShortcut(QKeySequence(Qt::Key_Insert));
    m_deleteAction = m_menu->addAction(tr("&Delete"), this, [this] { emit deleteRequested(); });
    m_deleteAction->setObjectName(QStringLiteral("deleteCueAction"));
    m_deleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    // Shown in the menu for the keys the timeline answers itself.
    for (QAction* action : m_menu->actions()) {
        action->setShortcutContext(Qt::WidgetShortcut);
    }
}

void TimelinePreview::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_track.empty()) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPointF at = event->position();
    // The time axis, and where no cue is in force, move the player; a cue is selected.
    const auto cue = at.y() > plotRect().bottom() ? std::nullopt : cueAt(at.x());
    if (!cue) {
        m_scrubbing = true;
        emit frameChosen(frameAtX(at.x()));
        return;
    }
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    m_activeEnd = *cue;
    emit selectRequested(*cue, extend);
    if (!extend) {
        m_drag = CueDrag{*cue, at.x(), false, {*cue, *cue}, 0};
    }
}

void TimelinePreview::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x();
    const bool held = event->buttons().testFlag(Qt::LeftButton);
    if (held && m_scrubbing) {
        emit frameChosen(frameAtX(x));
    } else if (held && m_drag) {
        if (!m_drag->moving && std::abs(x - m_drag->fromX) >= QApplication::startDragDistance()) {
            // The selection moves when the cue is in it; else the cue alone.
            m_drag->moving = true;
            m_drag->range = m_selection && m_selection->contains(m_drag->pressed)
                                ? *m_selection
                                : CueRange{m_drag->pressed, m_drag->pressed};
        }
        if (m_drag->moving) {
            const auto frames =
                static_cast<std::int64_t>(std::llround((x - m_drag->fromX) / pixelsPerFrame()));
            m_drag->frames = movable(m_drag->range, frames);
            update();
        }
        return;
    }
    m_hoverKeyframe = keyframeAt(x);
    showCursor(m_hoverKeyframe ? std::optional(x) : std::nullopt, event->position().toPoint());
}

void TimelinePreview::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const std::optional<CueDrag> drag = std::exchange(m_drag, std::nullopt);
    m_scrubbing = false;
    if (drag && drag->moving) {
        update();
        if (drag->frames != 0) {
            emit moveRequested(drag->frames);
        }
    }
}

void TimelinePreview::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !m_track.empty() &&
        event->position().y() <= plotRect().bottom()) {
        if (const auto cue = cueAt(event->position().x())) {
            // The press before it has asked for the cue already, unless it came alone.
            if (!(m_selection && m_selection->contains(*cue))) {
                m_activeEnd = *cue;
                emit selectRequested(*cue, false);
            }
            chooseMouth(*cue);
            return;
        }
    }
    QWidget::mouseDoubleClickEvent(event);
}

// With Ctrl the wheel zooms about the mouse; without, it scrolls.
void TimelinePreview::wheelEvent(QWheelEvent* event) {
    if (m_track.empty()) {
        QWidget::wheelEvent(event);
        return;
    }
    const QPoint delta = event->angleDelta();
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        zoomBy(std::pow(wheelZoomStep, delta.y() / 120.0), event->position().x());
    } else {
        const double notches = (delta.x() != 0 ? -delta.x() : -delta.y()) / 120.0;
        const double frames = notches * std::max(1.0, static_cast<double>(m_to - m_from) / 8);
        showFrames(static_cast<double>(m_from) + frames, m_to - m_from);
    }
    event->accept();
}

void TimelinePreview::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_hasTrack) {
        return;
    }
    if (event->reason() == QContextMenuEvent::Keyboard) {
        m_menuFrame = m_playhead.value_or(m_from);
    } else {
        m_menuFrame = frameAtX(event->pos().x());
        // A cue outside the selection is what the menu is about.
        const auto cue = m_track.empty() || event->pos().y() > plotRect().bottom()
                             ? std::nullopt
                             : cueAt(event->pos().x());
        if (cue && !(m_selection && m_selection->contains(*cue))) {
            m_activeEnd = *cue;
            emit selectRequested(*cue, false);
        }
    }
    m_deleteAction->setEnabled(m_selection.has_value());
    m_menu->popup(event->globalPos());
}

void TimelinePreview::showCursor(std::optional<double> x, QPoint tipAt) {
    m_cursorX = x;
    update();
    const QString text = m_hoverKeyframe ? describe(*m_hoverKeyframe) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(mapToGlobal(tipAt), text, this);
    }
}

void TimelinePreview::leaveEvent(QEvent* event) {
    m_hoverKeyframe.reset();
    showCursor(std::nullopt, {});
    QWidget::leaveEvent(event);
}

std::int64_t TimelinePreview::movable(CueRange range, std::int64_t frames) const {
    if (range.last >= m_track.size() || range.first > range.last) {
        return 0;
    }
    // The edits' own rule, on the track's frames, which are the cues'.
    const auto frameAt = [this](std::size_t i) {
        return m_track.at(i).frame;
    };
    return moveLimit(frameAt(range.first), frameAt(range.last),
                     range.first > 0 ? std::optional(frameAt(range.first - 1)) : std::nullopt,
                     range.last + 1 < m_track.size() ? std::optional(frameAt(range.last + 1))
                                                     : std::nullopt,
                     frames);
}

void TimelinePreview::chooseMouth(std::size_t index) {
    if (m_mouthChoice == nullptr) {
        m_mouthChoice = new MouthChoice(this);
        connect(m_mouthChoice, &MouthChoice::chosen, this, &TimelinePreview::mouthChangeRequested);
    }
    const KeyframeTrack::Keyframe k = m_track.at(index);
    const QRectF plot = plotRect();
    const QPoint at(static_cast<int>(std::clamp(xOfFrame(k.frame), plot.left(), plot.right())),
                    static_cast<int>(plot.top()));
    m_mouthChoice->open(mouthNames(), toQString(shapeOf(k, m_track.letters())), mapToGlobal(at));
}

} // namespace mouthkey
