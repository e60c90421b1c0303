#pragma once

#include <QLabel>

namespace mouthkey {

// A one-line plain-text label that shows as much of its text as fits, with
// an ellipsis where the rest was left out. text() is always the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget* parent = nullptr);

    // The text as it is drawn at the label's present width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

    // A tool tip that shows `text` as spelled, never as markup, and wraps a
    // long path at its folder separators instead of running off the screen.
    static QString wrappingToolTip(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::TextElideMode m_mode;
};

} // namespace mouthkey
