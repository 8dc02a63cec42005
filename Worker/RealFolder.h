#pragma once

// Opening folders so that no symbolic link on the way is followed: every
// component of the path must be a real folder. The descriptor answered is
// then used for everything below it, so swapping a folder on the path for a
// link afterwards redirects nothing.

#include "UniqueFd.h"

#include <QString>

struct OpenedFolder {
    UniqueFd fd;
    int error = 0; // errno of the failure; 0 when open
    QString reason; // the failure in words, naming the component at fault
};

enum class LinkFreeResolution {
    Best, // the kernel's RESOLVE_NO_SYMLINKS where it has it, else a walk
    ComponentWalk, // one openat with O_NOFOLLOW per component
};

// An absolute, clean path ("/", no "." or ".." components, no doubled "/"),
// walked from "/".
[[nodiscard]] OpenedFolder openRealFolder(
    const QString &absolutePath, LinkFreeResolution how = LinkFreeResolution::Best);

// A relative path of plain components below an open folder, whose own path
// (folderPath) only serves to name a component in a reason.
[[nodiscard]] OpenedFolder openRealFolderBelow(int folderFd, const QString &folderPath, const QString &relativePath);
