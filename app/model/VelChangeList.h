#pragma once

// The change list of a save: one entry per dirty provider, in the order of the
// provider list, each a dictionary with "Info" (the cleaned Info.plist to
// write), "Info Path" and "Package Path", as the worker reads them. Both
// paths are real paths: no component is a symbolic link.

#include "VelFileRepresentation.h"

#include <plist/PlistValue.h>

#include <vector>

struct VelChangeList {
    plist::ArrayPtr entries = plist::Array::create();
    // A dirty provider whose Info.plist no longer exists was left out.
    bool providerVanished = false;

    [[nodiscard]] qsizetype size() const { return entries->size(); }
};

// What the entries may share with the providers: their live services lists
// (each provider's stored list, as cleanedInfoDictionaryForSaving hands it
// out), or nothing at all, for a list written on another thread while the
// providers stay in use.
enum class VelChangeListSharing { LiveServiceLists, Nothing };

// Logs "<path> appears to have been removed" for every dirty provider whose
// Info.plist is gone.
[[nodiscard]] VelChangeList VelCollectChanges(const std::vector<VelProviderPtr> &providers,
    VelChangeListSharing sharing = VelChangeListSharing::LiveServiceLists);
