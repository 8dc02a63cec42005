#include "VelPathUtilities.h"

#include "bundles/VelBundle.h"
#include "files/VelDisplayNames.h"
#include "files/VelMacVolume.h"
#include "workspace/VelWorkspace.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

QString readablePathRepresentation(const QString &path)
{
    const QStringList components = VelComponentsToDisplayForPath(path);
    if (components.isEmpty())
        return path;
    return components.join(VelLocalizedString(QStringLiteral(" -> ")));
}

bool checkFolder(const QString &path)
{
    const QString expanded = VelMacVolume::expandTilde(path);
    if (expanded.isEmpty())
        return false;
    const QFileInfo info(expanded);
    if (info.isDir())
        return true;
    if (info.exists() || info.isSymLink())
        return false;
    return QDir().mkdir(expanded);
}

bool isAliasPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return info.exists();
    return VelWorkspace::isAliasFileAtPath(path);
}

QStringList directoryContentPaths(const QString &folder)
{
    QStringList paths;
    if (folder.isEmpty())
        return paths;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        paths.append(prefix + it.fileName());
    }
    return paths;
}

QString stringByReplacingString(const QString &receiver, const QString &target, const QString &replacement)
{
    if (target.isEmpty() || !receiver.contains(target, Qt::CaseSensitive))
        return receiver;
    QString replaced = receiver;
    replaced.replace(target, replacement, Qt::CaseSensitive);
    return replaced;
}
