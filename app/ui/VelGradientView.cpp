#include "VelGradientView.h"

#include "VelBundleImage.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

VelGradientView::VelGradientView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage &VelGradientView::gradientImage()
{
    return VelBundleArtworkNamed(QStringLiteral("VelGradient"));
}

QImage VelGradientView::gradientImageWithSize(const QSize &size)
{
    return scaledImageCopy(gradientImage(), size);
}

QImage VelGradientView::scaledImageCopy(const QImage &image, const QSize &size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool VelGradientView::showsGradient() const
{
    return isActiveWindow();
}

void VelGradientView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    paintGradient(painter, event->rect());
}

void VelGradientView::paintGradient(QPainter &painter, const QRect &dirty) const
{
    if (!showsGradient()) {
        painter.fillRect(dirty, QApplication::palette().color(QPalette::Window));
        return;
    }
    // The whole bounds, whatever part is dirty: the image is stretched.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(rect()), image());
}
