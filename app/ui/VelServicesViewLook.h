#pragma once

// The look the services table and the services outline share: a white
// background with a faint grid (black at 10 %), no visible selection, no
// keyboard focus, and service cells that track their own presses.

#include <QColor>
#include <QList>

class QAbstractItemView;
class QPainter;
class QRect;

namespace VelServicesViewLook {

[[nodiscard]] QColor gridColor();

// Sets up the view's colours, focus and service cells.
void apply(QAbstractItemView *view);

// Horizontal lines under each row (rowBottoms, then every rowStep points to
// the bottom of the area) and vertical lines at the right of each column.
void drawGrid(
    QPainter &painter, const QRect &area, const QList<int> &rowBottoms, int rowStep, const QList<int> &columnRights);

} // namespace VelServicesViewLook
