#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace mouthkey {

class MouthDrawings;

// The player's mouth: the drawing of the cue in force, as large as the view
// allows, with a line under it that says where the take is. Not the
// window's picture beside the controls, which keeps its own three images.
class MouthView : public QWidget {
    Q_OBJECT
public:
    explicit MouthView(const MouthDrawings& drawings, QWidget* parent = nullptr);

    // What a cue shows: the drawing of a name (a phoneme key or a letter), or
    // the "no position" drawing.
    struct Mouth {
        QString name = QStringLiteral("rest");
        bool letters = false; // D and E are letters
        bool noPosition = false;
        friend bool operator==(const Mouth&, const Mouth&) = default;
    };
    void showMouth(const Mouth& mouth, const QString& label);
    const Mouth& mouth() const { return m_mouth; }
    QString label() const { return m_label; }
    // The drawing at the size it is drawn at, in device pixels.
    QPixmap drawing() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // The drawings changed (another folder): draw again.
    void redraw();

signals:
    void mouthShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr int minimumSide = 64;
    // Beside a timeline that takes the rest of the width.
    static constexpr int maximumSide = 220;
    int labelHeight() const;
    QSize drawingSize() const;

    const MouthDrawings& m_drawings;
    Mouth m_mouth;
    QString m_label;
    int m_side = 160;
};

} // namespace mouthkey
