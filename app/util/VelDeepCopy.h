#pragma once

// Complete, independent copies of property-list containers, and reading a
// property-list file into new mutable containers.

#include "plist/PlistValue.h"

// Every container and leaf of the copy is new; null when the source is null
// or holds anything a property list cannot hold (including nesting deeper
// than plist::kMaxDepth).
[[nodiscard]] plist::DictionaryPtr deepMutableCopy(const plist::DictionaryPtr &dictionary);
[[nodiscard]] plist::ArrayPtr deepMutableCopy(const plist::ArrayPtr &array);

// The file's property list (XML, binary or old-style text) with every
// container new and mutable; null when the file cannot be read or parsed, or
// its top level is not a dictionary. Logs nothing.
[[nodiscard]] plist::DictionaryPtr deeplyMutableDictionaryWithContentsOfFile(const QString &path);
