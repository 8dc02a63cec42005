#include "VelCellButtonTracker.h"

#include "VelMouseInRect.h"

QRectF VelCellButtonTracker::hotZone(const QRectF &cellFrame)
{
    return QRectF(cellFrame.x() + (cellFrame.width() - 20.0), cellFrame.y(), 20.0, cellFrame.height());
}

void VelCellButtonTracker::begin(
    const QModelIndex &index, const QRectF &cellFrame, const QPointF &point, bool hasButton)
{
    m_index = index;
    m_cellFrame = cellFrame;
    m_hasButton = hasButton;
    m_tracking = true;
    m_buttonHighlighted = false;
    follow(point);
}

bool VelCellButtonTracker::follow(const QPointF &point)
{
    m_buttonHighlighted = m_hasButton && VelMouseInRect(point, hotZone(m_cellFrame));
    if (VelMouseInRect(point, m_cellFrame))
        return true;
    m_tracking = false;
    return false;
}

bool VelCellButtonTracker::move(const QPointF &point)
{
    if (!m_tracking)
        return false;
    const bool wasHighlighted = m_buttonHighlighted;
    return !follow(point) || wasHighlighted != m_buttonHighlighted;
}

VelCellButtonTracker::Release VelCellButtonTracker::release(const QPointF &point)
{
    if (!m_tracking)
        return Release::None;
    const bool inside = follow(point);
    const bool onButton = m_buttonHighlighted;
    cancel();
    if (!inside)
        return Release::None;
    return onButton ? Release::OnButton : Release::OffButton;
}

void VelCellButtonTracker::cancel()
{
    m_tracking = false;
    m_buttonHighlighted = false;
}
