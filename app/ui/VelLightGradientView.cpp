#include "VelLightGradientView.h"

#include "VelBundleImage.h"

const QImage &VelLightGradientView::gradientImage()
{
    return VelBundleArtworkNamed(QStringLiteral("VelLightGradient"));
}

QImage VelLightGradientView::gradientImageWithSize(const QSize &size)
{
    return scaledImageCopy(gradientImage(), size);
}
