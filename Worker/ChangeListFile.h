#pragma once

// Reading Changes.plist, once, through one descriptor, after checking that
// nobody but the user who asked for the save (or root) can have written it.
// From the home folder down, no folder on the way and not the file itself may
// be a symbolic link.

#include <plist/PlistValue.h>

#include <QString>

#include <sys/types.h>

#include <optional>

// Larger lists are refused unread; 500 typical providers take about 2 MB.
inline constexpr qint64 kMaxChangeListSize = 64 * 1024 * 1024;

// Where the list lies below the home folder.
inline constexpr char kChangeListFolder[] = "Library/Application Support/Velmora";
inline constexpr char kChangeListName[] = "Changes.plist";

// The entries, or none when the file is missing, fails a check (logged) or
// is not an XML property list holding an array. Velmora writes the list as
// XML only, so a binary or text list was not written by it.
[[nodiscard]] std::optional<plist::ArrayPtr> readChangeList(const QString &homePath, uid_t requestingUser);

// Reads the whole file behind fd, refusing more than maxSize bytes.
[[nodiscard]] std::optional<QByteArray> readAllFromDescriptor(int fd, qint64 maxSize);
