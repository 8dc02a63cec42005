#pragma once

// A view that paints the window's gradient over its whole bounds while its
// window is the active one, and the plain window colour otherwise.
// Subclasses choose the image (gradientImage) and when it shows
// (showsGradient).

#include <QImage>
#include <QWidget>

class VelGradientView : public QWidget {
    Q_OBJECT

public:
    explicit VelGradientView(QWidget *parent = nullptr);

    // The bundle image "VelGradient", scaled as each drawing needs.
    [[nodiscard]] static const QImage &gradientImage();
    // A copy of the image at the size; the shared image stays as it is.
    [[nodiscard]] static QImage gradientImageWithSize(const QSize &size);

    [[nodiscard]] virtual bool showsGradient() const;

    [[nodiscard]] static QImage scaledImageCopy(const QImage &image, const QSize &size);

protected:
    void paintEvent(QPaintEvent *event) override;
    // The image this class draws.
    [[nodiscard]] virtual const QImage &image() const { return gradientImage(); }
    void paintGradient(QPainter &painter, const QRect &dirty) const;
};
