// velmoractl providers, services, menu and status.

#include "CatalogueLookup.h"
#include "ScopedServiceStates.h"

#include <model/VelServiceCatalogue.h>
#include <model/VelServiceEntry.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace velctl {

namespace {

QJsonValue jsonText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

int providersCommand(const GlobalOptions &options, Output &output)
{
    const VelServiceCatalogue &catalogue = loadedCatalogue(options);
    QJsonArray providers;
    for (const VelProviderPtr &p : catalogue.applications()) {
        const qsizetype count = p->services() ? p->services()->size() : 0;
        if (options.json) {
            providers.append(
                QJsonObject {{u"name"_s, p->name()}, {u"path"_s, p->path()}, {u"services"_s, qint64(count)},
                    {u"signed"_s, p->isSigned()}, {u"dirty"_s, p->isDirty()}, {u"revertable"_s, p->canRevert()}});
            continue;
        }
        output.out << p->name() << "  (" << count << (count == 1 ? " service" : " services")
                   << (p->isSigned() ? ", signed" : "") << (p->canRevert() ? ", changed by Velmora" : "") << ")\n"
                   << "    " << p->path() << '\n';
    }
    if (options.json)
        output.printJson(providers);
    return kSuccess;
}

QJsonValue jsonState(const std::optional<bool> &enabled)
{
    return enabled ? QJsonValue(*enabled) : QJsonValue(QJsonValue::Null);
}

QString checkMark(const std::optional<bool> &enabled)
{
    return enabled ? (*enabled ? u"[x] "_s : u"[ ] "_s) : u"[?] "_s;
}

QString keyText(const ServiceState &state)
{
    if (state.keyDescription.isEmpty())
        return QString();
    return u"  "_s + state.keyDescription + (state.clash ? u" (clash)"_s : QString());
}

// A service is editable in user scope when the Mac can key it: it has a
// title, and the bundle still offers it.
bool isEditableInScope(const ServiceState &state, const plist::DictionaryPtr &entry, Scope scope)
{
    if (scope == Scope::System)
        return isServiceEditable(entry);
    return !state.pbsKey.isEmpty() && state.source != u"bundle";
}

void addStateJson(QJsonObject &object, const ServiceState &state, Scope scope)
{
    object.insert(u"scope"_s, scopeName(scope));
    object.insert(u"enabled"_s, jsonState(state.enabled));
    object.insert(u"source"_s, state.source);
    object.insert(u"pbsKey"_s, state.pbsKey.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(state.pbsKey));
    object.insert(u"pbsKeyEquivalent"_s, state.key.pbsNotation());
    object.insert(u"keyDescription"_s, state.keyDescription);
    object.insert(u"clash"_s, state.clash);
}

QJsonObject serviceJson(
    const VelProviderPtr &provider, const plist::DictionaryPtr &entry, const ScopedServiceStates &states)
{
    const ServiceState state = states.stateOf(entry);
    QJsonObject object {
        {u"title"_s, jsonText(serviceMenuItemTitle(entry))},
        {u"localizedTitle"_s, jsonText(provider->localizedMenuItemTitleOfService(entry))},
        {u"readablePath"_s, provider->readableMenuPathOfService(entry)},
        {u"editable"_s, isEditableInScope(state, entry, states.scope())},
        {u"keyEquivalent"_s, jsonText(serviceKeyEquivalent(entry))},
        {u"originalTitle"_s, originalServiceMenuItemTitle(entry)},
        {u"originalKeyEquivalent"_s, originalServiceKeyEquivalent(entry)},
    };
    addStateJson(object, state, states.scope());
    return object;
}

int servicesCommand(const GlobalOptions &options, const QStringList &arguments, Output &output)
{
    ScopedServiceStates states;
    if (!states.load(options, output))
        return kFailure;
    const VelProviderPtr provider = findProvider(arguments[0], output.err);
    if (!provider)
        return kUnknownItem;
    QJsonArray services;
    if (!options.json)
        output.out << provider->name() << " — " << provider->path() << '\n';
    for (const plist::Value &item : *provider->services()) {
        const plist::DictionaryPtr entry = item.toDictionary();
        if (options.json) {
            services.append(serviceJson(provider, entry, states));
            continue;
        }
        const ServiceState state = states.stateOf(entry);
        output.out << checkMark(state.enabled) << provider->readableMenuPathOfService(entry) << keyText(state)
                   << (isEditableInScope(state, entry, options.scope) ? QString() : u"  (not editable)"_s) << '\n';
    }
    if (options.json)
        output.printJson(QJsonObject {{u"name"_s, provider->name()}, {u"path"_s, provider->path()},
            {u"scope"_s, scopeName(options.scope)}, {u"services"_s, services}});
    return kSuccess;
}

// A folder's mark: on when a direct child is an enabled service; in user
// scope unknown when none is and the state of some is unknown.
std::optional<bool> folderHasEnabledChild(const plist::DictionaryPtr &folder, const ScopedServiceStates &states)
{
    if (states.scope() == Scope::System)
        return folderHasEnabledService(folder);
    const plist::ArrayPtr children = folderNodeChildren(folder);
    if (!children)
        return false;
    std::optional<bool> mark = false;
    for (const plist::Value &child : *children) {
        const plist::DictionaryPtr d = child.toDictionary();
        if (isFolderNode(d))
            continue;
        const std::optional<bool> enabled = states.stateOf(d).enabled;
        if (enabled == true)
            return true;
        if (!enabled)
            mark = std::nullopt;
    }
    return mark;
}

QJsonArray menuJson(const plist::ArrayPtr &items, const ScopedServiceStates &states)
{
    QJsonArray array;
    if (!items)
        return array;
    for (const plist::Value &item : *items) {
        const plist::DictionaryPtr d = item.toDictionary();
        if (isFolderNode(d)) {
            array.append(QJsonObject {{u"folder"_s, folderNodeName(d)},
                {u"enabled"_s, jsonState(folderHasEnabledChild(d, states))},
                {u"children"_s, menuJson(folderNodeChildren(d), states)}});
            continue;
        }
        const VelProviderPtr owner = VelServiceCatalogue::shared().applicationForService(d);
        const ServiceState state = states.stateOf(d);
        QJsonObject object {{u"title"_s, owner->menuPathComponentsOfService(d).constLast()},
            {u"readablePath"_s, owner->readableMenuPathOfService(d)}, {u"provider"_s, owner->name()},
            {u"path"_s, owner->path()}, {u"editable"_s, isEditableInScope(state, d, states.scope())}};
        addStateJson(object, state, states.scope());
        array.append(object);
    }
    return array;
}

void printMenu(QTextStream &out, const plist::ArrayPtr &items, int depth, const ScopedServiceStates &states)
{
    const QString indent(depth * 4, u' ');
    if (!items)
        return;
    for (const plist::Value &item : *items) {
        const plist::DictionaryPtr d = item.toDictionary();
        if (isFolderNode(d)) {
            out << indent << checkMark(folderHasEnabledChild(d, states)) << folderNodeName(d) << "/\n";
            printMenu(out, folderNodeChildren(d), depth + 1, states);
            continue;
        }
        const VelProviderPtr owner = VelServiceCatalogue::shared().applicationForService(d);
        const ServiceState state = states.stateOf(d);
        out << indent << checkMark(state.enabled) << owner->menuPathComponentsOfService(d).constLast() << keyText(state)
            << "  (" << owner->name() << ")\n";
    }
}

int menuCommand(const GlobalOptions &options, Output &output)
{
    ScopedServiceStates states;
    if (!states.load(options, output))
        return kFailure;
    const plist::ArrayPtr &tree = VelServiceCatalogue::shared().services();
    if (options.json)
        output.printJson(menuJson(tree, states));
    else
        printMenu(output.out, tree, 0, states);
    return kSuccess;
}

// "N services", "E of N services", and how many are unknown.
QString userStatusText(int enabled, int total, int unknown)
{
    QString text = enabled == total ? u"%1 services"_s.arg(total) : u"%1 of %2 services"_s.arg(enabled).arg(total);
    if (unknown > 0)
        text += u", %1 unknown"_s.arg(unknown);
    return text;
}

int userStatusCommand(const GlobalOptions &options, Output &output)
{
    ScopedServiceStates states;
    if (!states.load(options, output))
        return kFailure;
    int total = 0;
    int enabled = 0;
    int unknown = 0;
    for (const VelProviderPtr &provider : VelServiceCatalogue::shared().applications()) {
        for (const plist::Value &item : *provider->services()) {
            const ServiceState state = states.stateOf(item.toDictionary());
            if (state.pbsKey.isEmpty())
                continue;
            ++total;
            enabled += state.enabled == true;
            unknown += !state.enabled.has_value();
        }
    }
    const QString text = userStatusText(enabled, total, unknown);
    if (options.json)
        output.printJson(QJsonObject {{u"text"_s, text}, {u"scope"_s, u"user"_s}, {u"services"_s, total},
            {u"enabled"_s, enabled}, {u"unknown"_s, unknown}});
    else
        output.out << text << '\n';
    return kSuccess;
}

int statusCommand(const GlobalOptions &options, Output &output)
{
    if (options.scope == Scope::User)
        return userStatusCommand(options, output);
    const QString text = loadedCatalogue(options).servicesStatusText();
    if (options.json)
        output.printJson(QJsonObject {{u"text"_s, text}, {u"scope"_s, u"system"_s}});
    else
        output.out << text << '\n';
    return kSuccess;
}

} // namespace

int runProvidersCommand(const GlobalOptions &options, const QStringList &)
{
    Output output;
    return providersCommand(options, output);
}

int runServicesCommand(const GlobalOptions &options, const QStringList &arguments)
{
    Output output;
    return servicesCommand(options, arguments, output);
}

int runMenuCommand(const GlobalOptions &options, const QStringList &)
{
    Output output;
    return menuCommand(options, output);
}

int runStatusCommand(const GlobalOptions &options, const QStringList &)
{
    Output output;
    return statusCommand(options, output);
}

} // namespace velctl
