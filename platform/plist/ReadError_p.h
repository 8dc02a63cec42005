#pragma once

// What the readers share to fill a ReadError: the place of a fault, counted
// the way people count it.

#include "PropertyList.h"

namespace plist::detail {

// What a failing step of a reader answers: false or none, whichever the
// step returns, so that recording a fault and failing is one statement.
struct Failed {
    operator bool() const { return false; }
    operator Value() const { return {}; }
};

// Where the first byte that is not UTF-8 starts; -1 when every byte is.
[[nodiscard]] qsizetype firstInvalidUtf8(QByteArrayView bytes);

// The line (from 1) holding the character at offset. A line ends at "\n",
// "\r\n" or a lone "\r", as in files from any system.
[[nodiscard]] int lineAt(QByteArrayView bytes, qsizetype offset);
[[nodiscard]] int lineAt(QStringView text, qsizetype offset);

// Fills *error (when given): the reason with " at line N" when line > 0,
// else with " at byte offset N".
void setReadError(ReadError *error, const QString &reason, qsizetype offset, int line);

} // namespace plist::detail
