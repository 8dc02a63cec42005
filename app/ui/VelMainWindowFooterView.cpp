#include "VelMainWindowFooterView.h"

#include <util/VelSystemVersionTests.h>

#include <QPaintEvent>
#include <QPainter>

VelMainWindowFooterView::VelMainWindowFooterView(QWidget *parent)
    : VelGradientView(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, !VelSystemIsLeopardOrNewer());
}

QColor VelMainWindowFooterView::topLineColor()
{
    // The Mac's light gray, two thirds white.
    return QColor::fromRgbF(0.667f, 0.667f, 0.667f);
}

void VelMainWindowFooterView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (!VelSystemIsLeopardOrNewer()) {
        paintGradient(painter, event->rect());
        return;
    }
    if (showsGradient())
        painter.fillRect(QRect(0, 0, width(), 1), topLineColor());
}
