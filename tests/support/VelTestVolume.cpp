#include "VelTestVolume.h"

#include <files/VelMacVolume.h>
#include <plist/PropertyList.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace VelTest {

plist::DictionaryPtr entry(const QString &title, const QString &port, const QString &message)
{
    plist::DictionaryPtr e = plist::Dictionary::create();
    if (!title.isNull()) {
        plist::DictionaryPtr menuItem = plist::Dictionary::create();
        menuItem->set(QStringLiteral("default"), title);
        e->set(QStringLiteral("NSMenuItem"), menuItem);
    }
    if (!port.isNull())
        e->set(QStringLiteral("NSPortName"), port);
    if (!message.isNull())
        e->set(QStringLiteral("NSMessage"), message);
    plist::ArrayPtr sendTypes = plist::Array::create();
    sendTypes->append(QStringLiteral("NSStringPboardType"));
    e->set(QStringLiteral("NSSendTypes"), sendTypes);
    return e;
}

plist::DictionaryPtr entryWithKey(const QString &title, const QString &key)
{
    plist::DictionaryPtr e = entry(title);
    plist::DictionaryPtr keyEquivalent = plist::Dictionary::create();
    keyEquivalent->set(QStringLiteral("default"), key);
    e->set(QStringLiteral("NSKeyEquivalent"), keyEquivalent);
    return e;
}

plist::ArrayPtr list(std::initializer_list<plist::DictionaryPtr> entries)
{
    plist::ArrayPtr a = plist::Array::create();
    for (const plist::DictionaryPtr &e : entries)
        a->append(e);
    return a;
}

plist::DictionaryPtr dictionary(std::initializer_list<std::pair<QString, plist::Value>> fields)
{
    plist::DictionaryPtr d = plist::Dictionary::create();
    for (const auto &[key, value] : fields)
        d->set(key, value);
    return d;
}

plist::DictionaryPtr infoWithServices(const plist::ArrayPtr &services)
{
    plist::DictionaryPtr info = plist::Dictionary::create();
    info->set(QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.test"));
    info->set(QStringLiteral("CFBundleVersion"), QStringLiteral("1"));
    if (services)
        info->set(QStringLiteral("NSServices"), services);
    return info;
}

Volume::Volume()
{
    QDir().mkpath(home() + QStringLiteral("/Library/Preferences"));
    VelMacVolume::setRootOverride(root());
    VelMacVolume::setHomeOverride(home());
}

Volume::~Volume()
{
    VelMacVolume::clearOverrides();
}

QString Volume::writeFile(const QString &macPath, const QByteArray &bytes)
{
    const QString target = path(macPath);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return target;
}

QString Volume::addBundle(
    const QString &macPath, const plist::DictionaryPtr &info, PlistFormat format, const QString &infoName)
{
    const QByteArray bytes = format == PlistFormat::Xml ? plist::writeXml(info) : plist::writeBinary(info);
    writeFile(macPath + QStringLiteral("/Contents/") + infoName, bytes);
    return path(macPath);
}

QString Volume::addProvider(const QString &macPath, std::initializer_list<plist::DictionaryPtr> entries)
{
    return addBundle(macPath, infoWithServices(list(entries)));
}

QString Volume::addStrings(const QString &bundleMacPath, const QString &lproj,
    std::initializer_list<std::pair<QString, QString>> pairs, bool utf16)
{
    QString text = QStringLiteral("/* translations */\n");
    for (const auto &[key, value] : pairs)
        text += QStringLiteral("\"%1\" = \"%2\";\n").arg(key, value);
    QByteArray bytes;
    if (utf16) {
        bytes = QByteArray("\xff\xfe", 2);
        bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    } else {
        bytes = text.toUtf8();
    }
    const QString folder = lproj.isEmpty() ? QStringLiteral("/Contents/Resources/")
                                           : QStringLiteral("/Contents/Resources/%1.lproj/").arg(lproj);
    return writeFile(bundleMacPath + folder + QStringLiteral("ServicesMenu.strings"), bytes);
}

bool Volume::makeFolder(const QString &macPath)
{
    return QDir().mkpath(path(macPath));
}

bool Volume::makeLink(const QString &macPath, const QString &target)
{
    QDir().mkpath(QFileInfo(path(macPath)).absolutePath());
    return QFile::link(target, path(macPath));
}

bool hasMarkerKey(const plist::DictionaryPtr &entry)
{
    for (const QString &key : entry->keys()) {
        if (key.startsWith(QStringLiteral("Quillfen.Velmora.")))
            return true;
    }
    return false;
}

plist::Value readPlist(const QString &path)
{
    return plist::readFile(path);
}

} // namespace VelTest
