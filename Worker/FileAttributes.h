#pragma once

// The attribute set carried from an old file to its replacement, and the one
// refreshed on a bundle: owner, group, permission bits, access and
// modification dates and extended attributes. Read and applied through open
// descriptors, so a path swapped in between cannot redirect either.

#include <QByteArray>

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <utility>
#include <vector>

struct FileAttributes {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t permissions = 0; // the 07777 bits
    timespec accessDate {};
    timespec modificationDate {};
    // Name and value; empty where the file system keeps none.
    std::vector<std::pair<QByteArray, QByteArray>> extendedAttributes;
};

// None when the descriptor cannot be examined.
[[nodiscard]] std::optional<FileAttributes> readFileAttributes(int fd);

// Sets every attribute of the set that differs from the file's own, dates
// always. Answers false when any of them could not be set; the others are
// still tried.
[[nodiscard]] bool applyFileAttributes(int fd, const FileAttributes &attributes);

// Owner, group and permission bits alone, each only where it differs.
[[nodiscard]] bool applyOwnership(int fd, uid_t owner, gid_t group, mode_t permissions);
