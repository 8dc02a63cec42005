#pragma once

// The truth value of a property-list value, as user defaults and the
// dictionary helpers read booleans: a boolean is itself, a number is true
// when non-zero, a string is true when, after leading white space and an
// optional sign, it begins with Y, y, T, t or a digit 1 to 9 (leading zeros
// skipped). None, arrays, dictionaries, data and dates are false.

#include "plist/PlistValue.h"

[[nodiscard]] bool VelTruthValue(const plist::Value &value);
[[nodiscard]] bool VelStringTruthValue(QStringView text);
