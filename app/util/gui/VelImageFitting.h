#pragma once

// Fitting an image into a box of fixed size, as icons are drawn in tables.

#include <QImage>
#include <QSizeF>

// A new transparent image of exactly maxSize (rounded up to whole pixels)
// with the image drawn centred in it: scaled down, keeping its proportions,
// when it does not fit; never enlarged.
[[nodiscard]] QImage imageWithMaxSize(const QImage &image, QSizeF maxSize);

// The size at which imageWithMaxSize draws an image of the given size.
[[nodiscard]] QSizeF fittedImageSize(QSizeF imageSize, QSizeF maxSize);
