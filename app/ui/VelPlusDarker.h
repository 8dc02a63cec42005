#pragma once

// The Mac's plus-darker compositing, which Qt lacks: the darkness of the
// source (what it takes away from white) is added to the darkness of the
// destination, per channel. On an opaque destination
//     result = max(0, D - (Sa - S))      (premultiplied source)
// so white leaves the destination as it is, a transparent source does
// nothing, and gray lines darken whatever lies beneath them.
//
// Qt has no such mode, but on an opaque destination it is three of its own:
// inverting the destination (difference with white), adding the source's
// darkness (plus), and inverting again. Each step is exact in 8-bit
// channels, so pixels the source does not touch come back unchanged. The
// painter must draw on an opaque surface (a widget's backing store, an RGB32
// or premultiplied image that is opaque where drawn).

#include <QColor>
#include <QImage>
#include <QRectF>

class QPainter;

// Draws the image scaled into the target with plus-darker.
void VelDrawImagePlusDarker(QPainter &painter, const QRectF &target, const QImage &image);

// Fills the rectangle with the colour with plus-darker.
void VelFillRectPlusDarker(QPainter &painter, const QRectF &rect, const QColor &color);

// The image's darkness as a premultiplied image: per channel alpha - colour,
// with the image's alpha.
[[nodiscard]] QImage VelDarknessImage(const QImage &image);
