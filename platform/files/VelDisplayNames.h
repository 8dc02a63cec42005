#pragma once

// Names as the file browser shows them: the file name, without the extension
// of a package unless the global default AppleShowAllExtensions is true; the
// volume's root shows as the volume's name.

#include <QString>
#include <QStringList>

[[nodiscard]] QString VelDisplayNameAtPath(const QString &path);
[[nodiscard]] QString VelDisplayNameAtPath(const QString &path, bool showAllExtensions);

// The display names of a path's components: for a path on the volume, the
// volume's name, then the names below the root (a path under the volume's
// Volumes/NAME starts with NAME instead); for another existing path, the
// names of all its components; for a missing path, nothing.
[[nodiscard]] QStringList VelComponentsToDisplayForPath(const QString &path);
