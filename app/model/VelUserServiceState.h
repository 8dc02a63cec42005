#pragma once

// A service's state in the user's scope: what the user's Services settings
// (pbs.plist) say about it, else what the Mac does without a setting.
//
// Without an entry a service of another vendor is off unless it declares
// NSRequiredContext (any value); Apple's own services (com.apple.
// identifiers) have defaults that are not published, so their state is
// unknown rather than guessed. The shortcut is the entry's key_equivalent,
// else the bundle's NSKeyEquivalent.

#include "VelKeyEquivalentNotation.h"

#include <plist/PlistValue.h>

#include <QString>

#include <optional>

enum class VelUserStateSource {
    User, // the user's entry
    Default, // no entry: the Mac's default
    Bundle, // the bundle itself no longer offers the service (disabled in bundle scope)
};

struct VelUserServiceState {
    std::optional<bool> enabled; // none: unknown
    VelKeyCombination keyEquivalent;
    VelUserStateSource source = VelUserStateSource::Default;
};

[[nodiscard]] QString VelUserStateSourceName(VelUserStateSource source); // "user", "default", "bundle"

// "(null)" stands for a bundle without an identifier, as the Mac writes it.
[[nodiscard]] QString VelPbsIdentifier(const plist::Dictionary *infoDictionary);
// "<identifier> - <NSMenuItem default> - <NSMessage>", with the raw,
// untranslated title; none for a service without a title.
[[nodiscard]] std::optional<QString> VelPbsServiceKey(const QString &identifier, const plist::DictionaryPtr &entry);

struct VelPbsKeyParts {
    QString identifier;
    QString title;
    QString message;
};
// The identifier ends at the first " - " and the message starts after the
// last, so a title may hold " - " itself. None when the key has fewer parts.
[[nodiscard]] std::optional<VelPbsKeyParts> VelSplitPbsServiceKey(const QString &key);

// enabled_* flags as scripts write them too: booleans, integers, or strings
// such as "0" and "1". None for a missing value or one of another type.
[[nodiscard]] std::optional<bool> VelPbsFlag(const plist::Value &value);

// userEntry: the pbs.plist entry, nullptr when the user has none. When
// enabled_services_menu and presentation_modes disagree, the former decides:
// it is the field every writer of the file sets, scripts included.
[[nodiscard]] VelUserServiceState VelEffectiveUserState(
    const plist::Dictionary *userEntry, const QString &identifier, const plist::DictionaryPtr &serviceEntry);
