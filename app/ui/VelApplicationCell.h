#pragma once

// The cell of a providers row: the icon at the left, the name, and on a
// provider whose edits can be reverted a revert button in a 17-point column
// at the right edge. A selected row's name gets a soft dark shadow one point
// below it. The cell paints no selection background of its own: the table
// does. It tracks presses on its revert button (see VelCellButtonTracker);
// the table hands it the mouse events.

#include "VelCellButtonTracker.h"

#include <QStyledItemDelegate>

class VelApplicationCell : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr qreal kIconMargin = 3.0;
    static constexpr qreal kIconBaseline = 17.0;
    static constexpr qreal kRevertColumnWidth = 17.0;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The icon's frame; the zero rectangle without an icon.
    [[nodiscard]] static QRectF imageFrameForCellFrame(const QRectF &frame, const QSizeF &imageSize);
    // Where editing or selecting the text would start: the frame without
    // the icon slice (icon width + 6).
    [[nodiscard]] static QRectF editingFrameForCellFrame(const QRectF &frame, const QSizeF &imageSize);
    // The frame the name is drawn in.
    [[nodiscard]] static QRectF textFrameForCellFrame(
        const QRectF &frame, const QSizeF &imageSize, bool hasRevertButton);
    // The revert button image's frame: its bottom-left corner 2 points right
    // of the text frame and 3 points above the cell's bottom.
    [[nodiscard]] static QRectF revertButtonFrame(const QRectF &textFrame, const QSizeF &buttonSize);

    [[nodiscard]] static const QImage &revertIcon();
    [[nodiscard]] static const QImage &invertedRevertIcon();
    [[nodiscard]] static const QImage &invertedEmphasizerIcon();
    [[nodiscard]] static QColor shadowColor();

    [[nodiscard]] VelCellButtonTracker &tracker() { return m_tracker; }
    [[nodiscard]] const VelCellButtonTracker &tracker() const { return m_tracker; }
    [[nodiscard]] bool isRevertButtonHighlighted(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void drawName(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index, QRectF frame,
        bool highlighted) const;

    VelCellButtonTracker m_tracker;
};
