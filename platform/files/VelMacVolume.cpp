#include "VelMacVolume.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct Overrides {
    QString root;
    QString home;
    QString volumeName;
};

QMutex overridesMutex;

Overrides &overrides()
{
    static Overrides values;
    return values;
}

QString overrideValue(QString Overrides::*member)
{
    QMutexLocker locker(&overridesMutex);
    return overrides().*member;
}

void setOverrideValue(QString Overrides::*member, const QString &value)
{
    QMutexLocker locker(&overridesMutex);
    overrides().*member = value;
}

QString setting(QString Overrides::*member, const char *variable, const QString &fallback)
{
    QString value = overrideValue(member);
    if (value.isEmpty())
        value = qEnvironmentVariable(variable);
    return value.isEmpty() ? fallback : value;
}

// The root and the home folder are asked for with every path made, so the
// clean form of the last absolute setting seen is kept with it (a relative
// one depends on the working folder and is cleaned every time).
struct CleanedSetting {
    QString setting;
    QString clean;
};

QString cleanAbsolute(const QString &path, CleanedSetting *last)
{
    if (!path.startsWith(u'/'))
        return QDir::cleanPath(QDir(path).absolutePath());
    {
        QMutexLocker locker(&overridesMutex);
        if (!last->setting.isNull() && last->setting == path)
            return last->clean;
    }
    const QString clean = QDir::cleanPath(path);
    QMutexLocker locker(&overridesMutex);
    *last = {path, clean};
    return clean;
}

// An absolute, clean form of a Mac path in which ".." stops at the top, so
// that the path cannot lead out of the volume (QDir::cleanPath keeps a
// leading "/..").
QString cleanMacPath(const QString &path)
{
    QStringList kept;
    for (const QString &component : path.split(u'/', Qt::SkipEmptyParts)) {
        if (component == u"..") {
            if (!kept.isEmpty())
                kept.removeLast();
        } else if (component != u".") {
            kept.append(component);
        }
    }
    return u'/' + kept.join(u'/');
}

} // namespace

QString VelMacVolume::root()
{
    static CleanedSetting last;
    return cleanAbsolute(setting(&Overrides::root, "VELMORA_ROOT", QStringLiteral("/")), &last);
}

QString VelMacVolume::home()
{
    static CleanedSetting last;
    return cleanAbsolute(setting(&Overrides::home, "VELMORA_HOME", QDir::homePath()), &last);
}

QString VelMacVolume::volumeName()
{
    return setting(&Overrides::volumeName, "VELMORA_VOLUME_NAME", QStringLiteral("Macintosh HD"));
}

void VelMacVolume::setRootOverride(const QString &root)
{
    setOverrideValue(&Overrides::root, root);
}

void VelMacVolume::setHomeOverride(const QString &home)
{
    setOverrideValue(&Overrides::home, home);
}

void VelMacVolume::setVolumeNameOverride(const QString &name)
{
    setOverrideValue(&Overrides::volumeName, name);
}

void VelMacVolume::clearOverrides()
{
    QMutexLocker locker(&overridesMutex);
    overrides() = Overrides();
}

QStringList VelMacVolume::applyCommandLineOptions(const QStringList &arguments)
{
    QStringList remaining;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        bool matched = false;
        for (const auto &[option, setter] : {std::pair {QStringLiteral("--root"), &VelMacVolume::setRootOverride},
                 std::pair {QStringLiteral("--home"), &VelMacVolume::setHomeOverride}}) {
            if (argument == option && i + 1 < arguments.size()) {
                setter(arguments.at(++i));
                matched = true;
            } else if (argument.startsWith(option + u'=')) {
                setter(argument.mid(option.size() + 1));
                matched = true;
            }
            if (matched)
                break;
        }
        if (!matched)
            remaining.append(argument);
    }
    return remaining;
}

QString VelMacVolume::macPath(const QString &macAbsolutePath)
{
    QString macPath = cleanMacPath(macAbsolutePath);
    // A trailing "/" stays, so that the answer still works as a folder prefix.
    if (macPath != u'/' && macAbsolutePath.endsWith(u'/'))
        macPath += u'/';
    const QString base = root();
    return base == u'/' ? macPath : (macPath == u'/' ? base : base + macPath);
}

QString VelMacVolume::expandTilde(const QString &path)
{
    if (path == u'~')
        return home();
    if (path.startsWith(u"~/"))
        return home() + path.mid(1);
    return path;
}

bool VelMacVolume::containsPath(const QString &path)
{
    const QString base = root();
    const QString candidate = QDir::cleanPath(path);
    if (base == u'/')
        return candidate.startsWith(u'/');
    return candidate == base || candidate.startsWith(base + u'/');
}
