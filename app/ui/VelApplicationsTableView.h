#pragma once

// The providers list: a one-column table in the source-list look whose row
// 0 ("Services Menu") is pinned to the top of the visible area while the
// other rows scroll beneath it. On 10.4 and later the lower part of row 0 is
// a strip titled "Service Providers"; presses on the strip are ignored.
// Hit-testing, scrolling to a selected row and drawing all honour the pin.
// The selection is drawn from an image while the table has keyboard focus
// in the active window, and as a flat colour otherwise. Presses on a row's
// revert button are tracked by the row's cell; a completed click is
// announced with revertRequested.

#include <QTableView>

class VelApplicationCell;

class VelApplicationsTableView : public QTableView {
    Q_OBJECT

public:
    static constexpr int kSectionStripHeight = 15;
    static constexpr int kStripTitleInset = 5;

    explicit VelApplicationsTableView(QWidget *parent = nullptr);

    [[nodiscard]] static QColor sourceListBackgroundColor();
    [[nodiscard]] static QColor borderColor();
    [[nodiscard]] static QColor dividerTextColor();
    [[nodiscard]] static QFont dividerFont();
    [[nodiscard]] static QColor sourceListInactiveSelectionColor();
    [[nodiscard]] static const QImage &activeSelectionBackground();

    // The height of a plain row (the table's row height).
    [[nodiscard]] int rowHeight() const;
    // A row's rectangle in viewport coordinates, across the whole width;
    // row 0 at the top of the visible area.
    [[nodiscard]] QRect rectOfRow(int row) const;
    // The row under the point; 0 anywhere over the pinned row, -1 for none.
    [[nodiscard]] int rowAtPoint(const QPoint &point) const;
    // Whether the selection is drawn from the image (focused) or flat.
    [[nodiscard]] bool drawsFocusedSelection() const;

    [[nodiscard]] VelApplicationCell *cell() const { return m_cell; }

    [[nodiscard]] QModelIndex indexAt(const QPoint &point) const override;
    [[nodiscard]] QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    void revertRequested(const QModelIndex &index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    [[nodiscard]] QRect inheritedRectOfRow(int row) const;
    [[nodiscard]] bool isOnSectionStrip(const QPoint &point) const;
    void highlightSelectionInClipRect(QPainter &painter, const QRect &clip) const;
    void drawRow(QPainter &painter, int row) const;
    void drawPinnedRow(QPainter &painter, const QRect &dirty) const;
    void drawSectionStrip(QPainter &painter, const QRect &pinned, int separatorY) const;
    void repaintTrackedCell();

    VelApplicationCell *m_cell = nullptr;
    // The press being followed belongs to the revert button's tracking.
    bool m_pressTracked = false;
};
