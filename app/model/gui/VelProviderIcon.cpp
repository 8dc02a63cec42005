#include "VelProviderIcon.h"

#include <util/gui/VelFileIcon.h>

#include <QHash>

namespace {

QHash<QString, QImage> &singletonIconCache()
{
    static QHash<QString, QImage> cache;
    return cache;
}

} // namespace

QImage VelProviderIcon(const VelFileRepresentation &provider)
{
    QHash<QString, QImage> &cache = singletonIconCache();
    const auto cached = cache.constFind(provider.path());
    if (cached != cache.cend())
        return *cached;
    const QImage image = icon(provider.path());
    if (!image.isNull())
        cache.insert(provider.path(), image);
    return image;
}
