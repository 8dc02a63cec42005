#pragma once

// Base64 as XML property lists hold data: decoding skips white space
// anywhere, encoding breaks lines the way the Mac's writer does.

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace plist::base64 {

// None when a character other than the alphabet, '=' padding at the end or
// white space appears.
[[nodiscard]] std::optional<QByteArray> decode(QByteArrayView text);

// Appends the encoded bytes as lines, each preceded by `indent` tabs and
// ended by a newline. Lines hold 76 characters minus eight per tab, with the
// tabs counted up to eight, as CoreFoundation lays them out.
void appendLines(QByteArray &out, QByteArrayView bytes, int indent);

} // namespace plist::base64
