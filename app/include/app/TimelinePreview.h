#pragma once

#include "conversion/KeyframeTrack.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QVector>
#include <QWidget>

#include <optional>

namespace mouthkey {

// A strip that draws each keyframe's mouth position (the X value of the
// chosen set) over the frames as a step line, with the keyframes that get no
// position marked. It draws one entry per pixel column, whatever the number
// of keyframes, and redraws from its track alone: it never converts.
class TimelinePreview : public QWidget {
    Q_OBJECT
public:
    explicit TimelinePreview(QWidget* parent = nullptr);

    void setTrack(KeyframeTrack track);
    const KeyframeTrack& track() const { return m_track; }
    int setIndex() const { return m_setIndex; }
    int rateIndex() const { return m_rateIndex; }

    // The frames shown, [from, to), and where a frame is drawn.
    std::uint64_t viewFrom() const { return m_from; }
    std::uint64_t viewTo() const { return m_to; }
    double xOfFrame(std::uint64_t frame) const;

    // What hovering at x shows: the keyframe in effect there, or empty.
    QString describeAt(double x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setSetIndex(int setIndex);
    void setRateIndex(int rateIndex);

signals:
    // The picture changed: another track, set or rate.
    void previewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF plotRect() const;
    double yOf(int position) const;
    std::optional<std::size_t> keyframeAt(double x) const;
    QString describe(std::size_t index) const;
    void showCursor(std::optional<double> x, QPoint tipAt);
    void rebuildLines();
    void drawRuler(class QPainter& painter, const QRectF& plot) const;

    KeyframeTrack m_track;
    bool m_hasTrack = false;
    int m_setIndex = 0;
    int m_rateIndex = 0;
    std::uint64_t m_from = 0, m_to = 1;

    // Drawn lines, made again only when the track, the set or the size changes.
    bool m_linesValid = false;
    QVector<QLineF> m_steps;
    QVector<QLineF> m_marks;
    QVector<QPointF> m_dots;

    std::optional<double> m_cursorX;
    std::optional<std::size_t> m_cursorKeyframe; // for the arrow keys
};

} // namespace mouthkey
