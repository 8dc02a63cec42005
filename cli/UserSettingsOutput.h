#pragma once

// Writing the user's Services settings at the end of a command, or printing
// them under --dry-run, and saying when the change takes effect.

#include "CatalogueLookup.h"

#include <model/VelPbsStatusFile.h>

namespace velctl {

// When a saved pbs.plist takes effect, in one line.
[[nodiscard]] QString userSettingsApplyHint(const QString &path);

// Dry run: the whole pbs.plist that would be written, as XML. Otherwise the
// file is written when something changed, followed by the apply hint.
// Answers the exit status.
[[nodiscard]] int writeUserSettings(
    const GlobalOptions &options, const VelPbsStatusFile &status, const QString &path, Output &output);

} // namespace velctl
