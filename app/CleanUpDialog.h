#pragma once

#include "conversion/CleanUp.h"

#include <QDialog>

#include <span>
#include <vector>

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace mouthkey {

// Edit > Clean Up: the clean-up rules, each off until turned on, and what
// each would change on the take, counted before anything is applied. Opens
// afresh each time: nothing chosen in it is kept.
class CleanUpDialog : public QDialog {
    Q_OBJECT
public:
    // The take's cues in frame order; they are read, not copied, so they
    // must not change while the dialog lives (it is modal).
    CleanUpDialog(std::span<const Cue> cues, bool letters, QWidget* parent = nullptr);
    ~CleanUpDialog() override;

    CleanUpRules rules() const;
    // The cues as the rules turned on leave them.
    const std::vector<Cue>& cleaned();

    void accept() override;

private:
    struct Rule {
        QCheckBox* on = nullptr;
        QSpinBox* frames = nullptr;
        QLabel* effect = nullptr;
    };
    Rule addRule(QGridLayout* grid, const QString& name, const QString& text,
                 const QString& toolTip);
    // Counts again once the event loop is back, however many changes came first.
    void recountSoon();
    void recount();
    QString effectText(const Rule& rule, const RuleEffect& effect, const QString& oneDropped,
                       const QString& manyDropped, const QString& oneMoved,
                       const QString& manyMoved) const;

    std::span<const Cue> m_cues;
    bool m_letters;
    Rule m_bridge, m_hold, m_grid;
    QLabel* m_gridFrames = nullptr;
    QLabel* m_total = nullptr;
    QPushButton* m_apply = nullptr;
    QTimer* m_recount = nullptr;
    CleanUpResult m_result;
};

} // namespace mouthkey
