// What the timeline does with the keys: the arrows ask for selections, with
// Alt for moves; Enter, F2, Insert and Delete for edits; Ctrl zooms; the
// page keys and End move the player.
#include "app/TimelinePreview.h"

#include <QKeyEvent>
#include <QToolTip>

#include <algorithm>

namespace mouthkey {

namespace {

constexpr double zoomStep = 2;
constexpr int bigMove = 10; // frames Alt+Shift and an arrow move the cues by

bool isArrow(const QKeyEvent* key) {
    return key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
}

} // namespace

// The keys the timeline answers stay its own while it has the keyboard: End,
// so that the last keyframe is described as the other keys describe theirs,
// and the editing and zooming keys, whatever else the window may bind them to.
bool TimelinePreview::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && m_hasTrack) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const bool plain = mods == Qt::NoModifier;
        const bool ctrl =
            mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier);
        bool ours = false;
        switch (key->key()) {
        case Qt::Key_End:
            ours = plain && !m_track.empty();
            break;
        case Qt::Key_Delete:
        case Qt::Key_Insert:
        case Qt::Key_F2:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            ours = plain;
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
            ours = mods.testFlag(Qt::AltModifier) && !mods.testFlag(Qt::ControlModifier);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
        case Qt::Key_Minus:
        case Qt::Key_0:
            ours = ctrl;
            break;
        default:
            break;
        }
        if (ours) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TimelinePreview::keyPressEvent(QKeyEvent* event) {
    if (!m_hasTrack || !(zoomKey(event) || editKey(event) || selectionKey(event))) {
        playerKey(event);
    }
}

bool TimelinePreview::zoomKey(QKeyEvent* event) {
    if (!event->modifiers().testFlag(Qt::ControlModifier) ||
        event->modifiers().testFlag(Qt::AltModifier)) {
        return false;
    }
    // About the playhead while it shows; else about the middle.
    const QRectF plot = plotRect();
    const double around = m_playhead && *m_playhead >= m_from && *m_playhead < m_to
                              ? xOfFrame(*m_playhead)
                              : plot.center().x();
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomBy(zoomStep, around);
        return true;
    case Qt::Key_Minus:
        zoomBy(1 / zoomStep, around);
        return true;
    case Qt::Key_0:
        fitAll();
        return true;
    default:
        return false;
    }
}

bool TimelinePreview::editKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (isArrow(event) && mods.testFlag(Qt::AltModifier)) {
        if (m_selection) {
            const std::int64_t step = mods.testFlag(Qt::ShiftModifier) ? bigMove : 1;
            const std::int64_t frames =
                movable(*m_selection, event->key() == Qt::Key_Left ? -step : step);
            if (frames != 0) {
                emit moveRequested(frames);
            }
        }
        return true;
    }
    if (mods != Qt::NoModifier) {
        return false;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        if (m_selection) {
            chooseMouth(m_selection->first);
        }
        return true;
    case Qt::Key_Insert:
        emit insertRequested(m_playhead.value_or(m_from));
        return true;
    case Qt::Key_Delete:
        if (m_selection) {
            emit deleteRequested();
        }
        return true;
    default:
        return false;
    }
}

// Left and Right select the cue before or after the selection, Shift
// stretching it; with none, the one in force at the playhead or the next
// after it. Cues on one frame are one stop, the one in force.
bool TimelinePreview::selectionKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (!isArrow(event) || (mods != Qt::NoModifier && mods != Qt::ShiftModifier)) {
        return false;
    }
    if (m_track.empty()) {
        return true;
    }
    const bool extend = mods == Qt::ShiftModifier;
    const bool right = event->key() == Qt::Key_Right;
    std::optional<std::size_t> to;
    if (!m_selection) {
        if (right) {
            const auto next =
                m_playhead ? m_track.firstFrom(*m_playhead + 1) : std::optional<std::size_t>(0);
            to = next ? m_track.inEffectAt(m_track.at(*next).frame) : std::nullopt;
        } else if (m_playhead) {
            to = m_track.inEffectAt(*m_playhead);
        }
    } else {
        const std::size_t from = extend && m_activeEnd ? *m_activeEnd
                                 : right               ? m_selection->last
                                                       : m_selection->first;
        const std::uint64_t frame = m_track.at(from).frame;
        if (right && from + 1 < m_track.size()) {
            to = m_track.inEffectAt(m_track.at(from + 1).frame);
        } else if (!right && frame > 0) {
            to = m_track.inEffectAt(frame - 1);
        }
    }
    if (!to) {
        return true; // nothing lies further that way
    }
    m_activeEnd = *to;
    emit selectRequested(*to, extend);
    showKeyTip(*to);
    return true;
}

// The page keys and End move the playhead from keyframe to keyframe, for
// those who do not hover; Home is the window's, back to the start.
void TimelinePreview::playerKey(QKeyEvent* event) {
    if (m_track.empty() || event->modifiers() != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    const std::size_t last = m_track.size() - 1;
    const std::size_t page = std::max<std::size_t>(1, m_track.size() / 20);
    const auto frameOf = [this](std::size_t index) {
        return m_track.at(index).frame;
    };
    // None before the first keyframe, or before the player has been anywhere.
    const std::optional<std::size_t> at =
        m_playhead ? m_track.inEffectAt(*m_playhead) : std::nullopt;
    const auto next = [&] {
        return (at ? m_track.firstFrom(frameOf(*at) + 1)
                   : m_track.firstFrom(m_playhead.value_or(0)))
            .value_or(last);
    };
    const auto previous = [&]() -> std::optional<std::size_t> {
        if (!at || frameOf(*at) == m_track.firstFrame()) {
            return at;
        }
        return m_track.inEffectAt(frameOf(*at) - 1);
    };
    std::optional<std::size_t> to;
    switch (event->key()) {
    case Qt::Key_PageDown:
        to = std::min(at ? *at + page : page - 1, last);
        if (at && frameOf(*to) == frameOf(*at)) {
            to = next(); // more than a page of keyframes on this one frame
        }
        break;
    case Qt::Key_PageUp:
        if (at) {
            to = *at > page ? *at - page : 0;
            if (frameOf(*to) == frameOf(*at)) {
                to = previous();
            }
        }
        break;
    case Qt::Key_End:
        to = last;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (!to) {
        return; // before the first keyframe, nothing lies back
    }
    const std::uint64_t frame = frameOf(*to);
    const std::size_t shown = *m_track.inEffectAt(frame);
    setAccessibleDescription(describe(shown));
    showKeyTip(shown);
    emit frameChosen(frame);
}

void TimelinePreview::showKeyTip(std::size_t index) {
    const double x = xOfFrame(m_track.at(index).frame);
    QToolTip::showText(
        mapToGlobal(QPoint(static_cast<int>(x), static_cast<int>(plotRect().center().y()))),
        describe(index), this);
}

} // namespace mouthkey
