#pragma once

// Keys of a service entry, of the services menu tree's folder nodes and of a
// provider's Info.plist that the catalogue reads or writes.

#include <QString>

namespace VelKey {

// The platform's keys of a service entry.
inline const QString MenuItem = QStringLiteral("NSMenuItem");
inline const QString MenuItemVariant = QStringLiteral("NSMenuitem");
inline const QString MenuItemLowerCase = QStringLiteral("nsmenuitem");
inline const QString MenuItemDisabled = QStringLiteral("NSMenuItem (Disabled)");
inline const QString KeyEquivalent = QStringLiteral("NSKeyEquivalent");
inline const QString PortName = QStringLiteral("NSPortName");
inline const QString Message = QStringLiteral("NSMessage");
inline const QString Default = QStringLiteral("default");

// Velmora's marks inside an entry.
inline const QString IsDisabled = QStringLiteral("Quillfen.Velmora.IsDisabled");
inline const QString WasDisabled = QStringLiteral("Quillfen.Velmora.WasDisabled");
inline const QString OriginalMenuItemTitle = QStringLiteral("Quillfen.Velmora.OriginalMenuItemTitle");
inline const QString PreviousMenuItemTitle = QStringLiteral("Quillfen.Velmora.PreviousMenuItemTitle");
inline const QString OriginalKeyEquivalent = QStringLiteral("Quillfen.Velmora.OriginalKeyEquivalent");
inline const QString PreviousKeyEquivalent = QStringLiteral("Quillfen.Velmora.PreviousKeyEquivalent");
inline const QString ApplicationName = QStringLiteral("Quillfen.Velmora.ApplicationName");

// Marks written by older versions.
inline const QString OldIsDisabled = QStringLiteral("Quillfen.Korvane.IsDisabled");
inline const QString OldWasDisabled = QStringLiteral("Quillfen.Korvane.WasDisabled");
inline const QString OldApplicationName = QStringLiteral("Quillfen.Korvane.ApplicationName");

// Top-level keys of a provider's Info.plist.
inline const QString Services = QStringLiteral("NSServices");
inline const QString AllServices = QStringLiteral("Quillfen.Velmora.AllNSServices");
inline const QString OldAllServices = QStringLiteral("Quillfen.Korvane.AllNSServices");

// Folder nodes of the services menu tree.
inline const QString FolderName = QStringLiteral("Quillfen.Velmora.FolderName");
inline const QString Children = QStringLiteral("Children");

} // namespace VelKey
