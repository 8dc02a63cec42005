#include "VelBundleImage.h"

#include <bundles/VelBundle.h>
#include <util/gui/VelImageFitting.h>

#include <QHash>

namespace {

QImage imageFromResources(const QString &name)
{
    for (const char *type : {"png", "svg", "icns"}) {
        const QString path = VelBundle::mainBundle().pathForResource(name, QString::fromLatin1(type));
        if (path.isEmpty())
            continue;
        QImage image(path);
        if (!image.isNull())
            return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return {};
}

} // namespace

QImage VelBundleImageNamed(const QString &name)
{
    const QImage image = imageFromResources(name);
    return image.isNull() ? image : imageWithMaxSize(image, QSizeF(16, 16));
}

const QImage &VelBundleArtworkNamed(const QString &name)
{
    static QHash<QString, QImage> singletonArtwork;
    auto found = singletonArtwork.find(name);
    if (found == singletonArtwork.end())
        found = singletonArtwork.insert(name, imageFromResources(name));
    return found.value();
}
