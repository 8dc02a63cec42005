#include "VelBundleImage.h"

#include <bundles/VelBundle.h>
#include <util/gui/VelImageFitting.h>

QImage VelBundleImageNamed(const QString &name)
{
    for (const char *type : {"png", "svg", "icns"}) {
        const QString path = VelBundle::mainBundle().pathForResource(name, QString::fromLatin1(type));
        if (path.isEmpty())
            continue;
        QImage image(path);
        if (!image.isNull())
            return imageWithMaxSize(image, QSizeF(16, 16));
    }
    return {};
}
