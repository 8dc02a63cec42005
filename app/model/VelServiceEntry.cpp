#include "VelServiceEntry.h"

#include "VelFileRepresentation.h"
#include "VelServiceCatalogue.h"
#include "VelServiceKeys.h"

#include <bundles/VelBundle.h>
#include <log/VelLog.h>
#include <plist/PropertyList.h>
#include <util/VelDictionaryUtilities.h>
#include <util/VelFormat.h>

using plist::DictionaryPtr;

namespace {

QString portNameOf(const DictionaryPtr &entry)
{
    return VelValueText(entry->value(VelKey::PortName));
}

// The "default" string of an NSMenuItem- or NSKeyEquivalent-style dictionary.
std::optional<QString> defaultOf(const plist::Dictionary *dictionary)
{
    if (const QString *s = dictionary->value(VelKey::Default).asString())
        return *s;
    return std::nullopt;
}

QString stringMarkOr(
    const DictionaryPtr &entry, const QString &key, const QString &fallback, const char *missingMessage)
{
    if (const QString *s = entry->value(key).asString())
        return *s;
    VelLog(QString::fromLatin1(missingMessage) + plist::describe(entry));
    return fallback;
}

} // namespace

bool isServiceEnabled(const DictionaryPtr &entry)
{
    return !boolForKey(entry, VelKey::IsDisabled);
}

void setServiceEnabled(const DictionaryPtr &entry, bool enabled, bool regardless)
{
    if (!regardless && !isServiceEditable(entry))
        return;
    setBoolForKey(entry, !enabled, VelKey::IsDisabled);
}

void setServiceEnabled(const DictionaryPtr &entry, bool enabled)
{
    setServiceEnabled(entry, enabled, false);
}

void setServiceEnabledRecursively(const DictionaryPtr &item, bool enabled)
{
    if (!isFolderNode(item)) {
        setServiceEnabled(item, enabled, false);
        return;
    }
    if (const plist::ArrayPtr children = folderNodeChildren(item)) {
        for (const plist::Value &child : *children) {
            if (const DictionaryPtr d = child.toDictionary())
                setServiceEnabledRecursively(d, enabled);
        }
    }
}

bool isServiceEditable(const DictionaryPtr &entry)
{
    if (!entry || isFolderNode(entry))
        return false;
    const VelProviderPtr owner = VelServiceCatalogue::shared().applicationForService(entry);
    return owner && owner->isServiceEditable(entry);
}

bool containsEditableService(const DictionaryPtr &folder)
{
    const plist::ArrayPtr children = folderNodeChildren(folder);
    if (!children)
        return false;
    for (const plist::Value &child : *children) {
        const DictionaryPtr d = child.toDictionary();
        if (d && !isFolderNode(d) && isServiceEditable(d))
            return true;
    }
    return false;
}

std::optional<QString> serviceMenuItemTitle(const DictionaryPtr &entry)
{
    const plist::Value *menuItem = nullptr;
    for (const QString *key : {&VelKey::MenuItem, &VelKey::MenuItemVariant, &VelKey::MenuItemLowerCase}) {
        const plist::Value &v = entry->value(*key);
        if (!v.isNone()) {
            menuItem = &v;
            break;
        }
    }
    if (!menuItem)
        return std::nullopt;
    const plist::Dictionary *d = menuItem->asDictionary();
    if (!d) {
        VelLog(QStringLiteral("<%1> has a malformed NSMenuItem").arg(portNameOf(entry)));
        return std::nullopt;
    }
    return defaultOf(d);
}

QString originalServiceMenuItemTitle(const DictionaryPtr &entry)
{
    return stringMarkOr(entry, VelKey::OriginalMenuItemTitle, QStringLiteral("(Missing Name)"),
        "error -- could not find original menu item title for service:\n");
}

void setServiceMenuItemTitle(const DictionaryPtr &entry, const std::optional<QString> &title)
{
    const QString stored = (title && !title->isEmpty()) ? *title : QStringLiteral("?");
    DictionaryPtr menuItem = plist::Dictionary::create();
    menuItem->set(VelKey::Default, stored);
    entry->set(VelKey::MenuItem, menuItem);
}

std::optional<QString> serviceKeyEquivalent(const DictionaryPtr &entry)
{
    const plist::Value &v = entry->value(VelKey::KeyEquivalent);
    if (v.isNone())
        return std::nullopt;
    const plist::Dictionary *d = v.asDictionary();
    if (!d) {
        VelLog(QStringLiteral("<%1>'s <%2> service has a malformed NSKeyEquivalent")
                   .arg(portNameOf(entry), serviceMenuItemTitle(entry).value_or(QStringLiteral("(null)"))));
        return std::nullopt;
    }
    return defaultOf(d);
}

QString originalServiceKeyEquivalent(const DictionaryPtr &entry)
{
    return stringMarkOr(entry, VelKey::OriginalKeyEquivalent, QString(),
        "error -- could not find original key equivalent for service:\n");
}

void setServiceKeyEquivalent(const DictionaryPtr &entry, const std::optional<QString> &key)
{
    const QString k = key.value_or(QString());
    if (k.size() != 1) {
        entry->remove(VelKey::KeyEquivalent);
        return;
    }
    DictionaryPtr keyEquivalent = plist::Dictionary::create();
    keyEquivalent->set(VelKey::Default, k);
    entry->set(VelKey::KeyEquivalent, keyEquivalent);
}

QString serviceKeyEquivalentDescription(const DictionaryPtr &entry)
{
    return VelServiceKeyEquivalentDescription(serviceKeyEquivalent(entry));
}

QString VelServiceKeyEquivalentDescription(const std::optional<QString> &key)
{
    if (!key || key->size() != 1)
        return QString();
    const QString format
        = *key == key->toLower() ? QStringLiteral("[command]-[%@]") : QStringLiteral("[shift]-[command]-[%@]");
    return VelFormat(VelLocalizedString(format), {*key});
}

QString VelValueText(const plist::Value &value)
{
    if (const QString *s = value.asString())
        return *s;
    return value.isNone() ? QStringLiteral("(null)") : plist::describe(value);
}

namespace {

// The deleter type marks a dictionary as a folder node: the mark travels with
// every shared handle of the object, and no reader can produce it.
struct FolderNodeDeleter {
    void operator()(plist::Dictionary *folder) const { delete folder; }
};

} // namespace

bool isFolderNode(const DictionaryPtr &item)
{
    return item && std::get_deleter<FolderNodeDeleter>(item) != nullptr;
}

DictionaryPtr makeFolderNode(const QString &name)
{
    DictionaryPtr folder(new plist::Dictionary, FolderNodeDeleter());
    folder->set(VelKey::FolderName, name);
    folder->set(VelKey::Children, plist::Array::create());
    return folder;
}

QString folderNodeName(const DictionaryPtr &folder)
{
    return isFolderNode(folder) ? folder->value(VelKey::FolderName).toString() : QString();
}

plist::ArrayPtr folderNodeChildren(const DictionaryPtr &folder)
{
    return isFolderNode(folder) ? folder->value(VelKey::Children).toArray() : nullptr;
}

bool folderHasEnabledService(const DictionaryPtr &folder)
{
    const plist::ArrayPtr children = folderNodeChildren(folder);
    if (!children)
        return false;
    for (const plist::Value &child : *children) {
        const DictionaryPtr d = child.toDictionary();
        if (d && !isFolderNode(d) && serviceMenuItemTitle(d) && isServiceEnabled(d))
            return true;
    }
    return false;
}
