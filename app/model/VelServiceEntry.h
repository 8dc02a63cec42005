#pragma once

// Operations on a service entry: one dictionary of a provider's services list,
// edited in place. Velmora keeps its bookkeeping inside the entry under marker
// keys (VelServiceKeys.h), so entries stay plain dictionaries shared by the
// provider's Info.plist and the services menu tree.
//
// A title or key equivalent that is absent ("none") is std::nullopt; an empty
// string is a present, empty value.

#include <plist/PlistValue.h>

#include <QString>

#include <optional>

[[nodiscard]] bool isServiceEnabled(const plist::DictionaryPtr &entry);
// Without `regardless`, entries that may not be edited stay as they are.
void setServiceEnabled(const plist::DictionaryPtr &entry, bool enabled, bool regardless);
void setServiceEnabled(const plist::DictionaryPtr &entry, bool enabled);
// On a folder node: every entry below it, through subfolders; on an entry: the
// entry. Entries that may not be edited are left alone.
void setServiceEnabledRecursively(const plist::DictionaryPtr &item, bool enabled);

// Asks the provider that owns this very entry; entries nobody owns and folder
// nodes are not editable.
[[nodiscard]] bool isServiceEditable(const plist::DictionaryPtr &entry);
// Only the direct children of the folder count; subfolders never do.
[[nodiscard]] bool containsEditableService(const plist::DictionaryPtr &folder);

[[nodiscard]] std::optional<QString> serviceMenuItemTitle(const plist::DictionaryPtr &entry);
[[nodiscard]] QString originalServiceMenuItemTitle(const plist::DictionaryPtr &entry);
// A missing or empty title is stored as "?".
void setServiceMenuItemTitle(const plist::DictionaryPtr &entry, const std::optional<QString> &title);

[[nodiscard]] std::optional<QString> serviceKeyEquivalent(const plist::DictionaryPtr &entry);
[[nodiscard]] QString originalServiceKeyEquivalent(const plist::DictionaryPtr &entry);
// Anything but exactly one character removes the shortcut.
void setServiceKeyEquivalent(const plist::DictionaryPtr &entry, const std::optional<QString> &key);

[[nodiscard]] QString serviceKeyEquivalentDescription(const plist::DictionaryPtr &entry);
// "[command]-[k]" or, for a key that differs from its lower-case form,
// "[shift]-[command]-[K]"; "" for no key or a key that is not one character.
[[nodiscard]] QString VelServiceKeyEquivalentDescription(const std::optional<QString> &key);

// Folder nodes of the services menu tree are the tree's own objects: only
// dictionaries made by makeFolderNode count, whatever keys another dictionary
// carries, so an entry read from disk that happens to hold a folder name or a
// "Children" value stays an ordinary entry.
[[nodiscard]] bool isFolderNode(const plist::DictionaryPtr &item);
[[nodiscard]] plist::DictionaryPtr makeFolderNode(const QString &name);
// A folder node's name and children; empty and none for anything else.
[[nodiscard]] QString folderNodeName(const plist::DictionaryPtr &folder);
[[nodiscard]] plist::ArrayPtr folderNodeChildren(const plist::DictionaryPtr &folder);

// A value as a "%@" placeholder prints it: strings as they are, other values
// in their property-list text form, nothing as "(null)".
[[nodiscard]] QString VelValueText(const plist::Value &value);

// The checkbox of a folder node: on when at least one direct child is a
// titled, enabled entry. Subfolders never count.
[[nodiscard]] bool folderHasEnabledService(const plist::DictionaryPtr &folder);
