#pragma once

// Helpers on user defaults: removing a key only when it is there, and
// storing values archived into data.

#include "defaults/VelUserDefaults.h"

// Removes the key only when this domain stores a value under it.
void tryToRemoveObjectForKey(VelUserDefaults &defaults, const QString &key);

// Archives the value into data and stores the data under the key; stores
// nothing when the value cannot be archived (none, or holding a none).
void archiveObject(VelUserDefaults &defaults, const plist::Value &value, const QString &key);
// The value archived under the key; none when nothing (or no archive) is there.
[[nodiscard]] plist::Value unarchivedObjectForKey(const VelUserDefaults &defaults, const QString &key);

// The archive format: a binary property list.
[[nodiscard]] QByteArray VelArchivedData(const plist::Value &value);
[[nodiscard]] plist::Value VelUnarchivedValue(const QByteArray &data);
