#include "VelFakeTableHeaderView.h"

#include "VelBundleImage.h"

#include <QPainter>

VelFakeTableHeaderView::VelFakeTableHeaderView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor VelFakeTableHeaderView::gray()
{
    return QColor::fromRgbF(0.5f, 0.5f, 0.5f);
}

QColor VelFakeTableHeaderView::lightGray()
{
    return QColor::fromRgbF(0.667f, 0.667f, 0.667f);
}

void VelFakeTableHeaderView::paintEvent(QPaintEvent *)
{
    // The bounds, not the dirty rectangle: the face is stretched over them.
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), gray());
    painter.fillRect(QRect(0, 1, w, h - 2), lightGray());
    painter.fillRect(QRect(1, 0, w - 2, h), lightGray());
    const QImage &face = VelBundleArtworkNamed(QStringLiteral("VelTableHeader"));
    if (face.isNull() || w <= 2)
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(1, 0, w - 2, h), face);
}
