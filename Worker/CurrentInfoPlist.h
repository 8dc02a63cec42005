#pragma once

// What an entry's Info.plist holds now, and whether the entry may replace
// it: the file must be the one the catalogue reads, a regular file with one
// link, and the new content may differ from it only in the services keys,
// judged by what the new content reads back as once written.

#include "ChangeEntry.h"
#include "FileAttributes.h"

#include <QByteArray>

#include <optional>

struct CurrentInfoPlist {
    bool refused = false; // logged
    bool exists = false; // false: the entry creates Contents/Info.plist
    // The attributes to carry over; none when there is no file, or when
    // they could not be read.
    std::optional<FileAttributes> attributes;
};

// newBytes: the new content in the form it will be written.
[[nodiscard]] CurrentInfoPlist examineCurrentInfoPlist(
    int contentsFd, const ChangeEntry &entry, const QByteArray &newBytes);
