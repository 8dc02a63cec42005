#pragma once

// The merged Services menu as a tree: the outline column of service cells
// first, the fixed-width key-equivalent column second, in the services
// views' shared look. The first column always fills the width the second
// leaves, less twice the intercell spacing. A click on a service's inspector
// button is announced with inspectorRequested.

#include <QTreeView>

class VelServiceCell;

class VelServicesOutlineView : public QTreeView {
    Q_OBJECT

public:
    explicit VelServicesOutlineView(QWidget *parent = nullptr);

    [[nodiscard]] VelServiceCell *serviceCell() const;

    // The gap the view leaves between columns, (0, 0) unless set.
    [[nodiscard]] QSize intercellSpacing() const { return m_intercellSpacing; }
    void setIntercellSpacing(const QSize &spacing);

    // Fits the first column to the width left over, then lays out as usual.
    void tile();
    void doItemsLayout() override;

signals:
    void inspectorRequested(const QModelIndex &index);

protected:
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QSize m_intercellSpacing {0, 0};
    bool m_pressTaken = false;
};
