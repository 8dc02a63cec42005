// velmoractl's edits: each loads the catalogue, applies one edit in memory and
// saves through the worker, or with --dry-run prints the change list that
// would be written and changes nothing.

#include "CatalogueLookup.h"
#include "RenameCarryOver.h"
#include "UserEdits.h"

#include <controller/VelSaveChanges.h>
#include <model/VelChangeList.h>
#include <model/VelServiceEntry.h>
#include <plist/PropertyList.h>

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace velctl {

namespace {

// Why the entry may not be edited, or an empty text when it may.
QString whyNotEditable(const VelProviderPtr &provider, const plist::DictionaryPtr &entry)
{
    if (isServiceEditable(entry))
        return QString();
    if (!serviceMenuItemTitle(entry))
        return u"the service has no menu item title"_s;
    return u"%1 is code-signed and \"Edit Signed Applications\" is off"_s.arg(provider->name());
}

// The providers an "-all" command or revert works on: one, or every provider.
bool selectedProviders(const QStringList &arguments, Output &output, std::vector<VelProviderPtr> *providers)
{
    if (arguments.isEmpty()) {
        *providers = VelServiceCatalogue::shared().applications();
        return true;
    }
    const VelProviderPtr provider = findProvider(arguments[0], output.err);
    if (!provider)
        return false;
    providers->push_back(provider);
    return true;
}

int editOneService(const QString &command, const QStringList &arguments, RenameCarryOver &carryOver,
    const GlobalOptions &options, Output &output)
{
    const auto [provider, entry] = findProviderService(arguments[0], arguments[1], output.err);
    if (!entry)
        return kUnknownItem;
    const QString why = whyNotEditable(provider, entry);
    if (!why.isEmpty()) {
        output.err << "velmoractl: cannot edit \"" << arguments[1] << "\": " << why << '\n';
        return kNotEditable;
    }
    VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
    if (command == u"enable" || command == u"disable")
        setServiceEnabled(entry, command == u"enable");
    else if (command == u"rename") {
        if (!carryOver.prepare(options, provider, entry, output))
            return kFailure;
        catalogue.setMenuPathOfService(entry, arguments[2]);
        carryOver.afterRename(options, entry, output);
    } else if (command == u"shortcut")
        setServiceKeyEquivalent(entry, arguments[2]);
    return kSuccess;
}

int editProviders(const QString &command, const QStringList &arguments, Output &output)
{
    std::vector<VelProviderPtr> providers;
    if (!selectedProviders(arguments, output, &providers))
        return kUnknownItem;
    for (const VelProviderPtr &provider : providers) {
        if (command == u"revert") {
            provider->revert();
            continue;
        }
        for (const plist::Value &item : *provider->services())
            setServiceEnabled(item.toDictionary(), command == u"enable-all");
    }
    VelServiceCatalogue::shared().rebuildServiceMenuRepresentation();
    return kSuccess;
}

QString outcomeName(VelSaveOutcome outcome)
{
    switch (outcome) {
    case VelSaveOutcome::NothingToSave:
        return u"nothing-to-save"_s;
    case VelSaveOutcome::WorkerMissing:
        return u"worker-missing"_s;
    case VelSaveOutcome::ChangeListNotWritten:
        return u"change-list-not-written"_s;
    case VelSaveOutcome::AuthorizationFailed:
        return u"authorization-failed"_s;
    case VelSaveOutcome::NotAuthorized:
        return u"not-authorized"_s;
    case VelSaveOutcome::Incomplete:
        return u"incomplete"_s;
    case VelSaveOutcome::Saved:
        return u"saved"_s;
    }
    return QString();
}

QString outcomeText(const VelSaveResult &result)
{
    switch (result.outcome) {
    case VelSaveOutcome::NothingToSave:
        return u"nothing to save"_s;
    case VelSaveOutcome::WorkerMissing:
        return u"the worker program is missing from the application's resources"_s;
    case VelSaveOutcome::ChangeListNotWritten:
        return u"the change list could not be written"_s;
    case VelSaveOutcome::AuthorizationFailed:
        return u"administrator rights could not be requested"_s;
    case VelSaveOutcome::NotAuthorized:
        return u"administrator rights were not granted, or the worker did not start"_s;
    case VelSaveOutcome::Incomplete:
        return u"the worker confirmed %1 of %2 changed providers"_s.arg(result.confirmed).arg(result.entries);
    case VelSaveOutcome::Saved:
        return u"saved %1 %2"_s.arg(result.entries).arg(result.entries == 1 ? u"provider"_s : u"providers"_s);
    }
    return QString();
}

int save(const GlobalOptions &options, Output &output)
{
    const VelSaveResult result = VelSaveChanges(VelServiceCatalogue::shared());
    if (options.json) {
        const QJsonObject object {{u"scope"_s, u"system"_s}, {u"entries"_s, qint64(result.entries)},
            {u"confirmed"_s, qint64(result.confirmed)}, {u"result"_s, outcomeName(result.outcome)}};
        output.out << QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else if (result.outcome == VelSaveOutcome::Saved || result.outcome == VelSaveOutcome::NothingToSave) {
        output.out << outcomeText(result) << '\n';
    }
    if (result.providerVanished)
        output.err << "velmoractl: a changed provider's Info.plist has disappeared; it was not saved\n";
    if (result.outcome == VelSaveOutcome::Saved || result.outcome == VelSaveOutcome::NothingToSave)
        return result.providerVanished ? kSaveFailed : kSuccess;
    output.err << "velmoractl: save failed: " << outcomeText(result) << '\n';
    return kSaveFailed;
}

// The command line has checked the number of arguments.
int runEdit(const char *command, const GlobalOptions &options, const QStringList &arguments)
{
    const QString name = QLatin1String(command);
    if (options.scope == Scope::User) {
        if (name == u"rename") {
            printError(u"rename changes the bundle itself and has no user scope; use --scope system"_s);
            return kUsage;
        }
        return runUserEdit(name, options, arguments);
    }
    Output output;
    loadedCatalogue(options);
    RenameCarryOver carryOver;
    const bool allServices = name == u"enable-all" || name == u"disable-all" || name == u"revert";
    const int status = allServices ? editProviders(name, arguments, output)
                                   : editOneService(name, arguments, carryOver, options, output);
    if (status != kSuccess)
        return status;
    if (options.dryRun) {
        output.out << plist::writeXml(VelCollectChanges(VelServiceCatalogue::shared().applications()).entries);
        return kSuccess;
    }
    const int saved = save(options, output);
    return saved == kSuccess ? carryOver.finish(options, output) : saved;
}

} // namespace

int runEnableCommand(const GlobalOptions &options, const QStringList &arguments)
{
    return runEdit("enable", options, arguments);
}

int runDisableCommand(const GlobalOptions &options, const QStringList &arguments)
{
    return runEdit("disable", options, arguments);
}

int runRenameCommand(const GlobalOptions &options, const QStringList &arguments)
{
    return runEdit("rename", options, arguments);
}

int runShortcutCommand(const GlobalOptions &options, const QStringList &arguments)
{
    return runEdit("shortcut", options, arguments);
}

int runEnableAllCommand(const GlobalOptions &options, const QStringList &arguments)
{
    return runEdit("enable-all", options, arguments);
}

int runDisableAllCommand(const GlobalOptions &options, const QStringList &arguments)
{
    return runEdit("disable-all", options, arguments);
}

int runRevertCommand(const GlobalOptions &options, const QStringList &arguments)
{
    return runEdit("revert", options, arguments);
}

} // namespace velctl
