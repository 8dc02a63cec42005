#include "VelServicesTableView.h"

#include "VelServiceCell.h"
#include "VelServicesViewLook.h"

#include <defaults/VelUserDefaults.h>

#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

VelServicesTableView::VelServicesTableView(QWidget *parent)
    : QTableView(parent)
{
    VelServicesViewLook::apply(this);
    setShowGrid(false);
    verticalHeader()->hide();
}

VelServiceCell *VelServicesTableView::serviceCell() const
{
    return qobject_cast<VelServiceCell *>(itemDelegate());
}

void VelServicesTableView::paintEvent(QPaintEvent *event)
{
    // Every painted row asks whether it may be edited, which depends on a
    // setting: one look at the settings files serves the whole paint.
    const VelUserDefaults::StandardReadBatch settings;
    QTableView::paintEvent(event);
    QPainter painter(viewport());
    QList<int> rowBottoms;
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    const int first = std::max(0, rowAt(0));
    for (int row = first; row < rows; ++row) {
        const int top = rowViewportPosition(row);
        if (top > viewport()->height())
            break;
        rowBottoms.append(top + rowHeight(row) - 1);
    }
    QList<int> columnRights;
    const int columns = model() ? model()->columnCount(rootIndex()) : 0;
    for (int column = 0; column < columns; ++column)
        columnRights.append(columnViewportPosition(column) + columnWidth(column) - 1);
    VelServicesViewLook::drawGrid(
        painter, viewport()->rect(), rowBottoms, verticalHeader()->defaultSectionSize(), columnRights);
}

void VelServicesTableView::mousePressEvent(QMouseEvent *event)
{
    m_pressTaken = event->button() == Qt::LeftButton
        && serviceCell()->trackPress(this, indexAt(event->position().toPoint()), event->position());
    if (!m_pressTaken)
        QTableView::mousePressEvent(event);
}

void VelServicesTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A second click on a box is a click of its own.
    m_pressTaken = event->button() == Qt::LeftButton
        && serviceCell()->trackPress(this, indexAt(event->position().toPoint()), event->position());
    if (!m_pressTaken)
        QTableView::mouseDoubleClickEvent(event);
}

void VelServicesTableView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressTaken || !serviceCell()->trackMove(this, event->position()))
        QTableView::mouseMoveEvent(event);
}

void VelServicesTableView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressTaken || event->button() != Qt::LeftButton) {
        QTableView::mouseReleaseEvent(event);
        return;
    }
    m_pressTaken = false;
    const QModelIndex inspected = serviceCell()->trackRelease(this, event->position());
    if (inspected.isValid())
        emit inspectorRequested(inspected);
}
