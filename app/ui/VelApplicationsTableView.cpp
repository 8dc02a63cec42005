#include "VelApplicationsTableView.h"

#include "VelApplicationCell.h"
#include "VelBundleImage.h"
#include "VelItemRoles.h"
#include "VelLightGradientView.h"
#include "VelMouseInRect.h"
#include "VelPlusDarker.h"

#include <bundles/VelBundle.h>
#include <util/VelSystemVersionTests.h>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

VelApplicationsTableView::VelApplicationsTableView(QWidget *parent)
    : QTableView(parent)
    , m_cell(new VelApplicationCell(this))
{
    setItemDelegate(m_cell);
    setShowGrid(false);
    setVerticalScrollMode(ScrollPerPixel);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    // The scroll view shows the table's own background.
    QPalette colors = viewport()->palette();
    colors.setColor(QPalette::Base, sourceListBackgroundColor());
    viewport()->setPalette(colors);
}

QColor VelApplicationsTableView::sourceListBackgroundColor()
{
    static const QColor singletonSourceListBackgroundColor = QColor::fromRgbF(0.906f, 0.929f, 0.965f, 1.0f);
    return singletonSourceListBackgroundColor;
}

QColor VelApplicationsTableView::borderColor()
{
    static const QColor singletonBorderColor = QColor::fromRgbF(0.7f, 0.7f, 0.7f, 1.0f);
    return singletonBorderColor;
}

QColor VelApplicationsTableView::dividerTextColor()
{
    static const QColor color = QColor::fromRgbF(0.3f, 0.35f, 0.5f, 1.0f);
    return color;
}

QFont VelApplicationsTableView::dividerFont()
{
    // The strip is 15 points high: its title keeps the Mac's 11 points, one
    // point to a pixel.
    QFont font = QApplication::font();
    font.setPixelSize(11);
    return font;
}

QColor VelApplicationsTableView::sourceListInactiveSelectionColor()
{
    static const QColor singletonSourceListInactiveSelectionColor = QColor::fromRgbF(0.635f, 0.698f, 0.792f, 1.0f);
    return singletonSourceListInactiveSelectionColor;
}

const QImage &VelApplicationsTableView::activeSelectionBackground()
{
    return VelBundleArtworkNamed(QStringLiteral("VelTableSelection"));
}

int VelApplicationsTableView::rowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

QRect VelApplicationsTableView::inheritedRectOfRow(int row) const
{
    return QRect(0, rowViewportPosition(row), viewport()->width(), QTableView::rowHeight(row));
}

QRect VelApplicationsTableView::rectOfRow(int row) const
{
    QRect rect = inheritedRectOfRow(row);
    if (row == 0)
        rect.moveTop(0);
    return rect;
}

int VelApplicationsTableView::rowAtPoint(const QPoint &point) const
{
    const int row = rowAt(point.y());
    if (row < 0 || point.x() < 0 || point.x() >= viewport()->width())
        return -1;
    return VelMouseInRect(point, rectOfRow(0)) ? 0 : row;
}

QModelIndex VelApplicationsTableView::indexAt(const QPoint &point) const
{
    const int row = rowAtPoint(point);
    const int column = columnAt(point.x());
    if (row < 0 || column < 0 || !model())
        return {};
    return model()->index(row, column, rootIndex());
}

QRect VelApplicationsTableView::visualRect(const QModelIndex &index) const
{
    QRect rect = QTableView::visualRect(index);
    if (index.isValid() && index.row() == 0)
        rect.moveTop(0);
    return rect;
}

void VelApplicationsTableView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    // The pinned row is always in view.
    if (!index.isValid() || index.row() == 0)
        return;
    QTableView::scrollTo(index, hint);
    const QRect row = inheritedRectOfRow(index.row());
    const QRect pinned = rectOfRow(0);
    // A row whose top lies under the pinned row comes out below it.
    if (pinned.y() + pinned.height() > row.y())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + (row.y() - pinned.height()));
    viewport()->update();
}

bool VelApplicationsTableView::drawsFocusedSelection() const
{
    return QGuiApplication::applicationState() == Qt::ApplicationActive && isActiveWindow() && hasFocus();
}

bool VelApplicationsTableView::isOnSectionStrip(const QPoint &point) const
{
    if (!model() || model()->rowCount(rootIndex()) == 0)
        return false;
    const QRect pinned = rectOfRow(0);
    return VelMouseInRect(point, pinned) && point.y() - pinned.y() > rowHeight();
}

void VelApplicationsTableView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, sourceListBackgroundColor());
    highlightSelectionInClipRect(painter, dirty);
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    if (rows == 0)
        return;
    // Only the rows that can meet the dirty rectangle; row 0 comes last, so
    // that it covers what scrolled beneath it.
    int first = rowAt(dirty.top());
    int last = rowAt(dirty.bottom());
    first = std::max(1, first < 0 ? 0 : first);
    last = last < 0 ? rows - 1 : last;
    for (int row = last; row >= first; --row) {
        if (rectOfRow(row).intersects(dirty))
            drawRow(painter, row);
    }
    drawPinnedRow(painter, dirty);
}

