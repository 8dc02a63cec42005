#include "VelServicesOutlineView.h"

#include "VelServiceCell.h"
#include "VelServicesViewLook.h"

#include <defaults/VelUserDefaults.h>

#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Setting a column's width lays the view out again; the nested call must not
// fit the column once more.
bool isNotInAnInfiniteLoop = true;

} // namespace

VelServicesOutlineView::VelServicesOutlineView(QWidget *parent)
    : QTreeView(parent)
{
    VelServicesViewLook::apply(this);
    header()->setStretchLastSection(false);
}

VelServiceCell *VelServicesOutlineView::serviceCell() const
{
    return qobject_cast<VelServiceCell *>(itemDelegate());
}

void VelServicesOutlineView::setIntercellSpacing(const QSize &spacing)
{
    m_intercellSpacing = spacing;
    tile();
}

void VelServicesOutlineView::tile()
{
    if (isNotInAnInfiniteLoop && header()->count() >= 2) {
        isNotInAnInfiniteLoop = false;
        header()->setSectionResizeMode(0, QHeaderView::Interactive);
        header()->resizeSection(0, viewport()->width() - header()->sectionSize(1) - 2 * m_intercellSpacing.width());
        isNotInAnInfiniteLoop = true;
    }
    QTreeView::updateGeometries();
}

void VelServicesOutlineView::updateGeometries()
{
    tile();
}

// Laying out and painting the rows asks every row whether it may be edited,
// which depends on a setting: one look at the settings files serves the
// whole pass.
void VelServicesOutlineView::doItemsLayout()
{
    const VelUserDefaults::StandardReadBatch settings;
    QTreeView::doItemsLayout();
}

void VelServicesOutlineView::paintEvent(QPaintEvent *event)
{
    const VelUserDefaults::StandardReadBatch settings;
    QTreeView::paintEvent(event);
    QPainter painter(viewport());
    QList<int> rowBottoms;
    int step = 0;
    for (QModelIndex index = indexAt(QPoint(0, 0)); index.isValid(); index = indexBelow(index)) {
        const QRect row = visualRect(index);
        if (row.top() > viewport()->height())
            break;
        rowBottoms.append(row.bottom());
        step = row.height();
    }
    QList<int> columnRights;
    for (int column = 0; column < header()->count(); ++column)
        columnRights.append(columnViewportPosition(column) + columnWidth(column) - 1);
    VelServicesViewLook::drawGrid(painter, viewport()->rect(), rowBottoms, step, columnRights);
}

void VelServicesOutlineView::mousePressEvent(QMouseEvent *event)
{
    m_pressTaken = event->button() == Qt::LeftButton
        && serviceCell()->trackPress(this, indexAt(event->position().toPoint()), event->position());
    if (!m_pressTaken)
        QTreeView::mousePressEvent(event);
}

void VelServicesOutlineView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A second click on a box is a click of its own.
    m_pressTaken = event->button() == Qt::LeftButton
        && serviceCell()->trackPress(this, indexAt(event->position().toPoint()), event->position());
    if (!m_pressTaken)
        QTreeView::mouseDoubleClickEvent(event);
}

void VelServicesOutlineView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressTaken || !serviceCell()->trackMove(this, event->position()))
        QTreeView::mouseMoveEvent(event);
}

void VelServicesOutlineView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressTaken || event->button() != Qt::LeftButton) {
        QTreeView::mouseReleaseEvent(event);
        return;
    }
    m_pressTaken = false;
    const QModelIndex inspected = serviceCell()->trackRelease(this, event->position());
    if (inspected.isValid())
        emit inspectorRequested(inspected);
}
