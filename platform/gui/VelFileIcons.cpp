#include "VelFileIcons.h"

#include "bundles/VelBundle.h"
#include "workspace/VelWorkspace.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int kGenericIconSize = 32;

// An .icns file holds one image per size; the largest scales down best.
QImage largestImageIn(const QString &path)
{
    QImageReader reader(path);
    QImage best;
    const int count = qMax(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (!image.isNull() && image.width() * image.height() > best.width() * best.height())
            best = image;
    }
    return best;
}

QImage drawnGenericIcon(bool folder)
{
    QImage image(kGenericIconSize, kGenericIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(110, 110, 110));
    painter.setBrush(folder ? QColor(120, 170, 230) : QColor(245, 245, 245));
    if (folder)
        painter.drawRoundedRect(QRectF(2.5, 7.5, 27, 20), 2, 2);
    else
        painter.drawRect(QRectF(6.5, 2.5, 19, 27));
    return image;
}

QImage genericIcon(const QFileInfo &info)
{
    const bool application = info.isDir() && VelWorkspace::isFilePackageAtPath(info.filePath());
    const bool folder = info.isDir() && !application;
    const QString themeName = application ? QStringLiteral("application-x-executable")
        : folder                          ? QStringLiteral("folder")
                                          : QStringLiteral("text-x-generic");
    QIcon icon = QIcon::fromTheme(themeName);
    if (icon.isNull() && qobject_cast<QApplication *>(QCoreApplication::instance())) {
        const QStyle::StandardPixmap standard = application ? QStyle::SP_DesktopIcon
            : folder                                        ? QStyle::SP_DirIcon
                                                            : QStyle::SP_FileIcon;
        icon = QApplication::style()->standardIcon(standard);
    }
    if (!icon.isNull()) {
        const QImage image = icon.pixmap(kGenericIconSize).toImage();
        if (!image.isNull())
            return image;
    }
    return drawnGenericIcon(folder || application);
}

} // namespace

QImage VelBundleIcon(const QString &bundlePath)
{
    const VelBundle bundle(bundlePath);
    QString name = bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleIconFile")).toString();
    if (name.isEmpty())
        return {};
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".icns");
    const QString path = bundle.pathForResource(name, QString());
    return path.isEmpty() ? QImage() : largestImageIn(path);
}

QImage VelIconForFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        const QImage own = VelBundleIcon(path);
        if (!own.isNull())
            return own;
    }
    return genericIcon(info);
}
