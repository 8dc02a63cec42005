#pragma once

// The cell of a service row (services table and outline): a checkbox with
// the service's title, and on an editable service a small inspector button
// in a 17-point column at the right edge. The cell tracks presses itself;
// its view hands it the mouse events. A click on the inspector button asks
// for the inspector and leaves the box alone; a click anywhere else in the
// cell moves the box to its next state; leaving the cell with the button
// down cancels both. While the inspector button is held it is drawn darker
// and the box is drawn unpressed. The cell never draws a selection.

#include "VelCellButtonTracker.h"

#include <QStyledItemDelegate>

class QAbstractItemView;

class VelServiceCell : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr qreal kInspectorColumnWidth = 17.0;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The box and title's frame and the inspector button image's frame.
    [[nodiscard]] static QRectF checkboxFrameForCellFrame(const QRectF &frame, bool hasInspectorButton);
    [[nodiscard]] static QRectF inspectorButtonFrame(const QRectF &frame, const QSizeF &buttonSize);
    [[nodiscard]] static const QImage &inspectorIcon();

    // Mouse events of the view: each answers whether the cell took the event.
    bool trackPress(QAbstractItemView *view, const QModelIndex &index, const QPointF &point);
    bool trackMove(QAbstractItemView *view, const QPointF &point);
    // Ends the press; answers the index whose inspector was clicked, invalid
    // for any other outcome.
    [[nodiscard]] QModelIndex trackRelease(QAbstractItemView *view, const QPointF &point);
    [[nodiscard]] bool isTracking() const { return m_tracker.isTracking(); }

    [[nodiscard]] bool isInspectorButtonHighlighted(const QModelIndex &index) const;
    // The box is held down (the press is on the cell, off its button).
    [[nodiscard]] bool isHighlighted(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    void repaintCell(QAbstractItemView *view) const;

    VelCellButtonTracker m_tracker;
};
