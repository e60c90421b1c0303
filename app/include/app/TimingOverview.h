#pragma once

#include "conversion/KeyframeDocument.h"

#include <QWidget>

#include <span>

class QHBoxLayout;

namespace mouthkey {

struct Finding;
class FindingsPanel;
class TimelinePreview;
struct LoadedTiming;

// What the window shows about the loaded timing text: the summary and
// findings, and the keyframe preview below them, which takes the spare room.
class TimingOverview : public QWidget {
    Q_OBJECT
public:
    explicit TimingOverview(QWidget* parent = nullptr);

    // Shows the summary of a take and its findings for the choices in use.
    void showFindings(const LoadedTiming& loaded, std::span<const Finding> findings);

    // A widget to the right of the preview, as tall as it.
    void addBesidePreview(QWidget* widget);
    // A widget to the right of the preview, which shares its width with it
    // by a splitter the user drags.
    void splitWithPreview(QWidget* widget);

    FindingsPanel* findings() const { return m_findings; }
    TimelinePreview* preview() const { return m_preview; }

public slots:
    void setSetIndex(int setIndex);
    void setRate(const FrameRate& rate);
    void setRateIndex(int rateIndex) { setRate(FrameRate(rateIndex)); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    FindingsPanel* m_findings;
    TimelinePreview* m_preview;
    QHBoxLayout* m_previewRow;
};

} // namespace mouthkey
