#pragma once

// Base64 as XML property lists hold data, read and written the way
// CoreFoundation does.

#include <QByteArray>
#include <QByteArrayView>

namespace plist::base64 {

// Characters outside the alphabet are skipped, white space included; '='
// counts as a zero digit whose bytes are left out; an incomplete group at the
// end is dropped.
[[nodiscard]] QByteArray decode(QByteArrayView text);

// Appends the encoded bytes as lines, each preceded by `indent` tabs and
// ended by a newline. Lines hold 76 characters minus eight per tab, with the
// tabs counted up to eight, as CoreFoundation lays them out.
void appendLines(QByteArray &out, QByteArrayView bytes, int indent);

} // namespace plist::base64
