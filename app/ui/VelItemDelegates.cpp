#include "VelItemDelegates.h"

void VelProviderItemDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant color = index.data(Qt::ForegroundRole);
    if ((option->state & QStyle::State_Selected) && color.canConvert<QColor>())
        option->palette.setColor(QPalette::HighlightedText, color.value<QColor>());
}

void VelServiceItemDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const Qt::ItemFlags flags = index.flags();
    if ((option->features & QStyleOptionViewItem::HasCheckIndicator)
        && !((flags & Qt::ItemIsUserCheckable) && (flags & Qt::ItemIsEnabled)))
        option->state &= ~QStyle::State_Enabled;
}
