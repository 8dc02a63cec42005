#pragma once

// A rename in system scope changes the key under which the user's Services
// settings (pbs.plist) know the service, since the key holds the title. An
// entry under the old key would be left behind, stale: the rename says so,
// and with --carry-user-settings moves the entry to the new key once the
// bundle is saved.

#include "CatalogueLookup.h"

#include <model/VelPbsStatusFile.h>

namespace velctl {

class RenameCarryOver {
public:
    // Before the rename. False when the move was asked for and the user's
    // settings cannot be read (the reason is written to err); without the
    // move an unreadable file only earns a warning.
    [[nodiscard]] bool prepare(const GlobalOptions &options, const VelProviderPtr &provider,
        const plist::DictionaryPtr &entry, Output &output);
    // After the rename in memory: says what happens to the user's entry.
    void afterRename(const GlobalOptions &options, const plist::DictionaryPtr &entry, Output &output);
    // After the bundle was saved: writes the moved entry. Answers the exit
    // status.
    [[nodiscard]] int finish(const GlobalOptions &options, Output &output);

private:
    VelPbsStatusFile m_status;
    QString m_path;
    QString m_identifier;
    QString m_oldKey;
    bool m_readable = false;
    bool m_moved = false;
};

} // namespace velctl
