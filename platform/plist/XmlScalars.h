#pragma once

// The text of the scalar elements of XML property lists, turned into values
// as CoreFoundation reads them. Each answers none for text it does not read.

#include "PlistValue.h"

#include <QByteArrayView>

namespace plist::xml {

// Decimal or 0x-prefixed hexadecimal, with an optional sign; every signed
// and unsigned 64-bit value, nothing beyond.
[[nodiscard]] Value integerFromText(QByteArrayView text);
// Decimal with optional fraction and exponent, or nan, inf, infinity with an
// optional sign, in any case.
[[nodiscard]] Value realFromText(QByteArrayView text);
// YYYY-MM-DDTHH:MM:SSZ in UTC.
[[nodiscard]] Value dateFromText(QByteArrayView text);
// Base64; never none, since CoreFoundation skips what is not base64.
[[nodiscard]] Value dataFromText(QByteArrayView text);

} // namespace plist::xml
