#include "VelPlusDarker.h"

#include <QPainter>

namespace {

// The inversions must cover exactly the same pixels, so the area is whole
// pixels and drawn without antialiasing.
template <typename Draw> void drawInvertedBetween(QPainter &painter, const QRect &area, Draw draw)
{
    if (area.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setOpacity(1.0);
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(area, Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    draw();
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(area, Qt::white);
    painter.restore();
}

} // namespace

QImage VelDarknessImage(const QImage &image)
{
    QImage darkness = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < darkness.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(darkness.scanLine(y));
        for (int x = 0; x < darkness.width(); ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            line[x] = qRgba(alpha - qRed(pixel), alpha - qGreen(pixel), alpha - qBlue(pixel), alpha);
        }
    }
    return darkness;
}

void VelDrawImagePlusDarker(QPainter &painter, const QRectF &target, const QImage &image)
{
    if (image.isNull())
        return;
    const QRect area = target.toAlignedRect();
    const QImage darkness = VelDarknessImage(image);
    drawInvertedBetween(painter, area, [&] {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRectF(area), darkness);
    });
}

void VelFillRectPlusDarker(QPainter &painter, const QRectF &rect, const QColor &color)
{
    const QRect area = rect.toAlignedRect();
    const QColor premultiplied = color.toRgb();
    const qreal alpha = premultiplied.alphaF();
    const QColor darkness = QColor::fromRgbF(float(alpha * (1.0 - premultiplied.redF())),
        float(alpha * (1.0 - premultiplied.greenF())), float(alpha * (1.0 - premultiplied.blueF())), 1.0f);
    // An opaque fill of the darkness adds exactly it: the colour's own alpha
    // is already folded in.
    drawInvertedBetween(painter, area, [&] { painter.fillRect(area, darkness); });
}
