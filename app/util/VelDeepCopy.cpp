#include "VelDeepCopy.h"

#include "plist/PropertyList.h"

plist::DictionaryPtr deepMutableCopy(const plist::DictionaryPtr &dictionary)
{
    if (!dictionary)
        return nullptr;
    return plist::deepCopy(plist::Value(dictionary)).toDictionary();
}

plist::ArrayPtr deepMutableCopy(const plist::ArrayPtr &array)
{
    if (!array)
        return nullptr;
    return plist::deepCopy(plist::Value(array)).toArray();
}

plist::DictionaryPtr deeplyMutableDictionaryWithContentsOfFile(const QString &path)
{
    return plist::readFile(path).toDictionary();
}
