#pragma once

// The worker's log: one line per message on standard error, prefixed the way
// the application's own log does it (date, time with milliseconds, process
// name and pid). TidyWorker links no platform code, hence its own copy.

#include <QString>

void setWorkerLogProcessName(const QString &name);
void workerLog(const QString &message);

// "<date> <time.ms> <name>[<pid>] " for the current moment.
[[nodiscard]] QString workerLogPrefix();
