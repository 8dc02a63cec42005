#pragma once

// The Mac's mouse-in-rectangle test in a flipped (y down) view: the top and
// left edges belong to the rectangle, the bottom and right edges do not.

#include <QPointF>
#include <QRectF>

[[nodiscard]] inline bool VelMouseInRect(const QPointF &point, const QRectF &rect)
{
    return point.x() >= rect.left() && point.x() < rect.left() + rect.width() && point.y() >= rect.top()
        && point.y() < rect.top() + rect.height();
}
