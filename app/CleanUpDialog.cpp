#include "CleanUpDialog.h"

#include "app/BusyCursor.h"
#include "app/LocaleNumbers.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace mouthkey {

namespace {

// "1 cue", "1,204 cues".
QString counted(std::uint64_t n, const QString& one, const QString& many) {
    return n == 1 ? one : many.arg(localeNumber(n));
}

} // namespace

CleanUpDialog::CleanUpDialog(std::span<const Cue> cues, bool letters, QWidget* parent)
    : QDialog(parent), m_cues(cues), m_letters(letters), m_recount(new QTimer(this)) {
    setObjectName(QStringLiteral("cleanUpDialog"));
    setWindowTitle(tr("Clean Up"));
    m_recount->setSingleShot(true);
    m_recount->setInterval(0);
    connect(m_recount, &QTimer::timeout, this, &CleanUpDialog::recount);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("Tidies the take before it is keyed. The rules turned on are "
                                "applied as one edit, which Undo takes back."));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    m_bridge = addRule(grid, QStringLiteral("bridgeRests"), tr("&Bridge rests shorter than"),
                       tr("A rest held for fewer frames than this between two mouths is left out, "
                          "so the mouth before it holds on; a rest that starts or ends the take "
                          "stays."));
    m_hold = addRule(grid, QStringLiteral("minHold"), tr("&Hold every mouth at least"),
                     tr("A cue that comes too soon after the one before is left out, but a "
                        "closed mouth (MBP, or A in letters) is moved earlier in place of that "
                        "one rather than dropped, and the take's last cue always stays."));
    m_grid = addRule(grid, QStringLiteral("onEvery"), tr("&Key only every"),
                     tr("Keys fall only on frames 1, 1 + N, 1 + 2N, and so on, each showing the "
                        "mouth in force there, or a closed mouth that came and went since the key "
                        "before, so that none is lost."));
    m_gridFrames = new QLabel;
    m_gridFrames->setObjectName(QStringLiteral("onEveryFramesShown"));
    m_gridFrames->setEnabled(false);
    int gridRow = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(grid->indexOf(m_grid.on), &gridRow, &column, &rows, &columns);
    grid->addWidget(m_gridFrames, gridRow, 2);

    m_total = new QLabel;
    m_total->setObjectName(QStringLiteral("cleanUpTotal"));
    m_total->setWordWrap(true);
    layout->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
    layout->addWidget(m_total);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_apply = buttons->button(QDialogButtonBox::Ok);
    m_apply->setObjectName(QStringLiteral("applyButton"));
    m_apply->setText(tr("Apply"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    recount();
}

CleanUpDialog::~CleanUpDialog() = default;

CleanUpDialog::Rule CleanUpDialog::addRule(QGridLayout* grid, const QString& name,
                                           const QString& text, const QString& toolTip) {
    // Each rule takes two rows: its choice, and what it would change under it.
    const int row = grid->count() == 0 ? 0 : grid->rowCount();
    Rule rule;
    rule.on = new QCheckBox(text);
    rule.on->setObjectName(name + QStringLiteral("Box"));
    rule.on->setToolTip(toolTip);
    rule.frames = new QSpinBox;
    rule.frames->setObjectName(name + QStringLiteral("Frames"));
    rule.frames->setRange(2, 1000);
    rule.frames->setValue(2);
    rule.frames->setSuffix(tr(" frames"));
    rule.frames->setToolTip(toolTip);
    rule.frames->setEnabled(false);
    rule.effect = new QLabel;
    rule.effect->setObjectName(name + QStringLiteral("Effect"));
    // Under the box's text, and a line high while it is off, so that
    // nothing moves when it is turned on.
    rule.effect->setIndent(style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                           style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
    rule.effect->setMinimumHeight(rule.effect->fontMetrics().height());
    grid->addWidget(rule.on, row, 0);
    grid->addWidget(rule.frames, row, 1);
    grid->addWidget(rule.effect, row + 1, 0, 1, 3);
    QSpinBox* frames = rule.frames;
    connect(rule.on, &QCheckBox::toggled, this, [this, frames](bool on) {
        frames->setEnabled(on);
        recountSoon();
    });
    connect(rule.frames, &QSpinBox::valueChanged, this, &CleanUpDialog::recountSoon);
    return rule;
}

CleanUpRules CleanUpDialog::rules() const {
    const auto frames = [](const Rule& rule, std::uint64_t off) {
        return rule.on->isChecked() ? static_cast<std::uint64_t>(rule.frames->value()) : off;
    };
    CleanUpRules rules;
    rules.bridgeRests = frames(m_bridge, 0);
    rules.minHold = frames(m_hold, 1);
    rules.onEvery = frames(m_grid, 1);
    rules.letters = m_letters;
    return rules;
}

const std::vector<Cue>& CleanUpDialog::cleaned() {
    if (m_recount->isActive()) {
        recount();
    }
    return m_result.cues;
}

void CleanUpDialog::accept() {
    // A click may come before the count of the last change.
    if (m_recount->isActive()) {
        recount();
    }
    if (m_result.effects.any()) {
        QDialog::accept();
    }
}

void CleanUpDialog::recountSoon() {
    m_recount->start();
}

void CleanUpDialog::recount() {
    m_recount->stop();
    const CleanUpRules rules = this->rules();
    if (rules.any()) {
        // A cue is about a .dat line's worth of work, as for any pass over the take.
        const BusyCursor busy(static_cast<std::int64_t>(m_cues.size()) * 8);
        m_result = cleanUp(m_cues, rules);
    } else {
        m_result = {};
    }

    const CleanUpEffects& effects = m_result.effects;
    m_bridge.effect->setText(
        effectText(m_bridge, effects.bridged, tr("1 rest"), tr("%1 rests"), {}, {}));
    m_hold.effect->setText(effectText(m_hold, effects.held, tr("1 cue"), tr("%1 cues"),
                                      tr("1 closed mouth earlier"),
                                      tr("%1 closed mouths earlier")));
    m_grid.effect->setText(effectText(m_grid, effects.gridded, tr("1 cue"), tr("%1 cues"),
                                      tr("1 to a later frame"), tr("%1 to later frames")));
    const std::uint64_t every = rules.onEvery > 1 ? rules.onEvery : m_grid.frames->value();
    m_gridFrames->setText(
        tr("on frames 1, %1, %2, …").arg(localeNumber(1 + every), localeNumber(1 + 2 * every)));
    m_gridFrames->setEnabled(m_grid.on->isChecked());

    const QString before = counted(m_cues.size(), tr("1 cue"), tr("%1 cues"));
    if (!rules.any()) {
        m_total->setText(
            tr("Turn a rule on to see what it would change in the take's %1.").arg(before));
    } else if (!effects.any()) {
        m_total->setText(tr("Nothing to change: the take keeps its %1 as they are.").arg(before));
    } else if (m_result.cues.size() != m_cues.size()) {
        m_total->setText(
            tr("The take goes from %1 to %2.").arg(before, localeNumber(m_result.cues.size())));
    } else {
        m_total->setText(tr("The take keeps its %1, some at other frames.").arg(before));
    }
    m_apply->setEnabled(effects.any());
}

QString CleanUpDialog::effectText(const Rule& rule, const RuleEffect& effect,
                                  const QString& oneDropped, const QString& manyDropped,
                                  const QString& oneMoved, const QString& manyMoved) const {
    if (!rule.on->isChecked()) {
        return {};
    }
    const std::uint64_t dropped = effect.dropped.count;
    if (dropped > 0 && effect.moved > 0) {
        return tr("Drops %1, moves %2")
            .arg(counted(dropped, oneDropped, manyDropped),
                 counted(effect.moved, oneMoved, manyMoved));
    }
    if (dropped > 0) {
        return tr("Drops %1").arg(counted(dropped, oneDropped, manyDropped));
    }
    if (effect.moved > 0) {
        return tr("Moves %1").arg(counted(effect.moved, oneMoved, manyMoved));
    }
    return tr("Changes nothing");
}

} // namespace mouthkey
