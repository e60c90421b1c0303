#pragma once

#include <QFrame>
#include <QStringList>

class QListWidget;

namespace mouthkey {

// The list a cue's mouth is chosen from, popped up at the cue: typing picks
// by the first letters, as a pop-up menu does; Enter or a click chooses,
// Escape or a click elsewhere lets it go.
class MouthChoice : public QFrame {
    Q_OBJECT
public:
    explicit MouthChoice(QWidget* parent);

    // Shows `names` below `at` (global), `current` picked.
    void open(const QStringList& names, const QString& current, QPoint at);
    QListWidget* list() const { return m_list; }

signals:
    void chosen(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose();

    QListWidget* m_list;
};

} // namespace mouthkey
