#pragma once

// The worker's log: one line per message on standard error, prefixed the way
// the application's own log does it (date, time with milliseconds, process
// name and pid). TidyWorker links no platform code, hence its own copy.

#include <QString>

void setWorkerLogProcessName(const QString &name);
// Control characters in the message (paths may hold any) are written escaped.
void workerLog(const QString &message);

// The message with every control character written as an escape ("\n",
// "\0", "\x1b", "\u2028"), so that no path can end a line or drive a
// terminal.
[[nodiscard]] QString escapedForLog(const QString &message);

// "<date> <time.ms> <name>[<pid>] " for the current moment.
[[nodiscard]] QString workerLogPrefix();

// The lines of a run.
void logCannotGetAttributes(const QString &path); // "- cannot get attributes for <path>"
void logCannotSetAttributes(const QString &path); // "- cannot set attributes for <path>"
void logNotWritten(const QString &infoPath, const QString &reason);
