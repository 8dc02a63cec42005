#pragma once

// One element of the change list, and the checks that can be made on it
// before any file is opened.

#include <plist/PlistValue.h>

#include <QString>

#include <optional>

struct ChangeEntry {
    QString packagePath;         // the bundle folder
    QString infoPath;            // packagePath/Contents/infoFileName
    QString infoFileName;        // one of the four names an Info.plist may have
    plist::DictionaryPtr info;   // the new content
};

// The entry, or none with *reason saying why it is refused: it is not a
// dictionary, a path is not a string, the bundle path is not absolute and
// clean, "Info Path" is not one of the bundle's own Info.plist names, or
// "Info" is not a dictionary.
[[nodiscard]] std::optional<ChangeEntry> parseChangeEntry(const plist::Value &element, QString *reason);

// The first top-level key, other than the services keys Velmora owns, whose
// value differs between the two dictionaries (or is in only one); a null
// string when there is none.
[[nodiscard]] QString firstChangedKey(const plist::Dictionary &current, const plist::Dictionary &proposed);
