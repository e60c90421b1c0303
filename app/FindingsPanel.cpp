#include "app/FindingsPanel.h"

#include "textinput/Utf8Text.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace mouthkey {

namespace {

QString withCapital(QString text) {
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

// Enough rows to read the usual few findings at once; more scroll.
constexpr int rowsShown = 6;

} // namespace

QString findingSentence(const Finding& finding) {
    QString sentence = withCapital(toQString(findingText(finding))) + QStringLiteral(": ") +
                       toQString(findingOutcome(finding.kind)) + QLatin1Char('.');
    const QString hint = toQString(findingHint(finding));
    if (!hint.isEmpty()) {
        sentence += QLatin1Char(' ') + withCapital(hint) +
                    (hint.endsWith(QLatin1Char('?')) ? QString() : QStringLiteral("."));
    }
    return sentence;
}

FindingsPanel::FindingsPanel(QWidget* parent)
    : QWidget(parent), m_summary(new QLabel(this)), m_findings(new QListWidget(this)) {
    setAccessibleName(tr("Timing file check"));

    m_summary->setAccessibleName(tr("Timing summary"));
    m_summary->setTextFormat(Qt::PlainText); // a file name is never markup
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setWordWrap(true);

    m_findings->setAccessibleName(tr("Findings"));
    m_findings->setWordWrap(true);
    m_findings->setTextElideMode(Qt::ElideNone);
    m_findings->setResizeMode(QListView::Adjust);
    m_findings->setUniformItemSizes(false);
    m_findings->setSelectionMode(QAbstractItemView::NoSelection);
    m_findings->setFocusPolicy(Qt::ClickFocus);
    m_findings->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_findings->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_findings->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    const int icon = m_findings->style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_findings->setIconSize({icon, icon});
    m_findings->installEventFilter(this);
    m_findings->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_summary);
    layout->addWidget(m_findings);
    updateSummary();
}

void FindingsPanel::showReport(const QString& source, const TimingReport& report) {
    m_loaded = true;
    m_source = source;
    m_timing = report.summary;
    m_sentences.clear();
    m_findings->clear();
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const Finding& f : report.findings) {
        m_sentences << findingSentence(f);
        auto* item = new QListWidgetItem(warning, m_sentences.back(), m_findings);
        item->setFlags(Qt::ItemIsEnabled);
    }
    m_findings->setVisible(!m_sentences.isEmpty());
    fitFindings();
    updateSummary();
}

bool FindingsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_findings && event->type() == QEvent::Resize) {
        fitFindings();
    }
    return QWidget::eventFilter(watched, event);
}

// As tall as the findings once wrapped, up to a few lines; more scroll.
void FindingsPanel::fitFindings() {
    const int most = m_findings->fontMetrics().lineSpacing() * rowsShown;
    int height = 0;
    for (int row = 0; row < m_findings->count() && height < most; ++row) {
        height += m_findings->visualItemRect(m_findings->item(row)).height();
    }
    m_findings->setFixedHeight(std::min(height, most) + 2 * m_findings->frameWidth());
}

QString FindingsPanel::summary() const {
    return m_summary->text();
}

void FindingsPanel::setRateIndex(int rateIndex) {
    if (rateIndex != m_rateIndex) {
        m_rateIndex = rateIndex;
        updateSummary();
    }
}

void FindingsPanel::updateSummary() {
    // Until a file loads, the preview below says what to do.
    m_summary->setVisible(m_loaded);
    if (!m_loaded) {
        m_summary->clear();
        return;
    }
    m_summary->setText(m_source + QStringLiteral(" \u00B7 ") +
                       toQString(summaryText(m_timing, m_rateIndex)));
}

} // namespace mouthkey
