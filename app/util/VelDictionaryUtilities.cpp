#include "VelDictionaryUtilities.h"

#include "defaults/VelTruthValue.h"

bool boolForKey(const plist::DictionaryPtr &dictionary, QStringView key)
{
    return dictionary && VelTruthValue(dictionary->value(key));
}

void setBoolForKey(const plist::DictionaryPtr &dictionary, bool value, const QString &key)
{
    if (dictionary)
        dictionary->set(key, value);
}

void tryToRemoveObjectForKey(const plist::DictionaryPtr &dictionary, QStringView key)
{
    if (dictionary)
        dictionary->remove(key);
}

plist::DictionaryPtr dictionaryWithStringForKey(const plist::ArrayPtr &array, const QString &text, QStringView key)
{
    if (!array)
        return nullptr;
    for (const plist::Value &element : *array) {
        const plist::DictionaryPtr dictionary = element.toDictionary();
        if (!dictionary)
            continue;
        const QString *candidate = dictionary->value(key).asString();
        if (candidate && *candidate == text)
            return dictionary;
    }
    return nullptr;
}
