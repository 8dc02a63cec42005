#pragma once

// Writing one change-list entry into its bundle. The bundle folder, its
// Contents folder and the Info.plist are reached through descriptors opened
// without following links, the old file is read and compared before
// anything is touched, and the new file gets its attributes before it is
// renamed into place.

#include <plist/PlistValue.h>

#include <ctime>

enum class EntryResult {
    AttributesCarried,     // "0"
    NoAttributesToCarry,   // "1"
    AttributesNotApplied,  // "2"
    Failed,                // refused or not written: the run stops
};

[[nodiscard]] EntryResult writeChangeEntry(const plist::Value &element, const timespec &runTimestamp);

// The character reported for a written entry.
[[nodiscard]] char characterForResult(EntryResult result);
