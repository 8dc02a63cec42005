#include "VelServicesViewLook.h"

#include "VelServiceCell.h"

#include <QAbstractItemView>
#include <QPainter>

#include <algorithm>

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

namespace {

// A translucent fill is blended one span at a time, and Qt hands more than
// 96 spans to its thread pool, whose wake-ups cost more than the blending.
// A line drawn with a pen is a span per pixel, so the grid is filled
// instead: a horizontal line is one span, a vertical one a span per row,
// filled 64 rows at a time.
void fillGridLine(QPainter &painter, const QRect &line)
{
    constexpr int kPieceHeight = 64;
    for (int top = line.top(); top <= line.bottom(); top += kPieceHeight)
        painter.fillRect(
            QRect(line.left(), top, line.width(), std::min(kPieceHeight, line.bottom() + 1 - top)), gridColor());
}

} // namespace

void drawGrid(
    QPainter &painter, const QRect &area, const QList<int> &rowBottoms, int rowStep, const QList<int> &columnRights)
{
    const auto horizontalLine = [&](int y) { fillGridLine(painter, QRect(area.left(), y, area.width(), 1)); };
    int y = area.top() - 1;
    for (int bottom : rowBottoms) {
        y = bottom;
        horizontalLine(y);
    }
    if (rowStep > 0) {
        for (y += rowStep; y <= area.bottom(); y += rowStep)
            horizontalLine(y);
    }
    for (int x : columnRights)
        fillGridLine(painter, QRect(x, area.top(), 1, area.height()));
}

} // namespace VelServicesViewLook
