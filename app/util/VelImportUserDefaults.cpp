#include "VelImportUserDefaults.h"

#include "defaults/VelUserDefaults.h"

bool VelImportUserDefaults(const QString &domain)
{
    VelUserDefaults &defaults = VelUserDefaults::standardUserDefaults();
    const QString marker = QStringLiteral("Imported User Defaults: %1").arg(domain);
    if (defaults.boolForKey(marker))
        return false;
    const plist::DictionaryPtr imported = VelUserDefaults(domain).persistentDomain();
    if (!imported->isEmpty())
        defaults.setObjects(imported);
    defaults.setBool(true, marker);
    return !imported->isEmpty();
}
