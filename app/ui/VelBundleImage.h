#pragma once

// Images of the application bundle, looked up by name in its resources
// (PNG, SVG or ICNS).

#include <QImage>
#include <QString>

// Fitted into 16 x 16, as icons of table rows. Null when the bundle has no
// such image.
[[nodiscard]] QImage VelBundleImageNamed(const QString &name);

// At the size the file gives it, read once per process and kept: the
// artwork of buttons, gradients and selections, which the drawing scales as
// it needs. Null when the bundle has no such image.
[[nodiscard]] const QImage &VelBundleArtworkNamed(const QString &name);
