#pragma once

#include <QWidget>

class QHBoxLayout;

namespace mouthkey {

class FindingsPanel;
class TimelinePreview;
struct LoadedTiming;

// What the window shows about the loaded timing text: the summary and
// findings, and the keyframe preview below them, which takes the spare room.
class TimingOverview : public QWidget {
    Q_OBJECT
public:
    explicit TimingOverview(QWidget* parent = nullptr);

    // Shows a take just loaded, or read again another way.
    void showTiming(const LoadedTiming& loaded);

    // A widget to the right of the preview, as tall as it.
    void addBesidePreview(QWidget* widget);

    FindingsPanel* findings() const { return m_findings; }
    TimelinePreview* preview() const { return m_preview; }

public slots:
    void setSetIndex(int setIndex);
    void setRateIndex(int rateIndex);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    FindingsPanel* m_findings;
    TimelinePreview* m_preview;
    QHBoxLayout* m_previewRow;
};

} // namespace mouthkey
