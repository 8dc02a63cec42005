#pragma once

// Shortcuts held by more than one enabled service: the Mac gives the key to
// one of them only, so the others' shortcuts do nothing.

#include "VelKeyEquivalentNotation.h"

#include <QString>

#include <vector>

struct VelShortcutHolder {
    VelKeyCombination key;
    QString provider;
    QString providerPath;
    QString title; // the readable menu path
    QString scope; // "system" or "user"
    QString source; // where the state comes from: "bundle", "user", "default"
};

struct VelShortcutClash {
    VelKeyCombination key;
    std::vector<VelShortcutHolder> holders; // two or more, in the order given
};

// Holders without a key are ignored; the caller passes enabled services only.
// Clashes come in the order their keys first appear.
[[nodiscard]] std::vector<VelShortcutClash> VelFindShortcutClashes(const std::vector<VelShortcutHolder> &holders);
