// Where the timeline draws each frame: the frames shown, zoomed and
// scrolled within the whole take's, and what lies under a point.
#include "app/TimelinePreview.h"

#include "TimelineGeometry.h"

#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace mouthkey {

using namespace timeline;

// From frame 0 unless the keyframes start far into the footage; a little room
// after the last keyframe shows the position it holds.
void TimelinePreview::fitTrack() {
    if (m_track.empty()) {
        m_fitFrom = 0;
        m_fitTo = 1;
        return;
    }
    const std::uint64_t first = m_track.firstFrame();
    const std::uint64_t last = m_track.lastFrame();
    m_fitFrom = first <= (last - first) / 10 ? 0 : first;
    const std::uint64_t span = std::max<std::uint64_t>(last - m_fitFrom, 10);
    m_fitTo = m_fitFrom + span + std::max<std::uint64_t>(1, span / 40);
}

QRectF TimelinePreview::plotRect() const {
    const QFontMetrics metrics = fontMetrics();
    // Room for the axis's names, which are cut to a few letters when longer.
    const int left = (m_chart ? metrics.horizontalAdvance(QStringLiteral("MBP/et"))
                              : metrics.horizontalAdvance(QStringLiteral("-50"))) +
                     10;
    const int bottom = metrics.height() + 8 + m_scroll->sizeHint().height();
    // A row for the legend above the marks, when there are any.
    const int top = markLane + 6 + (m_marked > 0 ? metrics.height() : 0);
    return QRectF(rect().adjusted(left, top, -10, -bottom));
}

double TimelinePreview::pixelsPerFrame() const {
    return std::floor(plotRect().width()) / static_cast<double>(m_to - m_from);
}

double TimelinePreview::xOfFrame(std::uint64_t frame) const {
    const QRectF plot = plotRect();
    const double offset = frame >= m_from ? static_cast<double>(frame - m_from)
                                          : -static_cast<double>(m_from - frame);
    return plot.left() + offset * std::floor(plot.width()) / static_cast<double>(m_to - m_from);
}

double TimelinePreview::yOf(int position) const {
    const QRectF plot = plotRect();
    return plot.bottom() - (position - lowest) * plot.height() / (highest - lowest);
}

std::uint64_t TimelinePreview::frameAtX(double x) const {
    const QRectF plot = plotRect();
    const double width = std::max(1.0, std::floor(plot.width()));
    const double offset = std::clamp((x - plot.left()) * static_cast<double>(m_to - m_from) / width,
                                     0.0, static_cast<double>(m_to - m_from - 1));
    return m_from + static_cast<std::uint64_t>(offset);
}

// The closest zoom: maxPixelsPerFrame, or the whole take when that is closer still.
std::uint64_t TimelinePreview::closestSpan() const {
    const double width = std::max(1.0, std::floor(plotRect().width()));
    const auto span = static_cast<std::uint64_t>(std::ceil(width / maxPixelsPerFrame));
    return std::clamp<std::uint64_t>(span, 1, fitSpan());
}

bool TimelinePreview::showsAll() const {
    return m_from == m_fitFrom && m_to == m_fitTo;
}

void TimelinePreview::showFrames(double from, std::uint64_t span) {
    span = std::clamp<std::uint64_t>(span, 1, fitSpan());
    const double latest = static_cast<double>(m_fitTo - span);
    const auto start =
        static_cast<std::uint64_t>(std::llround(std::clamp(from, double(m_fitFrom), latest)));
    m_from = start;
    m_to = start + span;
    m_linesValid = false;
    // A take of any length scrolls in at most a billion steps.
    m_scrollUnit = std::max<std::uint64_t>(1, fitSpan() / (1u << 30));
    const QSignalBlocker quiet(m_scroll);
    m_scroll->setRange(0, static_cast<int>((m_fitTo - span - m_fitFrom) / m_scrollUnit));
    m_scroll->setPageStep(static_cast<int>(std::max<std::uint64_t>(1, span / m_scrollUnit)));
    m_scroll->setSingleStep(static_cast<int>(std::max<std::uint64_t>(1, span / 10 / m_scrollUnit)));
    m_scroll->setValue(static_cast<int>((m_from - m_fitFrom) / m_scrollUnit));
    m_scroll->setEnabled(!showsAll());
    update();
}

void TimelinePreview::followScrollBar(int value) {
    showFrames(static_cast<double>(m_fitFrom + static_cast<std::uint64_t>(value) * m_scrollUnit),
               m_to - m_from);
}

void TimelinePreview::zoomBy(double factor, double aroundX) {
    if (m_track.empty() || !(factor > 0)) {
        return;
    }
    const QRectF plot = plotRect();
    const double width = std::max(1.0, std::floor(plot.width()));
    const double at = std::clamp(aroundX - plot.left(), 0.0, width);
    const auto span = static_cast<double>(m_to - m_from);
    const double frame = static_cast<double>(m_from) + at * span / width;
    auto wanted = static_cast<std::uint64_t>(std::max(1.0, std::round(span / factor)));
    // Out again as far as it came in is the whole take, whatever was rounded on the way.
    if (factor < 1 && static_cast<double>(wanted) * 1.05 >= static_cast<double>(fitSpan())) {
        wanted = fitSpan();
    }
    const std::uint64_t next = std::clamp(wanted, closestSpan(), fitSpan());
    if (next != m_to - m_from) {
        showFrames(frame - at * static_cast<double>(next) / width, next);
    }
}

