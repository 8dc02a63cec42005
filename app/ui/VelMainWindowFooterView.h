#pragma once

// The bar along the bottom of the main window. Before 10.5 it is a gradient
// view; from 10.5 on it is transparent over the platform's own textured
// background and draws only a light gray line along its top while its window
// is the active one.

#include "VelGradientView.h"

class VelMainWindowFooterView : public VelGradientView {
    Q_OBJECT

public:
    explicit VelMainWindowFooterView(QWidget *parent = nullptr);

    [[nodiscard]] static QColor topLineColor();

protected:
    void paintEvent(QPaintEvent *event) override;
};
