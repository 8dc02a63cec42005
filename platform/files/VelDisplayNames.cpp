#include "VelDisplayNames.h"

#include "VelMacVolume.h"
#include "defaults/VelUserDefaults.h"
#include "workspace/VelWorkspace.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool showAllExtensions()
{
    return VelUserDefaults::globalUserDefaults().boolForKey(QStringLiteral("AppleShowAllExtensions"));
}

QString cleanAbsolute(const QString &path)
{
    return QDir::cleanPath(path.startsWith(u'/') ? path : QFileInfo(path).absoluteFilePath());
}

bool existsOrIsLink(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString VelDisplayNameAtPath(const QString &path)
{
    return VelDisplayNameAtPath(path, showAllExtensions());
}

QString VelDisplayNameAtPath(const QString &path, bool showAllExtensions)
{
    const QString clean = cleanAbsolute(path);
    if (clean == VelMacVolume::root())
        return VelMacVolume::volumeName();
    const QString fileName = clean.mid(clean.lastIndexOf(u'/') + 1);
    if (fileName.isEmpty())
        return clean; // the machine's own root
    if (!showAllExtensions && VelWorkspace::isFilePackageAtPath(clean))
        return fileName.left(fileName.lastIndexOf(u'.'));
    return fileName;
}

QStringList VelComponentsToDisplayForPath(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QString clean = cleanAbsolute(path);
    if (!existsOrIsLink(clean))
        return {};
    const bool showAll = showAllExtensions();
    const QString root = VelMacVolume::root();
    QString base = QStringLiteral("/");
    QStringList names;
    if (VelMacVolume::containsPath(clean)) {
        base = root;
        const QString volumes = VelMacVolume::macPath(QStringLiteral("/Volumes"));
        if (clean.startsWith(volumes + u'/')) {
            base = volumes + u'/' + clean.mid(volumes.size() + 1).section(u'/', 0, 0);
            names.append(QFileInfo(base).fileName());
        } else {
            names.append(VelMacVolume::volumeName());
        }
    }
    const QStringList below = clean.mid(base.size()).split(u'/', Qt::SkipEmptyParts);
    QString current = base == u'/' ? QString() : base;
    for (const QString &component : below) {
        current += u'/' + component;
        names.append(VelDisplayNameAtPath(current, showAll));
    }
    return names;
}
