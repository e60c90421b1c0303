#include "app/FindingsPanel.h"

#include "textinput/Utf8Text.h"

#include "app/LocaleNumbers.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
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

// Where the style gives none.
constexpr int defaultSpacing = 6;

} // namespace

void setCountableSpacing(QBoxLayout& layout) {
    layout.setSpacing(std::max(layout.spacing(), defaultSpacing));
}

QString findingSentence(const Finding& finding) {
    QString sentence = withCapital(toQString(findingText(finding, numberFormatOf()))) +
                       QStringLiteral(": ") + toQString(findingOutcome(finding)) + QLatin1Char('.');
    QString hint = toQString(findingHint(finding));
    if (finding.kind == Finding::Kind::SingleFrameMouths) {
        hint += QStringLiteral(" (Edit > Clean Up\u2026)");
    }
    if (!hint.isEmpty()) {
        sentence += QLatin1Char(' ') + withCapital(hint) +
                    (hint.endsWith(QLatin1Char('?')) ? QString() : QStringLiteral("."));
    }
    if (finding.kind == Finding::Kind::LetterMouthShapes) {
        sentence += QStringLiteral(" Choose File > Read as Letter Mouth Shapes to do so.");
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

    m_findings->setObjectName(QStringLiteral("findingsView"));
    m_findings->setAccessibleName(tr("Findings"));
    m_findings->setWordWrap(true);
    m_findings->setTextElideMode(Qt::ElideNone);
    m_findings->setResizeMode(QListView::Adjust);
    m_findings->setUniformItemSizes(false);
    m_findings->setSelectionMode(QAbstractItemView::NoSelection);
    // Tab reaches it, so that the arrow and page keys scroll what the mouse would.
    m_findings->setFocusPolicy(Qt::StrongFocus);
    m_findings->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_findings->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    const int icon = m_findings->style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_findings->setIconSize({icon, icon});
    // The rows wrap to the viewport, which narrows when the scroll bar shows.
    m_findings->viewport()->installEventFilter(this);
    m_findings->hide();

    // The list's own Copy takes only the current row; the findings go whole.
    auto* copy = new QAction(tr("&Copy Findings"), m_findings);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &FindingsPanel::copyFindings);
    m_findings->addAction(copy);
    m_findings->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setCountableSpacing(*layout);
    layout->addWidget(m_summary);
    layout->addWidget(m_findings);
    updateSummary();
}

void FindingsPanel::showReport(const QString& source, const TimingReport& report,
                               const QString& notice) {
    m_loaded = true;
    m_source = source;
    m_timing = report.summary;
    m_sentences.clear();
    m_findings->clear();
    if (!notice.isEmpty()) {
        m_sentences << withCapital(notice) + QLatin1Char('.');
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_MessageBoxInformation),
                                         m_sentences.back(), m_findings);
        item->setFlags(Qt::ItemIsEnabled);
    }
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    // Advice is no problem, and does not look like one.
    const QIcon advice = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    for (const Finding& f : report.findings) {
        m_sentences << findingSentence(f);
        auto* item = new QListWidgetItem(isAdvice(f.kind) ? advice : warning, m_sentences.back(),
                                         m_findings);
        item->setFlags(Qt::ItemIsEnabled);
    }
    m_findings->setVisible(!m_sentences.isEmpty());
    updateSummary();
}

QWidget* FindingsPanel::findingsView() const {
    return m_findings;
}

void FindingsPanel::setRoom(int height) {
    if (height != m_room) {
        m_room = height;
        fitFindings();
    }
}

bool FindingsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_findings->viewport() && event->type() == QEvent::Resize) {
        fitFindings();
    }
    return QWidget::eventFilter(watched, event);
}

int FindingsPanel::summaryHeight() const {
    if (m_summary->isHidden()) {
        return 0;
    }
    // Before the first layout the label has no width to wrap to yet.
    const int width = m_summary->width();
    return m_summary->heightForWidth(width > 0 ? width : -1) + layout()->spacing();
}

// As tall as the whole rows that fit in the room; the rest scroll. A row cut
// in half would read as the end of the list.
void FindingsPanel::fitFindings() {
    if (m_findings->count() == 0) {
        return;
    }
    const int frame = 2 * m_findings->frameWidth();
    const int most = std::max(m_findings->fontMetrics().height(), m_room - summaryHeight() - frame);
    int height = 0;
    for (int row = 0; row < m_findings->count(); ++row) {
        const int rowHeight = m_findings->visualItemRect(m_findings->item(row)).height();
        if (height + rowHeight > most) {
            // One row at least, even where the room is too small for it.
            height = row == 0 ? most : height;
            break;
        }
        height += rowHeight;
    }
    m_findings->setFixedHeight(height + frame);
}

QSize FindingsPanel::minimumSizeHint() const {
    QSize size = QWidget::minimumSizeHint();
    if (!m_findings->isHidden()) {
        size.setHeight(summaryHeight() + m_findings->fontMetrics().height() +
                       2 * m_findings->frameWidth());
    }
    return size;
}

void FindingsPanel::copyFindings() const {
    QGuiApplication::clipboard()->setText(m_sentences.join(QLatin1Char('\n')));
}

QString FindingsPanel::summary() const {
    return m_summary->text();
}

void FindingsPanel::setRate(const FrameRate& rate) {
    if (rate != m_rate) {
        m_rate = rate;
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
                       toQString(summaryText(m_timing, m_rate, numberFormatOf())));
    fitFindings(); // the summary may now take another number of lines
}

} // namespace mouthkey
