#pragma once

// One element of the change list, and the checks that can be made on it
// before any file is opened.

#include <plist/PlistValue.h>

#include <QString>

#include <optional>

struct ChangeEntry {
    QString packagePath; // the bundle folder
    QString infoPath; // packagePath/Contents/infoFileName
    QString infoFileName; // one of the four names an Info.plist may have
    plist::DictionaryPtr info; // the new content
};

// The entry, or none with *reason saying why it is refused: it is not a
// dictionary, a path is not a string or not valid UTF-16, the bundle path is
// not absolute and clean, "Info Path" is not one of the names an Info.plist
// may have inside the bundle's Contents folder, or "Info" is not a
// dictionary. Which of the names the bundle uses is decided on disk.
[[nodiscard]] std::optional<ChangeEntry> parseChangeEntry(const plist::Value &element, QString *reason);

// The first top-level key, other than the services keys Velmora owns, whose
// value differs between the two dictionaries (or is in only one); a null
// string when there is none.
[[nodiscard]] QString firstChangedKey(const plist::Dictionary &current, const plist::Dictionary &proposed);
