#include "VelApplicationCell.h"

#include "VelBundleImage.h"
#include "VelItemRoles.h"
#include "VelPlusDarker.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableView>

#include <cmath>

namespace {

QImage iconOf(const QModelIndex &index)
{
    const QVariant value = index.data(Qt::DecorationRole);
    return value.canConvert<QImage>() ? value.value<QImage>() : QImage();
}

// The height of a plain row: the name sits in it, also in a taller row.
int plainRowHeight(const QStyleOptionViewItem &option)
{
    if (const auto *table = qobject_cast<const QTableView *>(option.widget))
        return std::min(option.rect.height(), table->verticalHeader()->defaultSectionSize());
    return option.rect.height();
}

} // namespace

QRectF VelApplicationCell::imageFrameForCellFrame(const QRectF &frame, const QSizeF &imageSize)
{
    if (imageSize.isEmpty())
        return {};
    return QRectF(frame.x() + kIconMargin, frame.y() + std::ceil((frame.height() - imageSize.height()) * 0.5),
        imageSize.width(), imageSize.height());
}

QRectF VelApplicationCell::editingFrameForCellFrame(const QRectF &frame, const QSizeF &imageSize)
{
    if (imageSize.isEmpty())
        return frame;
    return frame.adjusted(imageSize.width() + 2 * kIconMargin, 0.0, 0.0, 0.0);
}

QRectF VelApplicationCell::textFrameForCellFrame(const QRectF &frame, const QSizeF &imageSize, bool hasRevertButton)
{
    QRectF text = editingFrameForCellFrame(frame, imageSize);
    if (hasRevertButton)
        text.setWidth(text.width() - kRevertColumnWidth);
    return text;
}

QRectF VelApplicationCell::revertButtonFrame(const QRectF &textFrame, const QSizeF &buttonSize)
{
    const QPointF bottomLeft(textFrame.x() + textFrame.width() + 2.0, textFrame.y() + textFrame.height() - 3.0);
    return QRectF(bottomLeft.x(), bottomLeft.y() - buttonSize.height(), buttonSize.width(), buttonSize.height());
}

const QImage &VelApplicationCell::revertIcon()
{
    return VelBundleArtworkNamed(QStringLiteral("VelTableButtonRevert"));
}

const QImage &VelApplicationCell::invertedRevertIcon()
{
    return VelBundleArtworkNamed(QStringLiteral("VelTableButtonRevertInverted"));
}

const QImage &VelApplicationCell::invertedEmphasizerIcon()
{
    return VelBundleArtworkNamed(QStringLiteral("VelTableButtonEmphasizerInverted"));
}

QColor VelApplicationCell::shadowColor()
{
    static const QColor staticShadowColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.4f);
    return staticShadowColor;
}

bool VelApplicationCell::isRevertButtonHighlighted(const QModelIndex &index) const
{
    return m_tracker.isTracking(index) && m_tracker.isButtonHighlighted();
}

void VelApplicationCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRectF cell = option.rect;
    const bool highlighted = option.state & QStyle::State_Selected;
    const bool hasRevertButton = index.data(VelRevertTargetRole).toBool();
    const QImage icon = iconOf(index);
    painter->save();
    if (!icon.isNull()) {
        // The icon's bottom lies 17 points below the top of the row, whatever its height.
        const QPointF bottomLeft(cell.x() + kIconMargin, cell.y() + kIconBaseline);
        painter->drawImage(QPointF(bottomLeft.x(), bottomLeft.y() - icon.height()), icon);
    }
    const QRectF text = textFrameForCellFrame(cell, icon.size(), hasRevertButton);
    if (hasRevertButton) {
        if (highlighted) {
            const QImage &button = invertedRevertIcon();
            painter->drawImage(revertButtonFrame(text, button.size()), button);
            if (isRevertButtonHighlighted(index)) {
                const QImage &emphasizer = invertedEmphasizerIcon();
                painter->drawImage(revertButtonFrame(text, emphasizer.size()), emphasizer);
            }
        } else {
            const QImage &button = revertIcon();
            VelDrawImagePlusDarker(*painter, revertButtonFrame(text, button.size()), button);
        }
    }
    drawName(*painter, option, index, text, highlighted);
    painter->restore();
}

void VelApplicationCell::drawName(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index,
    QRectF frame, bool highlighted) const
{
    const QString name = index.data(Qt::DisplayRole).toString();
    const QVariant font = index.data(Qt::FontRole);
    painter.setFont(font.canConvert<QFont>() ? font.value<QFont>() : option.font);
    frame.setHeight(plainRowHeight(option));
    // The text cell's own inset.
    const QRectF inset = frame.adjusted(2.0, 0.0, -2.0, 0.0);
    const QString shown = painter.fontMetrics().elidedText(name, Qt::ElideRight, int(inset.width()));
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    if (highlighted) {
        painter.setPen(shadowColor());
        painter.drawText(inset.translated(0.0, 1.0), flags, shown);
    }
    const QVariant color = index.data(Qt::ForegroundRole);
    painter.setPen(color.canConvert<QColor>() ? color.value<QColor>() : option.palette.color(QPalette::Text));
    painter.drawText(inset, flags, shown);
}

QSize VelApplicationCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QImage icon = iconOf(index);
    size.rwidth() += int(icon.isNull() ? kIconMargin : icon.width() + kIconMargin);
    return size;
}
