#pragma once

#include "conversion/KeyframeDocument.h"
#include "conversion/TimingCheck.h"

#include <QStringList>
#include <QWidget>

class QBoxLayout;
class QLabel;
class QListWidget;

namespace mouthkey {

// Gives a layout of the overview a spacing in pixels. The rows that fit are
// counted with it, and a style that spaces each pair of controls its own way
// leaves it at -1.
void setCountableSpacing(QBoxLayout& layout);

// A finding as one sentence of the window: what, where, what will happen,
// and a hint when there is one.
QString findingSentence(const Finding& finding);

// The summary of the loaded timing text and what the checks found in it,
// shown in the window, never in a dialog. A clean file shows the summary alone.
class FindingsPanel : public QWidget {
    Q_OBJECT
public:
    explicit FindingsPanel(QWidget* parent = nullptr);

    // A notice, if any, says how the text was read; it heads the list.
    void showReport(const QString& source, const TimingReport& report, const QString& notice = {});

    QString summary() const;
    QStringList sentences() const { return m_sentences; }
    // The list of findings, for the window's Tab order.
    QWidget* findingsView() const;

    // The most height the panel may take. The list shows as many whole rows
    // as fit in it, and scrolls to the rest.
    void setRoom(int height);

    // What the window may shrink to: one row of findings, however many there are.
    QSize minimumSizeHint() const override;

public slots:
    // The summary's duration follows the chosen rate.
    void setRate(const FrameRate& rate);
    void setRateIndex(int rateIndex) { setRate(FrameRate(rateIndex)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateSummary();
    void fitFindings();
    void copyFindings() const;
    int summaryHeight() const;

    QLabel* m_summary;
    QListWidget* m_findings;
    QString m_source;
    TimingSummary m_timing;
    bool m_loaded = false;
    FrameRate m_rate;
    int m_room = QWIDGETSIZE_MAX;
    QStringList m_sentences;
};

} // namespace mouthkey
