#pragma once

// Key equivalents in the two notations services use. A bundle's
// NSKeyEquivalent holds one character: Command with that key, plus Shift when
// the character is an upper-case letter. The user's Services settings
// (pbs.plist) spell the modifiers out: "@" Command, "$" Shift, "~" Option,
// "^" Control, then the key, letters in lower case ("@$m"), "Space" for the
// space bar, "" for no shortcut.

#include <QString>

#include <optional>

struct VelKeyCombination {
    enum Modifier : unsigned { Command = 1, Shift = 2, Option = 4, Control = 8 };

    unsigned modifiers = 0;
    QString key; // lower case for letters; empty for no shortcut

    [[nodiscard]] bool isEmpty() const { return key.isEmpty(); }
    // "@$m": the modifiers in the order "@$~^", then the key.
    [[nodiscard]] QString pbsNotation() const;
    // "[shift]-[command]-[M]" for display, in the catalogue's own style.
    [[nodiscard]] QString description() const;

    friend bool operator==(const VelKeyCombination &, const VelKeyCombination &) = default;
};

// A bundle's one-character key equivalent; anything else is no shortcut.
[[nodiscard]] VelKeyCombination VelKeyCombinationFromBundleKey(const std::optional<QString> &key);
// A pbs.plist key_equivalent. An upper-case letter counts as Shift with that
// letter, so "@M" and "@$m" are the same shortcut. None when the text has no
// key after its modifiers.
[[nodiscard]] std::optional<VelKeyCombination> VelKeyCombinationFromPbsNotation(const QString &text);
// What a person types: one character is the bundle notation ("M" is
// shift-command-M), anything longer the pbs notation ("@$m"); "" removes the
// shortcut. None when it is neither.
[[nodiscard]] std::optional<VelKeyCombination> VelKeyCombinationFromUserText(const QString &text);
