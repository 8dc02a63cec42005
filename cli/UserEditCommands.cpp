// velmoractl's edits in user scope. A service is found as in system scope;
// its setting is the pbs.plist entry under its key, which the edit makes,
// changes or (revert) removes. Signed bundles are no obstacle here.

#include "CatalogueLookup.h"
#include "ScopedServiceStates.h"
#include "UserEdits.h"
#include "UserSettingsOutput.h"

#include <model/VelKeyEquivalentNotation.h>
#include <model/VelServiceEntry.h>

using namespace Qt::StringLiterals;

namespace velctl {

namespace {

// Why the service has no setting of its own, or an empty text when it may.
QString whyNotEditable(const ServiceState &state)
{
    if (state.pbsKey.isEmpty())
        return u"the service has no menu item title"_s;
    if (state.source == u"bundle")
        return u"the bundle itself no longer offers it; enable it with --scope system first"_s;
    return QString();
}

int editOneService(const QString &command, const QStringList &arguments, ScopedServiceStates &states, Output &output)
{
    const auto [provider, entry] = findProviderService(arguments[0], arguments[1], output.err);
    if (!entry)
        return kUnknownItem;
    const ServiceState state = states.stateOf(entry);
    const QString why = whyNotEditable(state);
    if (!why.isEmpty()) {
        output.err << "velmoractl: cannot edit \"" << arguments[1] << "\": " << why << '\n';
        return kNotEditable;
    }
    VelPbsStatusFile &status = states.userStatus();
    if (command == u"shortcut") {
        const std::optional<VelKeyCombination> key = VelKeyCombinationFromUserText(arguments[2]);
        if (!key) {
            output.err << "velmoractl: \"" << arguments[2]
                       << "\" is no key: give one character, or modifiers \"@$~^\" and a key (\"@$m\")\n";
            return kUsage;
        }
        status.setKeyEquivalent(state.pbsKey, key->pbsNotation());
    } else {
        status.setEnabled(state.pbsKey, command == u"enable");
    }
    return kSuccess;
}

int editProviders(const QString &command, const QStringList &arguments, ScopedServiceStates &states, Output &output)
{
    std::vector<VelProviderPtr> providers;
    if (arguments.isEmpty()) {
        providers = VelServiceCatalogue::shared().applications();
    } else if (const VelProviderPtr provider = findProvider(arguments[0], output.err)) {
        providers.push_back(provider);
    } else {
        return kUnknownItem;
    }
    VelPbsStatusFile &status = states.userStatus();
    for (const VelProviderPtr &provider : providers) {
        for (const plist::Value &item : *provider->services()) {
            const ServiceState state = states.stateOf(item.toDictionary());
            if (command == u"revert") {
                if (!state.pbsKey.isEmpty())
                    status.removeEntry(state.pbsKey);
            } else if (whyNotEditable(state).isEmpty()) {
                status.setEnabled(state.pbsKey, command == u"enable-all");
            }
        }
    }
    return kSuccess;
}

} // namespace

int runUserEdit(const QString &command, const GlobalOptions &options, const QStringList &arguments)
{
    Output output;
    ScopedServiceStates states;
    if (!states.load(options, output))
        return kFailure;
    const bool allServices = command == u"enable-all" || command == u"disable-all" || command == u"revert";
    const int status = allServices ? editProviders(command, arguments, states, output)
                                   : editOneService(command, arguments, states, output);
    if (status != kSuccess)
        return status;
    return writeUserSettings(options, states.userStatus(), states.userStatusPath(), output);
}

} // namespace velctl
