#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QSvgRenderer;

namespace mouthkey {

// Shows one of the application's images, looked up by name. The picture is
// drawn from its vector source at whatever size the view has.
class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);
    ~ImageView() override;

    // Shows the image of that name; a name that finds no image empties the view.
    void setImageNamed(const QString& name);

    // The name of the image shown, or empty when the view shows none.
    QString imageName() const { return m_name; }
    bool hasImage() const { return !m_name.isEmpty(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    std::unique_ptr<QSvgRenderer> m_renderer;
};

// The resource path of a named image, or empty when there is no such image.
QString imagePath(const QString& name);

} // namespace mouthkey
