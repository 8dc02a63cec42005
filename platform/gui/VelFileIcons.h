#pragma once

// Icons of files as the file browser shows them: a bundle's own icon
// (CFBundleIconFile from its resources, .icns read through Qt's image
// plugin), else a generic icon for the kind of file.

#include <QImage>
#include <QString>

// The largest image the icon offers; a generic icon when the file has none of
// its own. Never null.
[[nodiscard]] QImage VelIconForFile(const QString &path);

// The bundle's own icon; null when it names none or the file cannot be read.
[[nodiscard]] QImage VelBundleIcon(const QString &bundlePath);