void VelApplicationsTableView::drawRow(QPainter &painter, int row) const
{
    const QModelIndex index = model()->index(row, 0, rootIndex());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.state &= ~QStyle::State_HasFocus;
    if (selectionModel() && selectionModel()->isSelected(index))
        option.state |= QStyle::State_Selected;
    else
        option.state &= ~QStyle::State_Selected;
    itemDelegateForIndex(index)->paint(&painter, option, index);
}

void VelApplicationsTableView::drawPinnedRow(QPainter &painter, const QRect &dirty) const
{
    const QRect pinned = rectOfRow(0);
    const QRect clip = pinned & dirty;
    if (clip.isEmpty())
        return;
    painter.fillRect(clip, sourceListBackgroundColor());
    if (selectionModel() && selectionModel()->isRowSelected(0, rootIndex()))
        highlightSelectionInClipRect(painter, clip);
    drawRow(painter, 0);
    const int separatorY = pinned.y() + rowHeight() - 1;
    VelFillRectPlusDarker(painter, QRect(pinned.x(), separatorY, pinned.width(), 1), borderColor());
    if (VelSystemIsTigerOrNewer())
        drawSectionStrip(painter, pinned, separatorY);
}

void VelApplicationsTableView::drawSectionStrip(QPainter &painter, const QRect &pinned, int separatorY) const
{
    const QImage &gradient = VelLightGradientView::gradientImage();
    VelDrawImagePlusDarker(painter, QRect(pinned.x(), separatorY + 1, pinned.width(), kSectionStripHeight), gradient);
    painter.save();
    painter.setFont(dividerFont());
    painter.setPen(dividerTextColor());
    const QRect title(
        pinned.x() + kStripTitleInset, separatorY + 1, pinned.width() - kStripTitleInset, kSectionStripHeight);
    painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        VelLocalizedString(QStringLiteral("Service Providers")));
    painter.restore();
    VelFillRectPlusDarker(painter, QRect(pinned.x(), separatorY + 16, pinned.width(), 1), borderColor());
}

void VelApplicationsTableView::highlightSelectionInClipRect(QPainter &painter, const QRect &clip) const
{
    if (!selectionModel())
        return;
    QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    std::sort(
        selected.begin(), selected.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    const bool focused = drawsFocusedSelection();
    const QImage &image = activeSelectionBackground();
    for (const QModelIndex &index : selected) {
        QRect row = rectOfRow(index.row());
        // The strip of row 0 is never highlighted.
        if (index.row() == 0)
            row.setHeight(rowHeight());
        const QRect visible = row & clip;
        if (visible.isEmpty())
            continue;
        if (focused) {
            // Over the whole row, one point taller on row 0, not cut to the clip.
            const int height = row.height() + (index.row() == 0 ? 1 : 0);
            painter.drawImage(QRect(row.x(), row.y() + row.height() - height, row.width(), height), image);
        } else {
            painter.fillRect(visible, sourceListInactiveSelectionColor());
        }
    }
}

void VelApplicationsTableView::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (isOnSectionStrip(point)) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
    m_pressTracked = false;
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(point);
    if (!index.isValid() || !index.data(VelRevertTargetRole).toBool())
        return;
    m_pressTracked = true;
    m_cell->tracker().begin(index, visualRect(index), event->position(), true);
    repaintTrackedCell();
}

void VelApplicationsTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (isOnSectionStrip(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void VelApplicationsTableView::mouseMoveEvent(QMouseEvent *event)
{
    // While the revert button is followed, the press selects nothing else.
    if (!m_pressTracked) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    if (m_cell->tracker().move(event->position()))
        repaintTrackedCell();
}

void VelApplicationsTableView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressTracked && event->button() == Qt::LeftButton) {
        m_pressTracked = false;
        const QPersistentModelIndex index = m_cell->tracker().index();
        const VelCellButtonTracker::Release release = m_cell->tracker().release(event->position());
        viewport()->update();
        if (release == VelCellButtonTracker::Release::OnButton && index.isValid())
            emit revertRequested(index);
    }
    QTableView::mouseReleaseEvent(event);
}

void VelApplicationsTableView::repaintTrackedCell()
{
    viewport()->repaint(m_cell->tracker().cellFrame().toAlignedRect());
}

void VelApplicationsTableView::scrollContentsBy(int dx, int dy)
{
    // Copying the scrolled pixels would move the pinned row with them.
    QTableView::scrollContentsBy(dx, dy);
    viewport()->update();
}

void VelApplicationsTableView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTableView::selectionChanged(selected, deselected);
    viewport()->update();
}

void VelApplicationsTableView::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void VelApplicationsTableView::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

bool VelApplicationsTableView::event(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowActivate || type == QEvent::WindowDeactivate)
        viewport()->update();
    return QTableView::event(event);
}
