#pragma once

// The folders an entry writes into, opened once from "/" without following
// any link, and the bundle's Info.plist as the catalogue finds it.

#include "ChangeEntry.h"
#include "UniqueFd.h"

#include <QByteArray>

#include <optional>

struct BundleFolders {
    UniqueFd bundle;
    UniqueFd contents;
};

// None when a folder on the way is missing, a link or not a folder (logged).
[[nodiscard]] std::optional<BundleFolders> openBundleFolders(const ChangeEntry &entry);

// The first of the Info.plist names that exists in the Contents folder,
// following links as the catalogue's lookup does; none when none does.
[[nodiscard]] std::optional<QByteArray> firstExistingInfoPlistName(int contentsFd);
