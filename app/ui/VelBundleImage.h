#pragma once

// Images of the application bundle, looked up by name in its resources
// (PNG, SVG or ICNS) and fitted into 16 x 16 as icons of table rows.

#include <QImage>
#include <QString>

// Null when the bundle has no such image.
[[nodiscard]] QImage VelBundleImageNamed(const QString &name);
