#pragma once

// Reading Changes.plist, once, through one descriptor, after checking that
// nobody but the user who asked for the save (or root) can have written it.

#include <plist/PlistValue.h>

#include <QString>

#include <sys/types.h>

#include <optional>

// Larger lists are refused unread; 500 typical providers take about 2 MB.
inline constexpr qint64 kMaxChangeListSize = 64 * 1024 * 1024;

// The entries, or none when the file is missing, fails a check (logged) or
// is not an array.
[[nodiscard]] std::optional<plist::ArrayPtr> readChangeList(const QString &path, uid_t requestingUser);

// Reads the whole file behind fd, refusing more than maxSize bytes.
[[nodiscard]] std::optional<QByteArray> readAllFromDescriptor(int fd, qint64 maxSize);
