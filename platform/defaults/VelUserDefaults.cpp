#include "VelUserDefaults.h"

#include "VelTruthValue.h"
#include "bundles/VelBundle.h"
#include "files/VelMacVolume.h"
#include "log/VelLog.h"
#include "plist/PropertyList.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

plist::Value copyOf(const plist::Value &value)
{
    return value.isArray() || value.isDictionary() ? plist::deepCopy(value) : value;
}

// The first number in a string, as the Mac's integer conversion reads it:
// leading white space, an optional sign, then digits.
qint64 leadingInteger(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed.at(end) == u'+' || trimmed.at(end) == u'-'))
        ++end;
    while (end < trimmed.size() && trimmed.at(end).isDigit())
        ++end;
    bool ok = false;
    const qint64 value = trimmed.left(end).toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

VelUserDefaults::VelUserDefaults(QString domain)
    : m_domain(std::move(domain))
{
}

VelUserDefaults &VelUserDefaults::standardUserDefaults()
{
    static VelUserDefaults defaults(applicationDomainName());
    return defaults;
}

VelUserDefaults &VelUserDefaults::globalUserDefaults()
{
    static VelUserDefaults defaults(globalDomainName());
    return defaults;
}

QString VelUserDefaults::globalDomainName()
{
    return QStringLiteral(".GlobalPreferences");
}

QString VelUserDefaults::applicationDomainName()
{
    const QString identifier = VelBundle::mainBundle().bundleIdentifier();
    if (!identifier.isEmpty())
        return identifier;
    return QString::fromLocal8Bit(program_invocation_short_name);
}

QString VelUserDefaults::preferencesFolder()
{
    return VelMacVolume::home() + QStringLiteral("/Library/Preferences");
}

QString VelUserDefaults::path() const
{
    return preferencesFolder() + u'/' + m_domain + QStringLiteral(".plist");
}

void VelUserDefaults::refresh(Purpose purpose) const
{
    if (m_loaded && m_readBatches > 0 && purpose == Purpose::Reading)
        return;
    const QString file = path();
    const VelFileStamp stamp = VelFileStampAtPath(file);
    if (m_loaded && stamp == m_stamp && file == m_readPath)
        return;
    m_loaded = true;
    m_readPath = file;
    m_stamp = stamp;
    m_unreadable = false;
    m_values = plist::Dictionary::create();
    if (!stamp.exists)
        return;
    if (plist::DictionaryPtr read = plist::readFile(file).toDictionary())
        m_values = read;
    else
        m_unreadable = true;
}

plist::Value VelUserDefaults::objectForKey(const QString &key) const
{
    refresh();
    const plist::Value &value = m_values->value(key);
    if (!value.isNone())
        return copyOf(value);
    if (m_domain == globalDomainName())
        return {};
    return globalUserDefaults().objectForKey(key);
}

plist::DictionaryPtr VelUserDefaults::persistentDomain() const
{
    refresh();
    plist::DictionaryPtr copy = plist::deepCopy(plist::Value(m_values)).toDictionary();
    return copy ? copy : plist::Dictionary::create();
}

bool VelUserDefaults::hasPersistentValueForKey(const QString &key) const
{
    refresh();
    return m_values->contains(key);
}

bool VelUserDefaults::boolForKey(const QString &key) const
{
    return VelTruthValue(objectForKey(key));
}

qint64 VelUserDefaults::integerForKey(const QString &key) const
{
    const plist::Value value = objectForKey(key);
    if (value.isBoolean())
        return value.toBoolean() ? 1 : 0;
    if (const QString *text = value.asString())
        return leadingInteger(*text);
    return value.toInteger();
}

double VelUserDefaults::doubleForKey(const QString &key) const
{
    const plist::Value value = objectForKey(key);
    if (value.isBoolean())
        return value.toBoolean() ? 1.0 : 0.0;
    if (const QString *text = value.asString())
        return text->trimmed().toDouble();
    return value.toReal();
}

QString VelUserDefaults::stringForKey(const QString &key) const
{
    const plist::Value value = objectForKey(key);
    if (const QString *text = value.asString())
        return *text;
    if (value.isInteger())
        return value.isUnsignedInteger() ? QString::number(value.toUnsigned()) : QString::number(value.toInteger());
    if (value.isReal())
        return QString::number(value.toReal());
    return {};
}

QByteArray VelUserDefaults::dataForKey(const QString &key) const
{
    return objectForKey(key).toData();
}

plist::ArrayPtr VelUserDefaults::arrayForKey(const QString &key) const
{
    return objectForKey(key).toArray();
}

plist::DictionaryPtr VelUserDefaults::dictionaryForKey(const QString &key) const
{
    return objectForKey(key).toDictionary();
}

bool VelUserDefaults::setObject(const plist::Value &value, const QString &key)
{
    refresh(Purpose::Writing);
    if (value.isNone()) {
        if (!m_values->remove(key))
            return true;
    } else {
        const plist::Value stored = copyOf(value);
        if (stored.isNone())
            return false; // holds something a property list cannot hold
        m_values->set(key, stored);
    }
    return write();
}

bool VelUserDefaults::setBool(bool value, const QString &key)
{
    return setObject(plist::Value(value), key);
}

bool VelUserDefaults::removeObjectForKey(const QString &key)
{
    return setObject(plist::Value(), key);
}

bool VelUserDefaults::setObjects(const plist::DictionaryPtr &values)
{
    if (!values)
        return true;
    const plist::DictionaryPtr copy = plist::deepCopy(plist::Value(values)).toDictionary();
    if (!copy)
        return false;
    refresh(Purpose::Writing);
    for (const auto &[key, value] : copy->entries())
        m_values->set(key, value);
    return write();
}

bool VelUserDefaults::setUnreadableFileAside()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_readPath + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = m_readPath + QStringLiteral(".unreadable-") + stamp + u'-' + QString::number(n);
    if (!QFile::rename(m_readPath, aside)) {
        VelLog(QStringLiteral("could not read the preferences file <%1> and could not move it "
                              "aside; it is left unchanged")
                   .arg(m_readPath));
        return false;
    }
    VelLog(QStringLiteral("could not read the preferences file <%1>; kept it as <%2>").arg(m_readPath, aside));
    m_unreadable = false;
    return true;
}

bool VelUserDefaults::write()
{
    if (m_unreadable && !setUnreadableFileAside())
        return false;
    const QString target = m_readPath;
    QDir().mkpath(QFileInfo(target).path());
    QString error;
    if (!plist::writeXmlFile(plist::Value(m_values), target, &error)) {
        VelLog(QStringLiteral("could not write the preferences file <%1>: %2").arg(target, error));
        m_stamp = VelFileStampAtPath(target);
        return false;
    }
    m_stamp = VelFileStampAtPath(target);
    return true;
}
