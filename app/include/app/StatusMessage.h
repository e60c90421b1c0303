#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QStatusBar;
class QToolButton;

namespace mouthkey {

class WrappingLabel;

// The outcome of the user's last action, kept in the status bar until the
// next one replaces it: menus and tool tips passing over never erase it.
// With no outcome yet it shows a hint instead.
class StatusMessage : public QWidget {
    Q_OBJECT
public:
    enum class Kind {
        Done,    // it worked
        Notice,  // worth acting on
        Failure, // it did not work
    };

    explicit StatusMessage(QWidget* parent = nullptr);

    // The one message of a status bar, put in place the first time it is asked for.
    static StatusMessage& of(QStatusBar& bar);

    void show(Kind kind, const QString& text);
    // Back to no outcome: the hint shows again.
    void clear();
    // A button for the action next to the message, until the message changes.
    void offer(QAction* action);

    void setHint(const QString& hint);

    QString text() const { return m_text; } // empty while there is no outcome
    Kind kind() const { return m_kind; }
    QString shownText() const;
    QAction* offered() const;

private:
    void refresh();

    QLabel* m_icon;
    WrappingLabel* m_label;
    QToolButton* m_button;
    QString m_text;
    QString m_hint;
    Kind m_kind = Kind::Done;
};

} // namespace mouthkey
