#pragma once

// Helpers on property-list dictionaries and arrays that the catalogue uses on
// service entries, folder nodes and Info.plist dictionaries. A null handle is
// accepted everywhere and reads as empty.

#include "plist/PlistValue.h"

// The truth value of the key's value (false when absent); see VelTruthValue.
[[nodiscard]] bool boolForKey(const plist::DictionaryPtr &dictionary, QStringView key);
// Stores a boolean value.
void setBoolForKey(const plist::DictionaryPtr &dictionary, bool value, const QString &key);
// Removes the key when it is there, else does nothing.
void tryToRemoveObjectForKey(const plist::DictionaryPtr &dictionary, QStringView key);

// The first dictionary of the array whose value under the key is a string
// equal (exactly, case-sensitively) to the given text; null when none is.
[[nodiscard]] plist::DictionaryPtr dictionaryWithStringForKey(
    const plist::ArrayPtr &array, const QString &text, QStringView key);
