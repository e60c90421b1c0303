#include "app/TimelinePreview.h"

#include "app/LocaleNumbers.h"
#include "app/NoPositionColor.h"
#include "conversion/TimingCheck.h"
#include "textinput/Utf8Text.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <map>

namespace mouthkey {

namespace {

// Every set's positions lie in [-50, 43]; one scale for all keeps sets comparable.
constexpr double lowest = -56;
constexpr double highest = 50;
constexpr int markLane = 12; // above the plot, where keyframes without a position are marked
constexpr double snapPixels = 3;

const QColor markColor = noPositionColor();

QString clockText(double seconds) {
    const auto s = static_cast<long long>(std::llround(seconds));
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TimelinePreview::TimelinePreview(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("keyframePreview"));
    setAccessibleName(tr("Keyframe preview"));
    setAccessibleDescription(tr("No timing file loaded"));
    setMouseTracking(true);
    // Tab reaches it after the form, so that its keys serve those who do not hover.
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize TimelinePreview::sizeHint() const {
    // Tall enough, in a window at its first size, to read a take beside a few findings.
    return {480, 240};
}

QSize TimelinePreview::minimumSizeHint() const {
    return {200, 90};
}

void TimelinePreview::setTrack(KeyframeTrack track) {
    m_track = std::move(track);
    m_hasTrack = true;
    if (m_track.empty()) {
        m_from = 0;
        m_to = 1;
    } else {
        // From frame 0 unless the keyframes start far into the footage; a
        // little room after the last keyframe shows the position it holds.
        const std::uint64_t first = m_track.firstFrame();
        const std::uint64_t last = m_track.lastFrame();
        m_from = first <= (last - first) / 10 ? 0 : first;
        const std::uint64_t span = std::max<std::uint64_t>(last - m_from, 10);
        m_to = m_from + span + std::max<std::uint64_t>(1, span / 40);
    }
    m_linesValid = false;
    m_cursorX.reset();
    m_hoverKeyframe.reset();
    m_playhead.reset();
    nameHeights(); // a letter take's keys are drawn by their letters
    countMarked();
    update();
    emit previewChanged();
}

void TimelinePreview::countMarked() {
    m_marked = m_track.withoutPosition(m_unplaced);
    QString description = tr("No keyframes");
    if (!m_track.empty()) {
        description =
            (m_track.size() == 1
                 ? tr("1 keyframe, at frame %1").arg(localeNumber(m_track.firstFrame()))
                 : tr("%1 keyframes, frames %2 to %3")
                       .arg(localeNumber(m_track.size()), localeNumber(m_track.firstFrame()),
                            localeNumber(m_track.lastFrame())));
        if (m_marked > 0) {
            description += (m_chart ? tr("; %1 without a drawing") : tr("; %1 without a position"))
                               .arg(localeNumber(m_marked));
        }
    }
    setAccessibleDescription(description);
}

bool TimelinePreview::placed(const KeyframeTrack::Keyframe& k) const {
    return k.name == KeyframeTrack::Name::Phoneme && ((m_unplaced >> k.nameBit) & 1) == 0;
}

void TimelinePreview::setSetIndex(int setIndex) {
    if (setIndex == m_setIndex) {
        return;
    }
    m_setIndex = setIndex;
    nameHeights();
    countMarked();
    m_linesValid = false;
    update();
    emit previewChanged();
}

void TimelinePreview::setChart(std::optional<MouthChart> chart) {
    if (chart == m_chart) {
        return;
    }
    m_chart = std::move(chart);
    nameHeights();
    countMarked();
    m_linesValid = false; // the plot's left edge moves with the names' width
    update();
    emit previewChanged();
}

// Each height the set places a key at is named by the first name of the
// drawing the chart gives that key; keys of one height that the chart gives
// different drawings share the name, "AI/E".
void TimelinePreview::nameHeights() {
    m_axisNames.clear();
    m_unplaced = 0;
    if (!m_chart) {
        return;
    }
    // As the document writer looks them up: by the name a key is written as,
    // which for a letter take is its letter.
    m_unplaced = m_track.undrawn(*m_chart);
    std::map<int, QStringList> names;
    for (std::size_t bit = 0; bit < KeyframeTrack::keyNames; ++bit) {
        const int key = m_track.keyOfName(bit);
        const auto drawing =
            key < 0 ? std::nullopt
                    : m_chart->drawingOf(KeyframeTrack::keyName(bit), m_track.letters());
        if (drawing) {
            QStringList& at = names[positionX(m_setIndex, key)];
            const QString name = toQString(m_chart->drawings()[*drawing].front());
            if (!at.contains(name)) {
                at << name;
            }
        }
    }
    for (const auto& [x, at] : names) {
        m_axisNames.append({x, at.join(u'/')});
    }
}

void TimelinePreview::setRate(const FrameRate& rate) {
    if (rate == m_rate) {
        return;
    }
    m_rate = rate;
    update();
    emit previewChanged();
}

QRectF TimelinePreview::plotRect() const {
    const QFontMetrics metrics = fontMetrics();
    // Room for the axis's names, which are cut to a few letters when longer.
    const int left = (m_chart ? metrics.horizontalAdvance(QStringLiteral("MBP/et"))
                              : metrics.horizontalAdvance(QStringLiteral("-50"))) +
                     10;
    const int bottom = metrics.height() + 8;
    // A row for the legend above the marks, when there are any.
    const int top = markLane + 6 + (m_marked > 0 ? metrics.height() : 0);
    return QRectF(rect().adjusted(left, top, -10, -bottom));
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

void TimelinePreview::setPlayhead(std::optional<std::uint64_t> frame) {
    if (frame == m_playhead) {
        return;
    }
    // Only the strips the line leaves and enters are painted again.
    update(playheadRect());
    m_playhead = frame;
    update(playheadRect());
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

QString TimelinePreview::describe(std::size_t index) const {
    const KeyframeTrack::Keyframe k = m_track.at(index);
    const QString time = toQString(frameTimeText(k.frame, m_rate, numberFormatOf()));
    QString text = tr("Frame %1").arg(localeNumber(k.frame));
    if (!time.isEmpty()) {
        text += QStringLiteral(" (%1)").arg(time);
    }
    text += QStringLiteral(" \u00B7 ");
    switch (k.name) {
    case KeyframeTrack::Name::Phoneme: {
        const std::string_view key = phonemeKeys[static_cast<std::size_t>(k.phoneme)];
        if (m_chart) {
            const auto drawing = m_chart->drawingOf(k.written, m_track.letters());
            return text + toQString(key) +
                   (drawing ? tr(" \u00B7 drawing %1").arg(localeNumber(*drawing))
                            : tr(" \u00B7 no drawing: left out"));
        }
        return text + toQString(key) + tr(" \u00B7 X %1").arg(positionX(m_setIndex, k.phoneme));
    }
    case KeyframeTrack::Name::Unknown:
        return text +
               (k.text.empty() ? tr("an unknown name")
                               : tr("unknown name '%1'").arg(toQString(k.text))) +
               tr(" \u00B7 no position: %1")
                   .arg(toQString(findingOutcome(Finding::Kind::UnknownPhoneme)));
    case KeyframeTrack::Name::NotAKeyframe:
        return text + tr("not a FRAME PHONEME line \u00B7 no position");
    }
    return text;
}

QString TimelinePreview::describeAt(double x) const {
    const auto index = keyframeAt(x);
    return index ? describe(*index) : QString();
}

void TimelinePreview::rebuildLines() {
    m_linesValid = true;
    m_steps.clear();
    m_marks.clear();
    m_dots.clear();
    const QRectF plot = plotRect();
    const auto count = static_cast<std::size_t>(std::max(0.0, std::floor(plot.width())));
    if (m_track.empty() || count == 0) {
        return;
    }

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
    }
    if (!m_marks.isEmpty()) {
        painter.setPen(QPen(markColor, 2));
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
            painter.setPen(QPen(placed(k) ? palette().color(QPalette::Text) : markColor, 1.5));
            painter.drawEllipse(at, 4.5, 4.5);
        }
    }
}

void TimelinePreview::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !m_track.empty()) {
        emit frameChosen(frameAtX(event->position().x()));
        return;
    }
    QWidget::mousePressEvent(event);
}

void TimelinePreview::resizeEvent(QResizeEvent* event) {
    m_linesValid = false;
    QWidget::resizeEvent(event);
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

void TimelinePreview::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x();
    if ((event->buttons() & Qt::LeftButton) && !m_track.empty()) {
        emit frameChosen(frameAtX(x)); // scrubbing
    }
    m_hoverKeyframe = keyframeAt(x);
    showCursor(m_hoverKeyframe ? std::optional(x) : std::nullopt, event->position().toPoint());
}

void TimelinePreview::leaveEvent(QEvent* event) {
    m_hoverKeyframe.reset();
    showCursor(std::nullopt, {});
    QWidget::leaveEvent(event);
}

// End stays the preview's while it has the keyboard, so that the last
// keyframe is described as the other keys describe theirs; the player goes
// where the window's Go to End sends it.
bool TimelinePreview::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && !m_track.empty()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_End && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

// The arrow and page keys and End move the playhead from keyframe to
// keyframe, for those who do not hover; Home is the window's, back to the
// start. Keyframes on one frame are one stop, the last of them in effect.
void TimelinePreview::keyPressEvent(QKeyEvent* event) {
    if (m_track.empty()) {
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
    case Qt::Key_Right:
        to = next();
        break;
    case Qt::Key_Left:
        to = previous();
        break;
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
    const QString text = describe(*m_track.inEffectAt(frame));
    setAccessibleDescription(text);
    const double x = xOfFrame(frame);
    QToolTip::showText(
        mapToGlobal(QPoint(static_cast<int>(x), static_cast<int>(plotRect().center().y()))), text,
        this);
    emit frameChosen(frame);
}

} // namespace mouthkey
