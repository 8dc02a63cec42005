#include "CatalogueLookup.h"

#include <model/VelServiceEntry.h>

#include <files/VelMacVolume.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <functional>

namespace velctl {

Output::Output()
    : out(stdout)
    , err(stderr)
{
}

Output::~Output()
{
    out.flush();
    err.flush();
}

void Output::printJson(const QJsonValue &value)
{
    const QJsonDocument document = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    out << document.toJson(QJsonDocument::Indented);
}

VelServiceCatalogue &loadedCatalogue(const GlobalOptions &options)
{
    static bool loaded = false;
    VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
    if (!loaded) {
        if (!options.root.isEmpty())
            VelMacVolume::setRootOverride(QDir(options.root).absolutePath());
        if (!options.home.isEmpty())
            VelMacVolume::setHomeOverride(QDir(options.home).absolutePath());
        catalogue.reloadApplications();
        catalogue.rebuildServiceMenuRepresentation();
        loaded = true;
    }
    return catalogue;
}

VelProviderPtr findProvider(const QString &nameOrPath, QTextStream &err)
{
    const QString asPath = QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(nameOrPath));
    std::vector<VelProviderPtr> byName;
    for (const VelProviderPtr &p : VelServiceCatalogue::shared().applications()) {
        if (p->path() == nameOrPath || p->path() == asPath)
            return p;
        if (p->name() == nameOrPath)
            byName.push_back(p);
    }
    if (byName.size() == 1)
        return byName.front();
    if (byName.empty()) {
        err << "velmoractl: no provider named or at \"" << nameOrPath << "\"\n";
        return nullptr;
    }
    err << "velmoractl: several providers are named \"" << nameOrPath << "\"; give one of their paths:\n";
    for (const VelProviderPtr &p : byName)
        err << "    " << p->path() << '\n';
    return nullptr;
}

plist::DictionaryPtr findService(const VelProviderPtr &provider, const QString &text, QTextStream &err)
{
    using Key = std::function<std::optional<QString>(const plist::DictionaryPtr &)>;
    const Key keys[] = {
        [](const plist::DictionaryPtr &e) { return serviceMenuItemTitle(e); },
        [&](const plist::DictionaryPtr &e) { return provider->localizedMenuItemTitleOfService(e); },
        [&](const plist::DictionaryPtr &e) { return std::optional<QString>(provider->readableMenuPathOfService(e)); },
        [&](const plist::DictionaryPtr &e) {
            return std::optional<QString>(provider->menuPathComponentsOfService(e).constLast());
        },
    };
    for (const Key &key : keys) {
        std::vector<plist::DictionaryPtr> matches;
        for (const plist::Value &item : *provider->services()) {
            const plist::DictionaryPtr entry = item.toDictionary();
            if (key(entry) == text)
                matches.push_back(entry);
        }
        if (matches.size() == 1)
            return matches.front();
        if (matches.size() > 1) {
            err << "velmoractl: " << provider->name() << " has " << matches.size() << " services matching \"" << text
                << "\":\n";
            for (const plist::DictionaryPtr &entry : matches)
                err << "    " << provider->readableMenuPathOfService(entry) << '\n';
            return nullptr;
        }
    }
    err << "velmoractl: " << provider->name() << " has no service \"" << text << "\"\n";
    return nullptr;
}

ProviderService findProviderService(const QString &providerText, const QString &serviceText, QTextStream &err)
{
    const VelProviderPtr provider = findProvider(providerText, err);
    return {provider, provider ? findService(provider, serviceText, err) : nullptr};
}

} // namespace velctl
