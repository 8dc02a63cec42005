#pragma once

// The edits of velmoractl in user scope: they change the user's Services
// settings (pbs.plist) and leave every bundle alone.

#include "CommandLine.h"

namespace velctl {

// command: enable, disable, shortcut, revert, enable-all or disable-all; the
// command line has checked the number of arguments.
[[nodiscard]] int runUserEdit(const QString &command, const GlobalOptions &options, const QStringList &arguments);

} // namespace velctl
