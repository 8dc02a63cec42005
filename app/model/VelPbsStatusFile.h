#pragma once

// The user's own Services settings: NSServicesStatus in
// ~/Library/Preferences/pbs.plist. Each entry is keyed
// "<bundle identifier> - <NSMenuItem default> - <NSMessage>" and holds
// whatever fields the user changed (a missing field means the default).
//
// The file belongs to the Mac: everything but the entries edited here is kept
// value for value, other top-level keys included, and the file is written
// back as a binary property list.

#include <plist/PlistValue.h>

#include <QString>
#include <QStringList>

#include <optional>

class VelPbsStatusFile {
public:
    enum class LoadResult { Loaded, Absent, Unreadable };

    // Field names inside an entry.
    static const QString StatusKey; // "NSServicesStatus"
    static const QString EnabledServicesMenu; // "enabled_services_menu"
    static const QString EnabledContextMenu; // "enabled_context_menu"
    static const QString KeyEquivalent; // "key_equivalent"
    static const QString PresentationModes; // "presentation_modes"
    static const QString ServicesMenuMode; // "ServicesMenu"
    static const QString ContextMenuMode; // "ContextMenu"

    // <home>/Library/Preferences/pbs.plist
    [[nodiscard]] static QString pathInHome(const QString &home);

    // An absent file is an empty status. A file that exists but cannot be read
    // or parsed, or whose NSServicesStatus is no dictionary, is refused with
    // *error saying why; nothing may be written over it then.
    [[nodiscard]] LoadResult load(const QString &path, QString *error);
    [[nodiscard]] bool isLoaded() const { return m_root != nullptr; }

    // The entry for a key; nullptr when the user has none.
    [[nodiscard]] const plist::Dictionary *entry(const QString &key) const;
    [[nodiscard]] QStringList keys() const;
    [[nodiscard]] qsizetype entryCount() const;

    // Edits change only the fields they name; the entry is made when missing.
    // Switching a service writes both menus' flags and the matching
    // presentation_modes flags, as the Mac's own settings do, and keeps any
    // other presentation mode.
    void setEnabled(const QString &key, bool enabled);
    // The key in pbs notation; "" for no shortcut.
    void setKeyEquivalent(const QString &key, const QString &pbsKeyEquivalent);
    // Back to the defaults: the entry goes. Answers whether there was one.
    bool removeEntry(const QString &key);
    // Moves an entry to another key, replacing any entry there. Answers
    // whether there was one to move.
    bool moveEntry(const QString &from, const QString &to);

    [[nodiscard]] bool isChanged() const { return m_changed; }
    [[nodiscard]] plist::DictionaryPtr rootDictionary() const { return m_root; }

    // Binary, written through a temporary file renamed into place, with the
    // old file's owner and mode (a new file is readable by its owner only).
    bool save(const QString &path, QString *error) const;

private:
    [[nodiscard]] plist::DictionaryPtr statusDictionary();
    [[nodiscard]] plist::DictionaryPtr editableEntry(const QString &key);

    plist::DictionaryPtr m_root;
    plist::DictionaryPtr m_status; // inside m_root once made
    bool m_changed = false;
};
