#include "ScopedServiceStates.h"

#include <model/VelServiceEntry.h>
#include <model/VelUserServiceState.h>

#include <files/VelMacVolume.h>

#include <QDir>

using namespace Qt::StringLiterals;

namespace velctl {

QString scopeName(Scope scope)
{
    return scope == Scope::User ? u"user"_s : u"system"_s;
}

QString userHome(const GlobalOptions &options)
{
    return options.home.isEmpty() ? VelMacVolume::home() : QDir(options.home).absolutePath();
}

bool ScopedServiceStates::load(const GlobalOptions &options, Output &output)
{
    loadedCatalogue(options);
    m_scope = options.scope;
    if (m_scope == Scope::User) {
        m_userStatusPath = VelPbsStatusFile::pathInHome(userHome(options));
        QString error;
        if (m_userStatus.load(m_userStatusPath, &error) == VelPbsStatusFile::LoadResult::Unreadable) {
            output.err << "velmoractl: " << error << '\n';
            return false;
        }
    }
    refresh();
    return true;
}

ServiceState ScopedServiceStates::computeState(const QString &identifier, const plist::DictionaryPtr &entry) const
{
    ServiceState state;
    state.pbsKey = VelPbsServiceKey(identifier, entry).value_or(QString());
    if (m_scope == Scope::System) {
        state.enabled = isServiceEnabled(entry);
        state.key = VelKeyCombinationFromBundleKey(serviceKeyEquivalent(entry));
        state.keyDescription = serviceKeyEquivalentDescription(entry);
        state.source = u"bundle"_s;
        return state;
    }
    const plist::Dictionary *userEntry = state.pbsKey.isEmpty() ? nullptr : m_userStatus.entry(state.pbsKey);
    const VelUserServiceState user = VelEffectiveUserState(userEntry, identifier, entry);
    state.enabled = user.enabled;
    state.key = user.keyEquivalent;
    state.keyDescription = user.keyEquivalent.description();
    state.source = VelUserStateSourceName(user.source);
    return state;
}

void ScopedServiceStates::refresh()
{
    m_states.clear();
    std::vector<VelShortcutHolder> holders;
    forEachServiceOfTheVolume(
        [&](const VelProviderPtr &provider, const QString &identifier, const plist::DictionaryPtr &entry) {
            const ServiceState state = computeState(identifier, entry);
            if (state.enabled == true && !state.key.isEmpty() && !state.pbsKey.isEmpty())
                holders.push_back({state.key, provider->name(), provider->path(),
                    provider->readableMenuPathOfService(entry), scopeName(m_scope), state.source});
            m_states.insert(entry.get(), state);
        });
    m_clashes = VelFindShortcutClashes(holders);
    QSet<QString> clashingKeys;
    for (const VelShortcutClash &clash : m_clashes)
        clashingKeys.insert(clash.key.pbsNotation());
    if (clashingKeys.isEmpty())
        return;
    for (ServiceState &state : m_states) {
        state.clash = state.enabled == true && !state.pbsKey.isEmpty() && !state.key.isEmpty()
            && clashingKeys.contains(state.key.pbsNotation());
    }
}

ServiceState ScopedServiceStates::stateOf(const plist::DictionaryPtr &entry) const
{
    return m_states.value(entry.get());
}

} // namespace velctl
