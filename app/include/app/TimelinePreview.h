#pragma once

#include "conversion/CueEdits.h"
#include "conversion/KeyframeDocument.h"
#include "conversion/KeyframeTrack.h"
#include "conversion/Targets.h"
#include "conversion/WaveformSummary.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

class QAction;
class QMenu;
class QScrollBar;

namespace mouthkey {

class MouthChoice;

// A timeline of the take: each keyframe's mouth position (the X value of the
// chosen set) drawn over the frames as a step line, with the keyframes that
// get no position marked, and the sound's waveform behind them. With a mouth
// chart, the heights are named by the drawings the chart gives their mouths,
// and a key it has no drawing for is marked too: the document leaves it out,
// so the drawing before it holds on. It zooms from the whole take down to
// single frames and scrolls; whatever it shows, it draws one entry per pixel
// column, and redraws from its track alone: it never converts.
//
// It edits nothing itself. It shows the selection it is given, and asks for
// selections and edits by its signals; keyframe i is cue i of the take.
class TimelinePreview : public QWidget {
    Q_OBJECT
public:
    explicit TimelinePreview(QWidget* parent = nullptr);
    ~TimelinePreview() override;

    // Another take: the whole of it is shown, with nothing selected.
    void setTrack(KeyframeTrack track);
    // The same take, edited: the frames shown, the playhead and the
    // selection stay where they are.
    void setEditedTrack(KeyframeTrack track);
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
    double pixelsPerFrame() const;
    // The time axis's ticks, where each is drawn and its label, "0:01".
    QVector<std::pair<double, QString>> rulerTicks() const;

    // Zooming: by a factor (above 1 closer), keeping the frame at x where it
    // is; from the whole take down to maxPixelsPerFrame.
    static constexpr double maxPixelsPerFrame = 24;
    void zoomBy(double factor, double aroundX);
    // Back to the whole take.
    void fitAll();
    bool showsAll() const;
    // Shows the frames from `frame` on, as far as the take allows.
    void scrollTo(std::uint64_t frame);

    // What hovering at x shows: the keyframe in effect there, or empty.
    QString describeAt(double x) const;
    // The frame drawn at x, within the frames shown.
    std::uint64_t frameAtX(double x) const;

    // Where the player is, drawn as a line across the plot; nothing: no line.
    // When it leaves the frames shown, the view pages to it.
    void setPlayhead(std::optional<std::uint64_t> frame);
    std::optional<std::uint64_t> playhead() const { return m_playhead; }

    // The sound's waveform, drawn behind the keys; none: no waveform. Frame f
    // of the track plays `shift` frames later in the sound.
    void setWaveform(std::shared_ptr<const WaveformSummary> waveform);
    const std::shared_ptr<const WaveformSummary>& waveform() const { return m_waveform; }
    void setSoundShift(std::int64_t frames);

    // The cues shown as selected; none: nothing is.
    void setSelection(std::optional<CueRange> range);
    std::optional<CueRange> selection() const { return m_selection; }
    // The names a cue's mouth may be changed to: the set's, and a letter
    // take's letters.
    QStringList mouthNames() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setSetIndex(int setIndex);
    void setRate(const FrameRate& rate);
    void setRateIndex(int rateIndex) { setRate(FrameRate(rateIndex)); }

signals:
    // The picture changed: another track, set or rate.
    void previewChanged();
    // A click or a drag on the time axis or off the cues, or a key, at a
    // frame: the player goes there.
    void frameChosen(std::uint64_t frame);
    // A cue clicked, or the one beside the selection by the arrow keys;
    // `extend`: the selection stretches to it (Shift).
    void selectRequested(std::size_t index, bool extend);
    // The selected cues dragged, or moved by Alt and the arrow keys, by whole
    // frames (negative: earlier), as far as the cues beside them allow.
    void moveRequested(std::int64_t frames);
    // A mouth chosen for the selected cues from the list a double click,
    // Enter or F2 opens.
    void mouthChangeRequested(const QString& name);
    // A cue asked for at a frame: by the context menu there, or Insert at the playhead.
    void insertRequested(std::uint64_t frame);
    // The selected cues asked to go: the context menu or Delete.
    void deleteRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A press on a cue, until its release: a selection, or a move once dragged.
    struct CueDrag {
        std::size_t pressed = 0;
        double fromX = 0;
        bool moving = false;
        CueRange range;
        std::int64_t frames = 0;
    };

