#pragma once

// A press on a cell that carries a small button at its right edge. The
// button's hot zone is the cell's rightmost 20 points over its full height,
// a little wider than the 17-point column the drawing reserves. While the
// button is held the pointer may leave the zone and come back, and the
// button shows pressed only while it is inside; once the pointer leaves the
// cell, tracking ends without a click.

#include <QPersistentModelIndex>
#include <QRectF>

class VelCellButtonTracker {
public:
    enum class Release {
        None, // not tracking, or tracking ended when the pointer left the cell
        OnButton,
        OffButton, // inside the cell, beside the button
    };

    [[nodiscard]] static QRectF hotZone(const QRectF &cellFrame);

    // Starts following a press at the point. A tracker without a button
    // (hasButton false) still follows the press over the cell.
    void begin(const QModelIndex &index, const QRectF &cellFrame, const QPointF &point, bool hasButton);
    // Follows the pointer; answers whether the cell looks different now.
    bool move(const QPointF &point);
    // The release at the point ends tracking.
    Release release(const QPointF &point);
    void cancel();

    [[nodiscard]] bool isTracking() const { return m_tracking; }
    [[nodiscard]] bool isButtonHighlighted() const { return m_buttonHighlighted; }
    // The cell is held down, off its button.
    [[nodiscard]] bool isCellHighlighted() const { return m_tracking && !m_buttonHighlighted; }
    [[nodiscard]] bool isTracking(const QModelIndex &index) const { return m_tracking && index == m_index; }
    [[nodiscard]] const QPersistentModelIndex &index() const { return m_index; }
    [[nodiscard]] const QRectF &cellFrame() const { return m_cellFrame; }

private:
    // Answers false when the point has left the cell (tracking has ended).
    bool follow(const QPointF &point);

    QPersistentModelIndex m_index;
    QRectF m_cellFrame;
    bool m_hasButton = false;
    bool m_tracking = false;
    bool m_buttonHighlighted = false;
};
