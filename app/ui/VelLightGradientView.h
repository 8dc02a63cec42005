#pragma once

// The lighter gradient; it shows in inactive windows too. The providers
// table draws its section strip with the same image.

#include "VelGradientView.h"

class VelLightGradientView : public VelGradientView {
    Q_OBJECT

public:
    using VelGradientView::VelGradientView;

    // The bundle image "VelLightGradient".
    [[nodiscard]] static const QImage &gradientImage();
    [[nodiscard]] static QImage gradientImageWithSize(const QSize &size);

    [[nodiscard]] bool showsGradient() const override { return true; }

protected:
    [[nodiscard]] const QImage &image() const override { return gradientImage(); }
};
