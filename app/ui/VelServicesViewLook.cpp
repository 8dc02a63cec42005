#include "VelServicesViewLook.h"

#include "VelServiceCell.h"

#include <QAbstractItemView>
#include <QPainter>

namespace VelServicesViewLook {

QColor gridColor()
{
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.1f);
}

void apply(QAbstractItemView *view)
{
    view->setItemDelegate(new VelServiceCell(view));
    // The providers table keeps the keyboard focus, and with it its focused
    // selection look.
    view->setFocusPolicy(Qt::NoFocus);
    view->setAlternatingRowColors(false);
    QPalette colors = view->palette();
    colors.setColor(QPalette::Base, Qt::white);
    // A selection may exist but is never shown.
    colors.setColor(QPalette::Highlight, Qt::white);
    colors.setColor(QPalette::HighlightedText, colors.color(QPalette::Text));
    view->setPalette(colors);
}

void drawGrid(
    QPainter &painter, const QRect &area, const QList<int> &rowBottoms, int rowStep, const QList<int> &columnRights)
{
    painter.save();
    painter.setPen(gridColor());
    int y = area.top() - 1;
    for (int bottom : rowBottoms) {
        y = bottom;
        painter.drawLine(area.left(), y, area.right(), y);
    }
    if (rowStep > 0) {
        for (y += rowStep; y <= area.bottom(); y += rowStep)
            painter.drawLine(area.left(), y, area.right(), y);
    }
    for (int x : columnRights)
        painter.drawLine(x, area.top(), x, area.bottom());
    painter.restore();
}

} // namespace VelServicesViewLook
