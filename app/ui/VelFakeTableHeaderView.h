#pragma once

// A plain view that looks like a table's header bar, for a table shown
// without a header of its own: a gray frame whose corner points stay gray,
// light gray one-point columns at the sides and the header face between.

#include <QWidget>

class VelFakeTableHeaderView : public QWidget {
    Q_OBJECT

public:
    explicit VelFakeTableHeaderView(QWidget *parent = nullptr);

    [[nodiscard]] static QColor gray();
    [[nodiscard]] static QColor lightGray();

    [[nodiscard]] QSize sizeHint() const override { return {100, 17}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};
