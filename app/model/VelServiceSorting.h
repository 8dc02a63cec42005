#pragma once

// The catalogue's two orders: providers by name, and services menu items
// (entries and folder nodes) by their readable menu path, both ignoring case.
// The comparisons answer -1, 0 or 1, like a three-way comparison.

#include "VelFileRepresentation.h"

#include <plist/PlistValue.h>

#include <vector>

[[nodiscard]] int VelSortApplications(const VelProviderPtr &a, const VelProviderPtr &b, void *context = nullptr);
// Entries are keyed by the context provider's readable menu path, or, without
// a context, by their owner's.
[[nodiscard]] int VelSortServices(
    const plist::DictionaryPtr &x, const plist::DictionaryPtr &y, VelFileRepresentation *context);

// Sorting in place. Each item's key is computed once per sort rather than on
// every comparison, since keys come from localised titles.
void VelSortApplicationList(std::vector<VelProviderPtr> &providers);
void VelSortServiceList(const plist::ArrayPtr &items, VelFileRepresentation *context);