void TimelinePreview::fitAll() {
    showFrames(static_cast<double>(m_fitFrom), fitSpan());
}

void TimelinePreview::scrollTo(std::uint64_t frame) {
    showFrames(static_cast<double>(frame), m_to - m_from);
}

void TimelinePreview::resizeEvent(QResizeEvent* event) {
    m_linesValid = false;
    placeScrollBar();
    // A narrower plot may show fewer frames than the closest zoom needs.
    if (m_hasTrack && m_to - m_from < closestSpan()) {
        showFrames(static_cast<double>(m_from), closestSpan());
    }
    QWidget::resizeEvent(event);
}

// Under the time axis, as wide as the plot.
void TimelinePreview::placeScrollBar() {
    const QRectF plot = plotRect();
    const int height = m_scroll->sizeHint().height();
    m_scroll->setGeometry(static_cast<int>(plot.left()), this->height() - height - 2,
                          static_cast<int>(std::floor(plot.width())), height);
}

void TimelinePreview::setPlayhead(std::optional<std::uint64_t> frame) {
    if (frame == m_playhead) {
        return;
    }
    // Only the strips the line leaves and enters are painted again.
    update(playheadRect());
    m_playhead = frame;
    update(playheadRect());
    // Played or sent out of sight, the view pages to it.
    if (frame && !m_track.empty() && (*frame < m_from || *frame >= m_to)) {
        const std::uint64_t span = m_to - m_from;
        const std::uint64_t margin = span / 20;
        showFrames(*frame >= m_to ? static_cast<double>(*frame - std::min(*frame, margin))
                                  : static_cast<double>(*frame + margin + 1) - double(span),
                   span);
    }
}

QRect TimelinePreview::playheadRect() const {
    if (!m_playhead || m_track.empty()) {
        return {};
    }
    const int x = static_cast<int>(std::lround(xOfFrame(*m_playhead)));
    return {x - 3, 0, 7, height()};
}

std::optional<std::size_t> TimelinePreview::keyframeAt(double x) const {
    const QRectF plot = plotRect();
    if (m_track.empty() || x < plot.left() - snapPixels || x > plot.right() + snapPixels) {
        return std::nullopt;
    }
    const double width = std::max(1.0, std::floor(plot.width()));
    const double offset =
        std::max(0.0, (x - plot.left()) * static_cast<double>(m_to - m_from) / width);
    const auto frame = m_from + static_cast<std::uint64_t>(offset);
    // A marked keyframe is a thin target: within a few pixels, it is the one meant.
    const auto near =
        static_cast<std::uint64_t>(snapPixels * static_cast<double>(m_to - m_from) / width);
    std::optional<std::size_t> marked;
    constexpr int looked = 64; // enough for any column a person can point at
    auto i = m_track.firstFrom(frame > near ? frame - near : 0);
    for (int n = 0; i && *i < m_track.size() && n < looked; ++*i, ++n) {
        const KeyframeTrack::Keyframe k = m_track.at(*i);
        if (k.frame > frame + near) {
            break;
        }
        if (!placed(k) && (!marked || std::abs(xOfFrame(k.frame) - x) <
                                          std::abs(xOfFrame(m_track.at(*marked).frame) - x))) {
            marked = *i;
        }
    }
    if (marked) {
        return marked;
    }
    if (const auto inEffect = m_track.inEffectAt(frame)) {
        return inEffect;
    }
    // Just before the first keyframe still points at it.
    if (xOfFrame(m_track.firstFrame()) - x <= snapPixels) {
        return m_track.inEffectAt(m_track.firstFrame());
    }
    return std::nullopt;
}

std::optional<std::size_t> TimelinePreview::cueAt(double x) const {
    const QRectF plot = plotRect();
    if (m_track.empty() || x < plot.left() - snapPixels || x > plot.right() + snapPixels) {
        return std::nullopt;
    }
    const std::uint64_t frame = frameAtX(x);
    // The step nearest x, of those within a few pixels: on one frame, the one in force.
    std::optional<std::size_t> nearest;
    double distance = snapPixels + 0.5;
    const auto near = static_cast<std::uint64_t>(std::ceil(snapPixels / pixelsPerFrame()));
    constexpr int looked = 64;
    auto i = m_track.firstFrom(frame > near ? frame - near : 0);
    for (int n = 0; i && *i < m_track.size() && n < looked; ++*i, ++n) {
        const std::uint64_t at = m_track.at(*i).frame;
        if (at > frame + near) {
            break;
        }
        const double d = std::abs(xOfFrame(at) - x);
        if (d <= distance) {
            distance = d;
            nearest = m_track.inEffectAt(at);
        }
    }
    return nearest ? nearest : m_track.inEffectAt(frame);
}

} // namespace mouthkey
