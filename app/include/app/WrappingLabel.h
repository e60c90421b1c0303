#pragma once

#include <QLabel>

class QTextLayout;

namespace mouthkey {

// A plain-text label that shows all of its text, in as many lines as its
// width needs: it wraps at spaces, and inside a word (a long file name) that
// is wider than a line. It takes any width it is given, and asks for the
// height its text needs at that width.
class WrappingLabel : public QLabel {
    Q_OBJECT
public:
    explicit WrappingLabel(QWidget* parent = nullptr);

    // The height the text takes at that width, margins included.
    int textHeightAt(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Lays the text out into `layout` at that width; returns the height it takes.
    int layOut(QTextLayout& layout, int width) const;
};

} // namespace mouthkey
