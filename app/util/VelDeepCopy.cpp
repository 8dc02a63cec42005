#include "VelDeepCopy.h"

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
