#pragma once

// The shared number objects 0 and 1: every call answers the same object,
// created on first use and kept for the life of the process.

#include "plist/PlistValue.h"

[[nodiscard]] const plist::Value &singleton0Number();
[[nodiscard]] const plist::Value &singleton1Number();
