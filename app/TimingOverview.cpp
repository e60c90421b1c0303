#include "app/TimingOverview.h"

#include "app/FindingsPanel.h"
#include "app/LoadedTiming.h"
#include "app/TimelinePreview.h"

#include <QHBoxLayout>
#include <QResizeEvent>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace mouthkey {

TimingOverview::TimingOverview(QWidget* parent)
    : QWidget(parent), m_findings(new FindingsPanel(this)), m_preview(new TimelinePreview(this)) {
    setObjectName(QStringLiteral("timingOverview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setCountableSpacing(*layout);
    layout->addWidget(m_findings);
    m_previewRow = new QHBoxLayout;
    m_previewRow->addWidget(m_preview, 1);
    layout->addLayout(m_previewRow, 1);
}

void TimingOverview::addBesidePreview(QWidget* widget) {
    m_previewRow->addWidget(widget);
}

void TimingOverview::splitWithPreview(QWidget* widget) {
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    delete m_previewRow->replaceWidget(m_preview, split);
    split->addWidget(m_preview);
    split->addWidget(widget);
    split->setStretchFactor(0, 1);
    // The timeline takes what the window gives; the mouth beside it keeps its own width.
    m_previewRow->setStretchFactor(split, 1);
}

void TimingOverview::showFindings(const LoadedTiming& loaded, std::span<const Finding> findings) {
    m_findings->showReport(loaded.source,
                           TimingReport{loaded.report.summary, {findings.begin(), findings.end()}},
                           loaded.notice);
}

void TimingOverview::setSetIndex(int setIndex) {
    m_preview->setSetIndex(setIndex);
}

void TimingOverview::setRate(const FrameRate& rate) {
    m_findings->setRate(rate);
    m_preview->setRate(rate);
}

// The findings grow with the window up to half its height, and leave the
// preview at least the room it needs.
void TimingOverview::resizeEvent(QResizeEvent* event) {
    const int forPreview = m_preview->minimumSizeHint().height() + layout()->spacing();
    m_findings->setRoom(std::min(window()->height() / 2, event->size().height() - forPreview));
    QWidget::resizeEvent(event);
}

} // namespace mouthkey
