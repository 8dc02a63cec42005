#include "VelDefaultsArchiving.h"

#include "plist/PropertyList.h"

void tryToRemoveObjectForKey(VelUserDefaults &defaults, const QString &key)
{
    if (defaults.hasPersistentValueForKey(key))
        defaults.removeObjectForKey(key);
}

QByteArray VelArchivedData(const plist::Value &value)
{
    return plist::writeBinary(value);
}

plist::Value VelUnarchivedValue(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    return plist::readBinary(data);
}

void archiveObject(VelUserDefaults &defaults, const plist::Value &value, const QString &key)
{
    const QByteArray data = VelArchivedData(value);
    if (!data.isEmpty())
        defaults.setObject(plist::Value::fromData(data), key);
}

plist::Value unarchivedObjectForKey(const VelUserDefaults &defaults, const QString &key)
{
    const plist::Value stored = defaults.objectForKey(key);
    return stored.isData() ? VelUnarchivedValue(stored.toData()) : plist::Value();
}