    QRectF plotRect() const;
    double yOf(int position) const;
    std::optional<std::size_t> keyframeAt(double x) const;
    // The cue a click at x means: the step nearest it within a few pixels, else the one in force.
    std::optional<std::size_t> cueAt(double x) const;
    // Whether a keyframe gets a place on the plot: a position, and with a chart a drawing.
    bool placed(const KeyframeTrack::Keyframe& k) const;
    void countMarked();
    QString describe(std::size_t index) const;
    void showCursor(std::optional<double> x, QPoint tipAt);
    void showKeyTip(std::size_t index);
    void rebuildLines();
    void rebuildWaveform(const QRectF& plot, std::size_t count);
    double tickRoom() const;
    QVector<std::pair<double, QString>> ticksIn(const QRectF& plot) const;
    void drawRuler(class QPainter& painter, const QRectF& plot) const;
    void drawScale(class QPainter& painter, const QRectF& plot) const;
    void drawSelection(class QPainter& painter, const QRectF& plot) const;
    void drawNames(class QPainter& painter, const QRectF& plot) const;
    void nameHeights();
    QRect playheadRect() const;

    // The view: frames [from, from + span) within the whole take's.
    std::uint64_t fitSpan() const { return m_fitTo - m_fitFrom; }
    std::uint64_t closestSpan() const;
    void showFrames(double from, std::uint64_t span);
    void placeScrollBar();
    void followScrollBar(int value);
    void fitTrack();

    // The keys of an editing timeline.
    bool selectionKey(QKeyEvent* event);
    bool editKey(QKeyEvent* event);
    bool zoomKey(QKeyEvent* event);
    void playerKey(QKeyEvent* event);
    // How far the cues of `range` may move by `frames`: one frame short of
    // the cues beside them, never before frame 1.
    std::int64_t movable(CueRange range, std::int64_t frames) const;
    void chooseMouth(std::size_t index);
    void buildMenu();

    KeyframeTrack m_track;
    bool m_hasTrack = false;
    int m_setIndex = 0;
    FrameRate m_rate;
    std::optional<MouthChart> m_chart;
    KeyframeTrack::KeySet m_unplaced = 0; // keys written by names the chart has no drawing for
    std::uint64_t m_marked = 0;
    QVector<std::pair<int, QString>> m_axisNames; // a height and its drawings' names
    std::uint64_t m_from = 0, m_to = 1;
    std::uint64_t m_fitFrom = 0, m_fitTo = 1;
    QScrollBar* m_scroll;
    std::uint64_t m_scrollUnit = 1; // frames a step of the scroll bar

    // Drawn lines, made again only when the track, the set, the view or the size changes.
    bool m_linesValid = false;
    QVector<QLineF> m_steps;
    QVector<QLineF> m_marks;
    QVector<QPointF> m_dots;
    QVector<QRectF> m_wave; // a pixel column each

    std::shared_ptr<const WaveformSummary> m_waveform;
    std::int64_t m_soundShift = 0;

    std::optional<CueRange> m_selection;
    std::optional<std::size_t> m_activeEnd; // the end Shift and the arrows move
    std::optional<CueDrag> m_drag;
    bool m_scrubbing = false;
    MouthChoice* m_mouthChoice = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_insertAction = nullptr;
    QAction* m_deleteAction = nullptr;
    std::uint64_t m_menuFrame = 0;

    std::optional<std::uint64_t> m_playhead;
    std::optional<double> m_cursorX;
    std::optional<std::size_t> m_hoverKeyframe; // under the mouse
};

} // namespace mouthkey
