// The whole catalogue on a small Mac volume made from the input: discovery,
// the tree, every entry query, change tracking, the dictionary for saving,
// the change list, and an edit of every editable entry.
//
// The input is cut at every "\n@@\n" into up to eight parts: the Info.plist
// and the ServicesMenu.strings of four bundles (two applications, a service
// and an Automator workflow). Each part is written as it is, so the readers
// see whatever format its bytes are in. The second application's strings go
// to a localisation folder, the others' to Resources.
#include <model/VelChangeList.h>
#include <model/VelFileRepresentation.h>
#include <model/VelServiceCatalogue.h>
#include <model/VelServiceEntry.h>

#include <files/VelMacVolume.h>
#include <log/VelLog.h>
#include <plist/PropertyList.h>

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

struct BundleFiles {
    const char *bundle;
    const char *stringsFolder;
};

constexpr BundleFiles kBundles[] = {
    {"/Applications/Able.app", "Resources"},
    {"/Applications/Utilities/Baker.app", "Resources/English.lproj"},
    {"/Library/Services/Cook.service", "Resources"},
    {"/Users/fuzz/Library/Services/Dye.workflow", "Resources"},
};

QList<QByteArrayView> partsOf(QByteArrayView input)
{
    constexpr QByteArrayView separator("\n@@\n");
    QList<QByteArrayView> parts;
    while (parts.size() < 7) {
        const qsizetype at = input.indexOf(separator);
        if (at < 0)
            break;
        parts.append(input.first(at));
        input = input.sliced(at + separator.size());
    }
    parts.append(input);
    return parts;
}

void writeFile(const QString &path, QByteArrayView bytes)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
}

// The volume lives as long as the process; each input replaces its files.
const QString &volumeRoot()
{
    static QTemporaryDir *singletonVolume = [] {
        auto *dir = new QTemporaryDir;
        if (!dir->isValid())
            std::abort();
        VelMacVolume::setRootOverride(dir->path());
        VelMacVolume::setHomeOverride(dir->path() + QStringLiteral("/Users/fuzz"));
        // No signature tool: every provider counts as unsigned and editable.
        qputenv("VELMORA_CODESIGN", QFile::encodeName(dir->path() + QStringLiteral("/no-codesign")));
        return dir;
    }();
    static const QString root = singletonVolume->path();
    return root;
}

void layOutVolume(QByteArrayView input)
{
    const QString &root = volumeRoot();
    for (const BundleFiles &b : kBundles)
        QDir(root + QLatin1String(b.bundle)).removeRecursively();
    const QList<QByteArrayView> parts = partsOf(input);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const BundleFiles &b = kBundles[i / 2];
        const QString bundle = root + QLatin1String(b.bundle) + QStringLiteral("/Contents/");
        if (i % 2 == 0)
            writeFile(bundle + QStringLiteral("Info.plist"), parts[i]);
        else
            writeFile(bundle + QLatin1String(b.stringsFolder) + QStringLiteral("/ServicesMenu.strings"), parts[i]);
    }
}

// Every titled entry of the providers is in the tree exactly once.
void checkTree(const plist::ArrayPtr &items, std::set<const plist::Dictionary *> &seen, int depth)
{
    if (!items || depth > plist::kMaxDepth)
        std::abort();
    for (const plist::Value &item : *items) {
        const plist::DictionaryPtr d = item.toDictionary();
        if (!d)
            std::abort();
        if (isFolderNode(d)) {
            (void)folderNodeName(d);
            (void)folderHasEnabledService(d);
            (void)containsEditableService(d);
            checkTree(folderNodeChildren(d), seen, depth + 1);
        } else if (!seen.insert(d.get()).second || !VelServiceCatalogue::shared().applicationForService(d)) {
            std::abort();
        }
    }
}

void askEverything(const VelProviderPtr &provider, const plist::DictionaryPtr &entry)
{
    (void)serviceMenuItemTitle(entry);
    (void)originalServiceMenuItemTitle(entry);
    (void)VelServiceKeyEquivalentDescription(serviceKeyEquivalent(entry));
    (void)originalServiceKeyEquivalent(entry);
    (void)serviceKeyEquivalentDescription(entry);
    (void)isServiceEnabled(entry);
    (void)isServiceEditable(entry);
    (void)provider->localizedMenuItemTitleOfService(entry);
    (void)provider->originalLocalizedMenuItemTitleOfService(entry);
    (void)provider->menuPathComponentsOfService(entry);
    (void)provider->readableMenuPathOfService(entry);
}

void askProvider(const VelProviderPtr &provider)
{
    (void)provider->name();
    (void)provider->infoDictionaryPath();
    (void)provider->isDirty();
    (void)provider->hasBeenDirtyBefore();
    (void)provider->canRevert();
    if (const plist::DictionaryPtr cleaned = provider->cleanedInfoDictionaryForSaving())
        (void)plist::writeXml(cleaned);
}

void editEveryEntry(VelServiceCatalogue &catalogue, const VelProviderPtr &provider)
{
    const plist::ArrayPtr list = provider->services();
    if (!list)
        return;
    // The list is sorted again by a new title, so edit a snapshot of it.
    const std::vector<plist::Value> entries = list->items();
    for (const plist::Value &item : entries) {
        const plist::DictionaryPtr entry = item.toDictionary();
        if (!entry || !isServiceEditable(entry))
            continue;
        setServiceEnabled(entry, !isServiceEnabled(entry));
        setServiceKeyEquivalent(entry, QStringLiteral("K"));
        const QString path = provider->readableMenuPathOfService(entry);
        catalogue.setMenuPathOfService(entry, QStringLiteral("Fuzzed/") + path.right(8));
        askEverything(provider, entry);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const VelLogCapture quietLog;
    layOutVolume(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));

    VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
    catalogue.reloadApplications();
    catalogue.rebuildServiceMenuRepresentation();
    (void)catalogue.servicesStatusText();
    std::set<const plist::Dictionary *> inTree;
    checkTree(catalogue.services(), inTree, 0);
    size_t titled = 0;
    for (const VelProviderPtr &provider : catalogue.applications()) {
        for (const plist::Value &item : *provider->services())
            titled += serviceMenuItemTitle(item.toDictionary()) ? 1 : 0;
    }
    if (titled != inTree.size())
        std::abort();

    const std::vector<VelProviderPtr> providers = catalogue.applications();
    for (const VelProviderPtr &provider : providers) {
        const plist::ArrayPtr list = provider->services();
        if (!list)
            std::abort(); // discovery lists providers only
        for (qsizetype i = 0; i <= list->size(); ++i) {
            if (const plist::DictionaryPtr entry = provider->serviceAtIndex(i))
                askEverything(provider, entry);
        }
        askProvider(provider);
    }

    for (const VelProviderPtr &provider : providers)
        editEveryEntry(catalogue, provider);
    inTree.clear();
    checkTree(catalogue.services(), inTree, 0);
    const VelChangeList changes = VelCollectChanges(providers);
    (void)plist::writeXml(changes.entries);
    for (const VelProviderPtr &provider : providers) {
        askProvider(provider);
        provider->revert();
        askProvider(provider);
    }
    catalogue.rebuildServiceMenuRepresentation();
    catalogue.setApplications({});
    return 0;
}
