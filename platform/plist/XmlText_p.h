#pragma once

// The text of XML property lists: UTF-8 in, QString out, with the keys that
// come back in file after file decoded once.

#include <QByteArray>
#include <QString>

namespace plist::xml {

void appendUtf8(QByteArray &out, char32_t c);

// Unlike QString::fromUtf8, keeps a byte-order mark at the start: in a
// property list it is a character of the value like any other.
[[nodiscard]] QString decodeUtf8(QByteArrayView utf8);

// The key's string, shared with earlier keys of the same bytes on this thread.
[[nodiscard]] QString internedKey(QByteArrayView utf8);

} // namespace plist::xml
