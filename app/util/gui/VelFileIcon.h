#pragma once

#include <QImage>
#include <QString>

// The icon of the file at the path, fitted into 16 x 16. Inside a class that
// has its own icon() member, call it as ::icon(path).
[[nodiscard]] QImage icon(const QString &path);
