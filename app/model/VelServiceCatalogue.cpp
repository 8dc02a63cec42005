#include "VelServiceCatalogue.h"

#include "VelServiceEntry.h"
#include "VelServiceKeys.h"
#include "VelServiceSorting.h"

#include <bundles/VelBundle.h>
#include <defaults/VelUserDefaults.h>
#include <files/VelMacVolume.h>
#include <util/VelFormat.h>
#include <util/VelPathUtilities.h>
#include <workspace/VelWorkspace.h>

#include <QFile>
#include <QHash>

#include <sys/stat.h>

#include <unordered_map>

namespace {

// Exists and is a folder, links followed.
bool isFolder(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

size_t VelPathHash::operator()(const QString &path) const
{
    return size_t(qHash(path));
}

VelServiceCatalogue &VelServiceCatalogue::shared()
{
    static VelServiceCatalogue singletonCatalogue;
    return singletonCatalogue;
}

void VelServiceCatalogue::setApplications(std::vector<VelProviderPtr> providers)
{
    releaseApplications();
    m_applications = std::move(providers);
    m_ownerIndex.clear();
    for (const VelProviderPtr &provider : m_applications)
        provider->setLookupPass(m_lookupPass);
}

// Providers that leave the list may live on elsewhere; outside the
// catalogue's operations they check their files on every lookup again.
void VelServiceCatalogue::releaseApplications()
{
    for (const VelProviderPtr &provider : m_applications)
        provider->setLookupPass(0);
    m_applications.clear();
}

void VelServiceCatalogue::setLookupPass(quint64 pass)
{
    m_lookupPass = pass;
    for (const VelProviderPtr &provider : m_applications)
        provider->setLookupPass(pass);
}

// Marks a catalogue operation while it runs; operations started inside
// another belong to the outer one.
class VelServiceCatalogue::LookupPass {
public:
    explicit LookupPass(VelServiceCatalogue &catalogue)
        : m_catalogue(catalogue)
    {
        if (m_catalogue.m_lookupPassDepth++ == 0)
            m_catalogue.setLookupPass(++m_catalogue.m_lastLookupPass);
    }
    ~LookupPass()
    {
        if (--m_catalogue.m_lookupPassDepth == 0)
            m_catalogue.setLookupPass(0);
    }
    LookupPass(const LookupPass &) = delete;
    LookupPass &operator=(const LookupPass &) = delete;

private:
    VelServiceCatalogue &m_catalogue;
};

void VelServiceCatalogue::reloadApplications(const VelDiscoveryProgress &progress)
{
    const LookupPass pass(*this);
    // Every provider's display name and resource lookup reads the global
    // domain; one check of its file serves the whole discovery.
    const VelUserDefaults::ReadBatch globalDefaults(VelUserDefaults::globalUserDefaults());
    releaseApplications();
    m_ownerIndex.clear();
    VelPathSet seenPaths;
    if (progress.showStatus)
        progress.showStatus(VelLocalizedString(QStringLiteral("Looking for service providers...")));

    const QString trashPrefix = VelMacVolume::home() + QStringLiteral("/.Trash");
    const QString printCenter = VelMacVolume::macPath(QStringLiteral("/Applications/Utilities/Print Center.app"));
    // The application list holds only folders (or links to them), so the
    // "is a folder" test is settled when it is made; a bundle that vanished
    // since simply has no Info.plist to read.
    for (const QString &path : VelWorkspace::allApplicationPaths()) {
        if (path == printCenter || path.startsWith(trashPrefix) || seenPaths.contains(path))
            continue;
        if (addProviderOffering(path, seenPaths) && progress.advance)
            progress.advance();
    }

    for (const char *folder : {"/System/Library/Services", "/Library/Services"})
        addServicesFromDirectory(VelMacVolume::macPath(QString::fromLatin1(folder)), seenPaths);
    addServicesFromDirectory(QStringLiteral("~/Library/Services"), seenPaths);

    if (VelUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("Boot Volume Services Only"))) {
        const QString otherVolumes = VelMacVolume::macPath(QStringLiteral("/Volumes/"));
        std::erase_if(m_applications, [&](const VelProviderPtr &p) { return p->path().startsWith(otherVolumes); });
    }
    VelSortApplicationList(m_applications);
}

void VelServiceCatalogue::addServicesFromDirectory(const QString &folder, VelPathSet &seenPaths)
{
    for (const QString &path : directoryContentPaths(VelMacVolume::expandTilde(folder))) {
        if (seenPaths.contains(path) || !isFolder(path) || isAliasPath(path)
            || !VelWorkspace::hasPackageExtension(path.section(u'/', -1)))
            continue;
        addProviderOffering(path, seenPaths);
    }
}

bool VelServiceCatalogue::addProviderOffering(const QString &path, VelPathSet &seenPaths)
{
    const VelProviderPtr provider = std::make_shared<VelFileRepresentation>(path);
    provider->setLookupPass(m_lookupPass);
    if (!provider->services())
        return false;
    m_applications.push_back(provider);
    seenPaths.insert(path);
    return true;
}

VelProviderPtr VelServiceCatalogue::indexedOwnerOf(const plist::DictionaryPtr &entry) const
{
    const VelProviderPtr owner = m_ownerIndex.value(entry.get());
    if (!owner)
        return nullptr;
    // The index may be stale (a provider re-read its list); only the list
    // itself can say that it holds this very entry.
    const plist::ArrayPtr list = owner->services();
    if (!list)
        return nullptr;
    for (const plist::Value &item : *list) {
        if (item.toDictionary() == entry)
            return owner;
    }
    return nullptr;
}

VelProviderPtr VelServiceCatalogue::applicationForService(const plist::DictionaryPtr &entry) const
{
    if (!entry)
        return nullptr;
    if (VelProviderPtr owner = indexedOwnerOf(entry))
        return owner;
    m_ownerIndex.clear();
    for (const VelProviderPtr &provider : m_applications) {
        const plist::ArrayPtr list = provider->services();
        if (!list)
            continue;
        for (const plist::Value &item : *list) {
            const plist::Dictionary *held = item.toDictionary().get();
            if (held && !m_ownerIndex.contains(held))
                m_ownerIndex.insert(held, provider);
        }
    }
    return indexedOwnerOf(entry);
}

void VelServiceCatalogue::setMenuPathOfService(const plist::DictionaryPtr &entry, const QString &menuPath)
{
    const VelProviderPtr owner = applicationForService(entry);
    if (!owner)
        return;
    const LookupPass pass(*this);
    const bool isUnchangedTranslation = menuPath == owner->originalLocalizedMenuItemTitleOfService(entry);
    setServiceMenuItemTitle(entry, isUnchangedTranslation ? originalServiceMenuItemTitle(entry) : menuPath);
    for (const VelProviderPtr &provider : m_applications)
        VelSortServiceList(provider->services(), provider.get());
    rebuildServiceMenuRepresentation();
}

void VelServiceCatalogue::forEachTitledEntry(
    const std::function<void(const VelProviderPtr &, const plist::DictionaryPtr &)> &visit) const
{
    for (const VelProviderPtr &provider : m_applications) {
        const plist::ArrayPtr list = provider->services();
        if (!list)
            continue;
        for (const plist::Value &item : *list) {
            const plist::DictionaryPtr entry = item.toDictionary();
            if (entry && serviceMenuItemTitle(entry))
                visit(provider, entry);
        }
    }
}

void VelServiceCatalogue::rebuildServiceMenuRepresentation(const std::function<void()> &betweenSteps)
{
    const LookupPass pass(*this);
    // Refilled in place: views and models hold this very list.
    m_services->clear();
    // Every folder of the tree is made here, so an index of the folders made
    // finds a submenu without walking its level: each level is keyed by the
    // list it is, and a name keeps its first folder.
    std::unordered_map<const plist::Array *, QHash<QString, plist::ArrayPtr>> foldersByLevel;
    const VelProviderPtr *last = nullptr;
    forEachTitledEntry([&](const VelProviderPtr &provider, const plist::DictionaryPtr &entry) {
        if (&provider != last && last && betweenSteps)
            betweenSteps();
        last = &provider;
        const QStringList components = provider->menuPathComponentsOfService(entry);
        plist::ArrayPtr level = m_services;
        for (qsizetype i = 0; i + 1 < components.size(); ++i) {
            plist::ArrayPtr &children = foldersByLevel[level.get()][components[i]];
            if (!children) {
                const plist::DictionaryPtr folder = makeFolderNode(components[i]);
                level->append(folder);
                children = folderNodeChildren(folder);
            }
            level = children;
        }
        level->append(entry);
    });
    if (betweenSteps)
        betweenSteps();
    VelSortServiceList(m_services, nullptr);
}

QString VelServiceCatalogue::servicesStatusText() const
{
    int total = 0;
    int enabled = 0;
    forEachTitledEntry([&](const VelProviderPtr &, const plist::DictionaryPtr &entry) {
        ++total;
        if (isServiceEnabled(entry))
            ++enabled;
    });
    if (enabled <= 0 || enabled == total)
        return VelFormat(VelLocalizedString(QStringLiteral("%d services")), {QString::number(total)});
    return VelFormat(
        VelLocalizedString(QStringLiteral("%d of %d services")), {QString::number(enabled), QString::number(total)});
}
