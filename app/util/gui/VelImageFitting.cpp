#include "VelImageFitting.h"

#include <QPainter>

#include <cmath>

QSizeF fittedImageSize(QSizeF imageSize, QSizeF maxSize)
{
    const double w = imageSize.width();
    const double h = imageSize.height();
    const double rx = w / maxSize.width();
    const double ry = h / maxSize.height();
    if (rx > 1 || ry > 1 || std::isnan(rx)) {
        if (rx > ry)
            return {maxSize.width(), h / rx};
        return {w / ry, maxSize.height()};
    }
    return imageSize;
}

QImage imageWithMaxSize(const QImage &image, QSizeF maxSize)
{
    const QSize canvasSize(int(std::ceil(maxSize.width())), int(std::ceil(maxSize.height())));
    QImage canvas(canvasSize.expandedTo(QSize(0, 0)), QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return canvas;
    canvas.fill(Qt::transparent);
    const QSizeF drawn = fittedImageSize(QSizeF(image.size()), maxSize);
    if (image.isNull() || !drawn.isValid() || std::isnan(drawn.width()) || std::isnan(drawn.height()))
        return canvas;
    const QPointF origin((maxSize.width() - drawn.width()) * 0.5, (maxSize.height() - drawn.height()) * 0.5);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QRectF(origin, drawn), image);
    return canvas;
}
