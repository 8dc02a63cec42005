#pragma once

// Helpers on paths and strings.

#include <QString>
#include <QStringList>

// The display names of the path's components joined by " -> " (localised);
// the path unchanged when it has none (a missing path).
[[nodiscard]] QString readablePathRepresentation(const QString &path);

// Whether a folder exists at the path (a leading "~" expanded) after trying
// to create it; only the last component is created, never its parents.
bool checkFolder(const QString &path);

// Whether the path is an alias that resolves: a symbolic link whose target
// exists (through any chain of links), or a Finder alias or bookmark file.
[[nodiscard]] bool isAliasPath(const QString &path);

// The folder's entries as full paths, in the order the file system lists
// them, hidden ones included; empty when the folder cannot be read.
[[nodiscard]] QStringList directoryContentPaths(const QString &folder);

// Every occurrence of target, left to right and without overlaps, replaced,
// comparing characters exactly; the receiver itself when there is none.
[[nodiscard]] QString stringByReplacingString(
    const QString &receiver, const QString &target, const QString &replacement);
