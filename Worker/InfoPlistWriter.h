#pragma once

// Writing one change-list entry into its bundle. The bundle folder and its
// Contents folder are opened once, without following links; the old file is
// read and compared before anything is touched; the new file is written,
// flushed, given its final attributes and only then renamed into place.

#include <plist/PlistValue.h>

#include <ctime>

class ReplacementSteps;

enum class EntryResult {
    AttributesCarried, // "0"
    NoAttributesToCarry, // "1"
    AttributesNotApplied, // "2"
    Failed, // refused or not written: the run stops
};

[[nodiscard]] EntryResult writeChangeEntry(
    const plist::Value &element, const timespec &runTimestamp, ReplacementSteps &steps);

// The character reported for a written entry.
[[nodiscard]] char characterForResult(EntryResult result);
