// velmoractl stale and prune: the user's settings that no service on the
// volume answers to any more. They concern the user's pbs.plist alone,
// whatever scope is named.

#include "CatalogueLookup.h"
#include "ScopedServiceStates.h"
#include "UserSettingsOutput.h"

#include <model/VelServiceKeys.h>
#include <model/VelStaleUserEntries.h>
#include <model/VelUserServiceState.h>

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace velctl {

namespace {

VelVolumeServiceKeys volumeServiceKeys()
{
    VelVolumeServiceKeys volume;
    forEachServiceOfTheVolume(
        [&volume](const VelProviderPtr &, const QString &identifier, const plist::DictionaryPtr &entry) {
            if (const std::optional<QString> key = VelPbsServiceKey(identifier, entry))
                volume.keys.insert(*key);
            if (const QString *message = entry->value(VelKey::Message).asString())
                volume.messages.insert(*message);
        });
    return volume;
}

QJsonObject staleJson(const QString &key)
{
    QJsonObject object {{u"pbsKey"_s, key}};
    if (const std::optional<VelPbsKeyParts> parts = VelSplitPbsServiceKey(key)) {
        object.insert(u"identifier"_s, parts->identifier);
        object.insert(u"title"_s, parts->title);
        object.insert(u"message"_s, parts->message);
    }
    return object;
}

// The states in user scope, whatever the options say.
bool loadUserStates(const GlobalOptions &options, ScopedServiceStates &states, Output &output)
{
    GlobalOptions userOptions = options;
    userOptions.scope = Scope::User;
    return states.load(userOptions, output);
}

} // namespace

int runStaleCommand(const GlobalOptions &options, const QStringList &)
{
    Output output;
    ScopedServiceStates states;
    if (!loadUserStates(options, states, output))
        return kFailure;
    const QStringList stale = VelStaleUserEntryKeys(states.userStatus(), volumeServiceKeys());
    if (options.json) {
        QJsonArray array;
        for (const QString &key : stale)
            array.append(staleJson(key));
        output.printJson(
            QJsonObject {{u"scope"_s, u"user"_s}, {u"path"_s, states.userStatusPath()}, {u"stale"_s, array}});
        return kSuccess;
    }
    for (const QString &key : stale)
        output.out << key << '\n';
    return kSuccess;
}

int runPruneCommand(const GlobalOptions &options, const QStringList &)
{
    Output output;
    ScopedServiceStates states;
    if (!loadUserStates(options, states, output))
        return kFailure;
    VelPbsStatusFile &status = states.userStatus();
    const QStringList stale = VelStaleUserEntryKeys(status, volumeServiceKeys());
    for (const QString &key : stale)
        status.removeEntry(key);
    if (!options.dryRun && !options.json && !stale.isEmpty())
        output.out << "removing " << stale.size() << (stale.size() == 1 ? " stale entry\n" : " stale entries\n");
    return writeUserSettings(options, status, states.userStatusPath(), output);
}

} // namespace velctl
