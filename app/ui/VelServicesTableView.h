#pragma once

// The flat list of the selected provider's services: a service column of
// service cells and a key-equivalent column, in the services views' shared
// look. A click on a service's inspector button is announced with
// inspectorRequested.

#include <QTableView>

class VelServiceCell;

class VelServicesTableView : public QTableView {
    Q_OBJECT

public:
    explicit VelServicesTableView(QWidget *parent = nullptr);

    [[nodiscard]] VelServiceCell *serviceCell() const;

signals:
    void inspectorRequested(const QModelIndex &index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_pressTaken = false;
};
