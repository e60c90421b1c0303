#pragma once

#include "conversion/KeyframeDocument.h"
#include "conversion/KeyframeTrack.h"
#include "conversion/Targets.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QVector>
#include <QWidget>

#include <optional>
#include <utility>

namespace mouthkey {

// A strip that draws each keyframe's mouth position (the X value of the
// chosen set) over the frames as a step line, with the keyframes that get no
// position marked. With a mouth chart, the heights are named by the drawings
// the chart gives their mouths, and a key it has no drawing for is marked
// too: the document leaves it out, so the drawing before it holds on. It draws one entry per pixel
// column, whatever the number of keyframes, and redraws from its track alone: it never converts.
class TimelinePreview : public QWidget {
    Q_OBJECT
public:
    explicit TimelinePreview(QWidget* parent = nullptr);

    void setTrack(KeyframeTrack track);
    const KeyframeTrack& track() const { return m_track; }
    int setIndex() const { return m_setIndex; }
    const FrameRate& rate() const { return m_rate; }
    // The chart whose drawings name the heights; none: they are X values.
    void setChart(std::optional<MouthChart> chart);
    // The names the vertical axis gives its heights, from the bottom up.
    const QVector<std::pair<int, QString>>& axisNames() const { return m_axisNames; }
    // The keyframes marked as getting no position or no drawing.
    std::uint64_t marked() const { return m_marked; }

    // The frames shown, [from, to), and where a frame is drawn.
    std::uint64_t viewFrom() const { return m_from; }
    std::uint64_t viewTo() const { return m_to; }
    double xOfFrame(std::uint64_t frame) const;
    // The time axis's ticks, where each is drawn and its label, "0:01".
    QVector<std::pair<double, QString>> rulerTicks() const;

    // What hovering at x shows: the keyframe in effect there, or empty.
    QString describeAt(double x) const;
    // The frame drawn at x, within the frames shown.
    std::uint64_t frameAtX(double x) const;

    // Where the player is, drawn as a line across the plot; nothing: no line.
    void setPlayhead(std::optional<std::uint64_t> frame);
    std::optional<std::uint64_t> playhead() const { return m_playhead; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setSetIndex(int setIndex);
    void setRate(const FrameRate& rate);
    void setRateIndex(int rateIndex) { setRate(FrameRate(rateIndex)); }

signals:
    // The picture changed: another track, set or rate.
    void previewChanged();
    // A click, a drag or a key at a frame: the player goes there.
    void frameChosen(std::uint64_t frame);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF plotRect() const;
    double yOf(int position) const;
    std::optional<std::size_t> keyframeAt(double x) const;
    // Whether a keyframe gets a place on the plot: a position, and with a chart a drawing.
    bool placed(const KeyframeTrack::Keyframe& k) const;
    void countMarked();
    QString describe(std::size_t index) const;
    void showCursor(std::optional<double> x, QPoint tipAt);
    void rebuildLines();
    double tickRoom() const;
    QVector<std::pair<double, QString>> ticksIn(const QRectF& plot) const;
    void drawRuler(class QPainter& painter, const QRectF& plot) const;
    void drawScale(class QPainter& painter, const QRectF& plot) const;
    void nameHeights();
    QRect playheadRect() const;

    KeyframeTrack m_track;
    bool m_hasTrack = false;
    int m_setIndex = 0;
    FrameRate m_rate;
    std::optional<MouthChart> m_chart;
    KeyframeTrack::KeySet m_unplaced = 0; // keys written by names the chart has no drawing for
    std::uint64_t m_marked = 0;
    QVector<std::pair<int, QString>> m_axisNames; // a height and its drawings' names
    std::uint64_t m_from = 0, m_to = 1;

    // Drawn lines, made again only when the track, the set or the size changes.
    bool m_linesValid = false;
    QVector<QLineF> m_steps;
    QVector<QLineF> m_marks;
    QVector<QPointF> m_dots;

    std::optional<std::uint64_t> m_playhead;
    std::optional<double> m_cursorX;
    std::optional<std::size_t> m_hoverKeyframe; // under the mouse
};

} // namespace mouthkey
