#pragma once

// Each service's state in the scope the command line chose: the bundles'
// own declarations (system) or the user's Services settings (user), with the
// shortcuts that clash in that scope. Worked out for the whole catalogue at
// once, since a clash needs every service anyway.

#include "CatalogueLookup.h"

#include <model/VelPbsStatusFile.h>
#include <model/VelShortcutClashes.h>
#include <model/VelUserServiceState.h>

#include <QHash>
#include <QSet>

#include <optional>
#include <vector>

namespace velctl {

// Calls visit(provider, identifier, entry) for every service of every
// provider in the catalogue, identifier being the provider's bundle
// identifier as the user's settings spell it ("(null)" when it has none).
template <typename Visit> void forEachServiceOfTheVolume(Visit visit)
{
    for (const VelProviderPtr &provider : VelServiceCatalogue::shared().applications()) {
        const plist::ArrayPtr services = provider->services();
        if (!services)
            continue;
        const QString identifier = VelPbsIdentifier(provider->infoDictionary().get());
        for (const plist::Value &item : *services) {
            if (const plist::DictionaryPtr entry = item.toDictionary())
                visit(provider, identifier, entry);
        }
    }
}

struct ServiceState {
    std::optional<bool> enabled; // none: unknown (user scope)
    VelKeyCombination key;
    QString keyDescription;
    QString source; // "bundle", "user" or "default"
    QString pbsKey; // empty for a service without a title
    bool clash = false;
};

[[nodiscard]] QString scopeName(Scope scope);

class ScopedServiceStates {
public:
    // Loads the catalogue and, in user scope, the user's pbs.plist; false
    // when that cannot be read (the reason is written to err).
    [[nodiscard]] bool load(const GlobalOptions &options, Output &output);
    // After an edit: every state worked out again.
    void refresh();

    [[nodiscard]] Scope scope() const { return m_scope; }
    [[nodiscard]] ServiceState stateOf(const plist::DictionaryPtr &entry) const;
    [[nodiscard]] const std::vector<VelShortcutClash> &clashes() const { return m_clashes; }

    [[nodiscard]] VelPbsStatusFile &userStatus() { return m_userStatus; }
    [[nodiscard]] const QString &userStatusPath() const { return m_userStatusPath; }

private:
    [[nodiscard]] ServiceState computeState(const QString &identifier, const plist::DictionaryPtr &entry) const;

    Scope m_scope = Scope::System;
    VelPbsStatusFile m_userStatus;
    QString m_userStatusPath;
    QHash<const plist::Dictionary *, ServiceState> m_states;
    std::vector<VelShortcutClash> m_clashes;
};

// The home folder the options name, else the volume's.
[[nodiscard]] QString userHome(const GlobalOptions &options);

} // namespace velctl
