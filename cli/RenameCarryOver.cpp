#include "RenameCarryOver.h"

#include "ScopedServiceStates.h"
#include "UserSettingsOutput.h"

#include <model/VelUserServiceState.h>

using namespace Qt::StringLiterals;

namespace velctl {

bool RenameCarryOver::prepare(
    const GlobalOptions &options, const VelProviderPtr &provider, const plist::DictionaryPtr &entry, Output &output)
{
    m_path = VelPbsStatusFile::pathInHome(userHome(options));
    m_identifier = VelPbsIdentifier(provider->infoDictionary().get());
    m_oldKey = VelPbsServiceKey(m_identifier, entry).value_or(QString());
    QString error;
    m_readable = m_status.load(m_path, &error) != VelPbsStatusFile::LoadResult::Unreadable;
    if (m_readable)
        return true;
    if (options.carryUserSettings) {
        output.err << "velmoractl: cannot carry the user's settings along: " << error << '\n';
        return false;
    }
    output.err << "velmoractl: warning: the user's settings were not checked: " << error << '\n';
    return true;
}

void RenameCarryOver::afterRename(const GlobalOptions &options, const plist::DictionaryPtr &entry, Output &output)
{
    const QString newKey = VelPbsServiceKey(m_identifier, entry).value_or(QString());
    if (!m_readable || m_oldKey.isEmpty() || newKey == m_oldKey || !m_status.entry(m_oldKey))
        return;
    if (!options.carryUserSettings) {
        output.err << "velmoractl: the user's settings in " << m_path << " hold an entry for \"" << m_oldKey
                   << "\", which the new title leaves stale; --carry-user-settings moves it to \"" << newKey << "\"\n";
        return;
    }
    m_moved = m_status.moveEntry(m_oldKey, newKey);
    output.err << "velmoractl: " << (options.dryRun ? "would move" : "moving") << " the user's entry \"" << m_oldKey
               << "\" to \"" << newKey << "\" in " << m_path << '\n';
}

int RenameCarryOver::finish(const GlobalOptions &options, Output &output)
{
    if (!m_moved || options.dryRun)
        return kSuccess;
    QString error;
    if (!m_status.save(m_path, &error)) {
        output.err << "velmoractl: the user's entry was not moved: " << error << '\n';
        return kSaveFailed;
    }
    output.err << "velmoractl: " << userSettingsApplyHint(m_path) << '\n';
    return kSuccess;
}

} // namespace velctl
