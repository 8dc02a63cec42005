#pragma once

// The names of the worker's temporary files (".<final name>.tidyworker-<pid>-<n>"
// beside the file they replace), and the clean-up of those that a killed run
// left behind.

#include <QByteArray>

#include <sys/types.h>

#include <optional>

[[nodiscard]] QByteArray temporaryFileName(const QByteArray &finalName, pid_t pid, int attempt);

// The process that made a file of that name; none for any other name.
[[nodiscard]] std::optional<pid_t> temporaryFileOwner(const QByteArray &name);

// Removes the worker's temporary files in the folder whose process is gone.
// A live process's file belongs to a run still going on.
void removeStaleTemporaryFiles(int folderFd);
