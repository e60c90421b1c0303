// The timeline's picture: the track thinned to the plot's columns, the
// scale, the time axis, the selection and the playhead.
#include "app/TimelinePreview.h"

#include "TimelineGeometry.h"
#include "app/LocaleNumbers.h"
#include "conversion/Playback.h"
#include "textinput/Utf8Text.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mouthkey {

using namespace timeline;

namespace {

QString clockText(double seconds) {
    const auto s = static_cast<long long>(std::llround(seconds));
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void TimelinePreview::rebuildLines() {
    m_linesValid = true;
    m_steps.clear();
    m_marks.clear();
    m_dots.clear();
    m_wave.clear();
    const QRectF plot = plotRect();
    const auto count = static_cast<std::size_t>(std::max(0.0, std::floor(plot.width())));
    if (m_track.empty() || count == 0) {
        return;
    }
    rebuildWaveform(plot, count);

    // Only the frames shown are thinned, so a close view of a long take costs what a short one
    // does.
    const KeyframeTrack::Thinned thinned =
        m_track.thin(m_from, m_to, count, m_setIndex, m_unplaced);
    std::optional<int> current = thinned.before;
    double runFrom = plot.left();
    std::uint64_t shown = 0;
    for (std::size_t c = 0; c < count; ++c) {
        const KeyframeTrack::Column& column = thinned.columns[c];
        shown += column.keyframes;
        const double x = plot.left() + static_cast<double>(c) + 0.5;
        if (column.withoutPosition) {
            m_marks.append(QLineF(x, plot.top() - markLane, x, plot.top() - 4));
        }
        if (!column.positioned) {
            continue;
        }
        int low = column.low;
        int high = column.high;
        if (current) {
            m_steps.append(QLineF(runFrom, yOf(*current), x, yOf(*current)));
            low = std::min(low, *current);
            high = std::max(high, *current);
        }
        if (low != high) {
            m_steps.append(QLineF(x, yOf(low), x, yOf(high)));
        }
        current = column.last;
        runFrom = x;
    }
    if (current) {
        m_steps.append(QLineF(runFrom, yOf(*current), plot.right(), yOf(*current)));
    }

    // Few enough to tell apart: each keyframe with a position gets a dot.
    if (shown * 6 <= count) {
        for (auto i = m_track.firstFrom(m_from); i && *i < m_track.size(); ++*i) {
            const KeyframeTrack::Keyframe k = m_track.at(*i);
            if (k.frame >= m_to) {
                break;
            }
            if (placed(k)) {
                m_dots.append(QPointF(xOfFrame(k.frame), yOf(positionX(m_setIndex, k.phoneme))));
            }
        }
    }
}

// Room for one tick's label.
double TimelinePreview::tickRoom() const {
    return fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 16;
}

QVector<std::pair<double, QString>> TimelinePreview::rulerTicks() const {
    return ticksIn(plotRect());
}

// A tick for every step of whole seconds that leaves its label room, at the
// frame that starts then: frames count from 1, so t seconds is frame 1 + t × rate.
QVector<std::pair<double, QString>> TimelinePreview::ticksIn(const QRectF& plot) const {
    QVector<std::pair<double, QString>> ticks;
    if (m_track.empty()) {
        return ticks;
    }
    const double fps = framesPerSecond(m_rate);
    const double pixelsPerFrame = std::floor(plot.width()) / static_cast<double>(m_to - m_from);
    const double wanted = tickRoom();
    double step = 1;
    for (const double s :
         {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 900.0, 1800.0, 3600.0}) {
        step = s;
        if (s * fps * pixelsPerFrame >= wanted) {
            break;
        }
    }
    while (step * fps * pixelsPerFrame < wanted) {
        step *= 2;
    }
    const auto from = static_cast<double>(m_from);
    const double first = std::max(0.0, std::ceil((from - 1) / fps / step) * step);
    for (double t = first; 1 + t * fps < static_cast<double>(m_to); t += step) {
        ticks.append({plot.left() + (1 + t * fps - from) * pixelsPerFrame, clockText(t)});
    }
    return ticks;
}

void TimelinePreview::drawRuler(QPainter& painter, const QRectF& plot) const {
    const double wanted = tickRoom();
    painter.setPen(palette().color(QPalette::PlaceholderText));
    // Close enough to tell frames apart: a short tick at each.
    const double perFrame = pixelsPerFrame();
    if (perFrame >= 4) {
        QVector<QLineF> frames;
        for (std::uint64_t f = m_from; f < m_to; ++f) {
            const double x = xOfFrame(f);
            frames.append(QLineF(x, plot.bottom(), x, plot.bottom() + 2));
        }
        painter.drawLines(frames);
    }
    for (const auto& [x, label] : ticksIn(plot)) {
        painter.drawLine(QLineF(x, plot.bottom(), x, plot.bottom() + 4));
        painter.drawText(QRectF(x - wanted / 2, plot.bottom() + 4, wanted, fontMetrics().height()),
                         Qt::AlignHCenter | Qt::AlignTop, label);
    }
}

// Grid and scale: the rest position and the middle of the range, or with a
// chart the drawings' names, as many as fit without overlapping.
void TimelinePreview::drawScale(QPainter& painter, const QRectF& plot) const {
    QVector<std::pair<int, QString>> marks;
    if (m_chart) {
        const double room = fontMetrics().height();
        double above = plot.bottom() + room;
        for (const auto& [position, name] : m_axisNames) {
            if (above - yOf(position) >= room) {
                above = yOf(position);
                marks.append(
                    {position, fontMetrics().elidedText(name, Qt::ElideRight,
                                                        static_cast<int>(plot.left()) - 5)});
            }
        }
    } else {
        marks = {{-50, QStringLiteral("-50")}, {0, QStringLiteral("0")}};
    }
    painter.setPen(QPen(palette().color(QPalette::Midlight), 1, Qt::DotLine));
    for (const auto& mark : marks) {
        painter.drawLine(QLineF(plot.left(), yOf(mark.first), plot.right(), yOf(mark.first)));
    }
    painter.setPen(palette().color(QPalette::PlaceholderText));
    for (const auto& [position, name] : marks) {
        painter.drawText(QRectF(0, yOf(position) - 10, plot.left() - 5, 20),
                         Qt::AlignRight | Qt::AlignVCenter, name);
    }
}

// The selected cues as a band from the first one's frame to where the last
// one gives way; while they are dragged, their band where they would go too.
void TimelinePreview::drawSelection(QPainter& painter, const QRectF& plot) const {
    const auto band = [this, &plot](CueRange range, std::int64_t shift) {
        const auto x = [this, shift](std::uint64_t frame) {
            return xOfFrame(frame) + static_cast<double>(shift) * pixelsPerFrame();
        };
        const double left = x(m_track.at(range.first).frame);
        const double right = range.last + 1 < m_track.size()
                                 ? x(m_track.at(range.last + 1).frame)
                                 : std::max(plot.right(), x(m_track.at(range.last).frame) + 1);
        return QRectF(
            QPointF(std::max(left, plot.left() - 2), plot.top() - markLane),
            QPointF(std::min(std::max(right, left + 2), plot.right() + 2), plot.bottom()));
    };
    QColor fill = palette().color(QPalette::Highlight);
    if (m_selection) {
        fill.setAlpha(60);
        const QRectF at = band(*m_selection, 0);
        if (at.width() > 0) {
            painter.fillRect(at, fill);
            painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
            painter.drawLine(QLineF(at.topLeft(), at.bottomLeft()));
        }
    }
    if (m_drag && m_drag->moving) {
        const QRectF to = band(m_drag->range, m_drag->frames);
        fill.setAlpha(40);
        painter.fillRect(to, fill);
        painter.setPen(QPen(palette().color(QPalette::Text), 1.5, Qt::DashLine));
        painter.drawLine(QLineF(to.topLeft(), to.bottomLeft()));
    }
}

// Close enough to read: each cue's mouth named at the top of its stretch.
void TimelinePreview::drawNames(QPainter& painter, const QRectF& plot) const {
    const QFontMetrics metrics = fontMetrics();
    const auto first = m_track.inEffectAt(m_from);
    auto i = first ? first : m_track.firstFrom(m_from);
    constexpr int drawn = 400; // far more than a plot has room to name
    painter.setPen(palette().color(QPalette::Text));
    for (int n = 0; i && *i < m_track.size() && n < drawn; ++*i, ++n) {
        const KeyframeTrack::Keyframe k = m_track.at(*i);
        if (k.frame >= m_to) {
            break;
        }
        const double left = std::max(plot.left(), xOfFrame(k.frame) + 3);
        const double right =
            *i + 1 < m_track.size() ? xOfFrame(m_track.at(*i + 1).frame) - 2 : plot.right();
        const QString name = toQString(shapeOf(k, m_track.letters()));
        if (std::min(right, plot.right()) - left < metrics.horizontalAdvance(name)) {
            continue;
        }
        painter.drawText(
            QRectF(left, plot.top() + 1, std::min(right, plot.right()) - left, metrics.height()),
            Qt::AlignLeft | Qt::AlignTop,
            metrics.elidedText(name, Qt::ElideRight,
                               static_cast<int>(std::min(right, plot.right()) - left)));
    }
}

void TimelinePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    // The frame shows where the keys go.
    painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 2)
                              : QPen(palette().color(QPalette::Mid)));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));

    if (m_track.empty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter,
                         m_hasTrack
                             ? tr("No keyframes to preview")
                             : tr("Open a timing file to check it and preview its keyframes"));
        return;
    }
    if (!m_linesValid) {
        rebuildLines();
    }
    const QRectF plot = plotRect();

    if (!m_wave.isEmpty()) {
        // Opaque, mixed with the background beforehand: a translucent column
        // would be blended a row at a time, which costs far more.
        const QColor base = palette().color(QPalette::Base);
        const QColor ink = palette().color(QPalette::PlaceholderText);
        const double share = 0.3 * ink.alphaF();
        const auto mix = [share](int a, int b) {
            return static_cast<int>(std::lround(a + (b - a) * share));
        };
        const QColor wave(mix(base.red(), ink.red()), mix(base.green(), ink.green()),
                          mix(base.blue(), ink.blue()));
        for (const QRectF& column : m_wave) {
            painter.fillRect(column, wave);
        }
    }
    drawSelection(painter, plot);
    drawScale(painter, plot);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawLine(QLineF(plot.left(), plot.bottom(), plot.right(), plot.bottom()));
    drawRuler(painter, plot);

    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    painter.drawLines(m_steps);
    if (!m_dots.isEmpty()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(palette().color(QPalette::Highlight));
        for (const QPointF& dot : m_dots) {
            painter.drawEllipse(dot, 2.5, 2.5);
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        drawNames(painter, plot);
    }
    if (!m_marks.isEmpty()) {
        painter.setPen(QPen(markColor(), 2));
        painter.drawLines(m_marks);
        const QString legend =
            m_chart
                ? (m_marked == 1 ? tr("1 keyframe without a drawing")
                                 : tr("%1 keyframes without a drawing").arg(localeNumber(m_marked)))
                : (m_marked == 1
                       ? tr("1 keyframe without a position")
                       : tr("%1 keyframes without a position").arg(localeNumber(m_marked)));
        painter.drawText(QRectF(plot.left(), 2, plot.width(), fontMetrics().height()),
                         Qt::AlignRight | Qt::AlignVCenter, legend);
    }

    if (m_playhead && *m_playhead >= m_from && *m_playhead <= m_to) {
        const double x = std::round(xOfFrame(*m_playhead));
        painter.setPen(QPen(palette().color(QPalette::Text), 2));
        painter.drawLine(QLineF(x, plot.top() - markLane, x, plot.bottom()));
    }

    if (m_cursorX) {
        painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DashLine));
        painter.drawLine(QLineF(*m_cursorX, plot.top(), *m_cursorX, plot.bottom()));
        if (m_hoverKeyframe) {
            const KeyframeTrack::Keyframe k = m_track.at(*m_hoverKeyframe);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(Qt::NoBrush);
            const QPointF at(xOfFrame(k.frame), placed(k) ? yOf(positionX(m_setIndex, k.phoneme))
                                                          : plot.top() - markLane / 2.0);
            painter.setPen(QPen(placed(k) ? palette().color(QPalette::Text) : markColor(), 1.5));
            painter.drawEllipse(at, 4.5, 4.5);
        }
    }
}

} // namespace mouthkey
