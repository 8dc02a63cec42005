// velmoractl providers, services, menu and status.

#include "CatalogueLookup.h"

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

QJsonObject serviceJson(const VelProviderPtr &provider, const plist::DictionaryPtr &entry)
{
    return QJsonObject {
        {u"title"_s, jsonText(serviceMenuItemTitle(entry))},
        {u"localizedTitle"_s, jsonText(provider->localizedMenuItemTitleOfService(entry))},
        {u"readablePath"_s, provider->readableMenuPathOfService(entry)},
        {u"enabled"_s, isServiceEnabled(entry)},
        {u"editable"_s, isServiceEditable(entry)},
        {u"keyEquivalent"_s, jsonText(serviceKeyEquivalent(entry))},
        {u"keyDescription"_s, serviceKeyEquivalentDescription(entry)},
        {u"originalTitle"_s, originalServiceMenuItemTitle(entry)},
        {u"originalKeyEquivalent"_s, originalServiceKeyEquivalent(entry)},
    };
}

int servicesCommand(const GlobalOptions &options, const QStringList &arguments, Output &output)
{
    loadedCatalogue(options);
    const VelProviderPtr provider = findProvider(arguments[0], output.err);
    if (!provider)
        return kUnknownItem;
    QJsonArray services;
    if (!options.json)
        output.out << provider->name() << " — " << provider->path() << '\n';
    for (const plist::Value &item : *provider->services()) {
        const plist::DictionaryPtr entry = item.toDictionary();
        if (options.json) {
            services.append(serviceJson(provider, entry));
            continue;
        }
        const QString key = serviceKeyEquivalentDescription(entry);
        output.out << (isServiceEnabled(entry) ? "[x] " : "[ ] ") << provider->readableMenuPathOfService(entry)
                   << (key.isEmpty() ? QString() : u"  "_s + key)
                   << (isServiceEditable(entry) ? QString() : u"  (not editable)"_s) << '\n';
    }
    if (options.json)
        output.printJson(
            QJsonObject {{u"name"_s, provider->name()}, {u"path"_s, provider->path()}, {u"services"_s, services}});
    return kSuccess;
}

QJsonArray menuJson(const plist::ArrayPtr &items)
{
    QJsonArray array;
    if (!items)
        return array;
    for (const plist::Value &item : *items) {
        const plist::DictionaryPtr d = item.toDictionary();
        if (isFolderNode(d)) {
            array.append(QJsonObject {{u"folder"_s, folderNodeName(d)}, {u"enabled"_s, folderHasEnabledService(d)},
                {u"children"_s, menuJson(folderNodeChildren(d))}});
            continue;
        }
        const VelProviderPtr owner = VelServiceCatalogue::shared().applicationForService(d);
        array.append(QJsonObject {{u"title"_s, owner->menuPathComponentsOfService(d).constLast()},
            {u"readablePath"_s, owner->readableMenuPathOfService(d)}, {u"provider"_s, owner->name()},
            {u"path"_s, owner->path()}, {u"enabled"_s, isServiceEnabled(d)}, {u"editable"_s, isServiceEditable(d)},
            {u"keyDescription"_s, serviceKeyEquivalentDescription(d)}});
    }
    return array;
}

void printMenu(QTextStream &out, const plist::ArrayPtr &items, int depth)
{
    const QString indent(depth * 4, u' ');
    if (!items)
        return;
    for (const plist::Value &item : *items) {
        const plist::DictionaryPtr d = item.toDictionary();
        if (isFolderNode(d)) {
            out << indent << (folderHasEnabledService(d) ? "[x] " : "[ ] ") << folderNodeName(d) << "/\n";
            printMenu(out, folderNodeChildren(d), depth + 1);
            continue;
        }
        const VelProviderPtr owner = VelServiceCatalogue::shared().applicationForService(d);
        const QString key = serviceKeyEquivalentDescription(d);
        out << indent << (isServiceEnabled(d) ? "[x] " : "[ ] ") << owner->menuPathComponentsOfService(d).constLast()
            << (key.isEmpty() ? QString() : u"  "_s + key) << "  (" << owner->name() << ")\n";
    }
}

int menuCommand(const GlobalOptions &options, Output &output)
{
    VelServiceCatalogue &catalogue = loadedCatalogue(options);
    if (options.json)
        output.printJson(menuJson(catalogue.services()));
    else
        printMenu(output.out, catalogue.services(), 0);
    return kSuccess;
}

int statusCommand(const GlobalOptions &options, Output &output)
{
    const QString text = loadedCatalogue(options).servicesStatusText();
    if (options.json)
        output.printJson(QJsonObject {{u"text"_s, text}});
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
