#include "VelServiceCell.h"

#include "VelBundleImage.h"
#include "VelItemRoles.h"
#include "VelPlusDarker.h"

#include <QAbstractItemView>
#include <QPainter>

namespace {

bool isCheckable(const QModelIndex &index)
{
    const Qt::ItemFlags flags = index.flags();
    return (flags & Qt::ItemIsUserCheckable) && (flags & Qt::ItemIsEnabled);
}

} // namespace

QRectF VelServiceCell::checkboxFrameForCellFrame(const QRectF &frame, bool hasInspectorButton)
{
    QRectF box = frame;
    if (hasInspectorButton)
        box.setWidth(frame.width() - kInspectorColumnWidth);
    return box;
}

QRectF VelServiceCell::inspectorButtonFrame(const QRectF &frame, const QSizeF &buttonSize)
{
    // Bottom-left corner 15 points left of the right edge, 3 above the bottom.
    const QRectF box = checkboxFrameForCellFrame(frame, true);
    const QPointF bottomLeft(box.x() + box.width() + 2.0, frame.y() + frame.height() - 3.0);
    return QRectF(bottomLeft.x(), bottomLeft.y() - buttonSize.height(), buttonSize.width(), buttonSize.height());
}

const QImage &VelServiceCell::inspectorIcon()
{
    return VelBundleArtworkNamed(QStringLiteral("VelTableButtonInspector"));
}

bool VelServiceCell::isInspectorButtonHighlighted(const QModelIndex &index) const
{
    return m_tracker.isTracking(index) && m_tracker.isButtonHighlighted();
}

bool VelServiceCell::isHighlighted(const QModelIndex &index) const
{
    return m_tracker.isTracking(index) && m_tracker.isCellHighlighted();
}

void VelServiceCell::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // The views may hold a selection, but it is never shown.
    option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    // A box that does not react (a folder without an editable service, a
    // service that may not be edited) is drawn disabled.
    if ((option->features & QStyleOptionViewItem::HasCheckIndicator) && !isCheckable(index))
        option->state &= ~QStyle::State_Enabled;
    if (isHighlighted(index))
        option->state |= QStyle::State_Sunken;
}

void VelServiceCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool hasButton = index.data(VelInspectorTargetRole).toBool();
    QStyleOptionViewItem box = option;
    if (hasButton) {
        const QImage &button = inspectorIcon();
        const QRectF buttonFrame = inspectorButtonFrame(option.rect, button.size());
        VelDrawImagePlusDarker(*painter, buttonFrame, button);
        // A second pass darkens the held button further.
        if (isInspectorButtonHighlighted(index))
            VelDrawImagePlusDarker(*painter, buttonFrame, button);
        box.rect = checkboxFrameForCellFrame(option.rect, true).toRect();
    }
    QStyledItemDelegate::paint(painter, box, index);
}

bool VelServiceCell::trackPress(QAbstractItemView *view, const QModelIndex &index, const QPointF &point)
{
    if (!index.isValid() || index.column() != 0 || !isCheckable(index))
        return false;
    m_tracker.begin(index, view->visualRect(index), point, index.data(VelInspectorTargetRole).toBool());
    repaintCell(view);
    return true;
}

bool VelServiceCell::trackMove(QAbstractItemView *view, const QPointF &point)
{
    if (!m_tracker.index().isValid())
        return false;
    if (m_tracker.move(point))
        repaintCell(view);
    return true;
}

QModelIndex VelServiceCell::trackRelease(QAbstractItemView *view, const QPointF &point)
{
    const QPersistentModelIndex index = m_tracker.index();
    const VelCellButtonTracker::Release release = m_tracker.release(point);
    repaintCell(view);
    // The press is over, whatever its outcome.
    m_tracker = VelCellButtonTracker();
    if (!index.isValid())
        return {};
    if (release == VelCellButtonTracker::Release::OnButton)
        return index;
    if (release == VelCellButtonTracker::Release::OffButton) {
        const bool checked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        view->model()->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    return {};
}

void VelServiceCell::repaintCell(QAbstractItemView *view) const
{
    if (m_tracker.index().isValid())
        view->viewport()->repaint(m_tracker.cellFrame().toAlignedRect());
}
