// Change tracking of a provider: each entry's current state against its
// stored state (as loaded) and its original state, revert, invalidation after
// a save, and the dictionary a save writes.

#include "VelFileRepresentation.h"
#include "VelServiceEntry.h"
#include "VelServiceKeys.h"

#include <log/VelLog.h>
#include <plist/PropertyList.h>
#include <util/VelDeepCopy.h>
#include <util/VelDictionaryUtilities.h>

using plist::ArrayPtr;
using plist::DictionaryPtr;

namespace {

QString currentTitle(const DictionaryPtr &entry)
{
    return serviceMenuItemTitle(entry).value_or(QString());
}

QString currentKeyEquivalent(const DictionaryPtr &entry)
{
    return serviceKeyEquivalent(entry).value_or(QString());
}

// Calls f for every entry of the list until it answers true.
template <typename Predicate> bool anyEntry(const ArrayPtr &list, Predicate f)
{
    if (!list)
        return false;
    for (const plist::Value &item : *list) {
        if (const DictionaryPtr entry = item.toDictionary(); entry && f(entry))
            return true;
    }
    return false;
}

// Compares the current value with the stored one; a missing stored mark is
// logged and counts as no difference.
bool differsFromStored(const DictionaryPtr &entry, const QString &storedKey, const QString &current)
{
    const QString *stored = entry->value(storedKey).asString();
    if (!stored) {
        VelLog(QStringLiteral("error -- cannot find previous state for service:\n") + plist::describe(entry));
        return false;
    }
    return current != *stored;
}

bool isEntryDirty(const DictionaryPtr &entry)
{
    if (boolForKey(entry, VelKey::IsDisabled) != boolForKey(entry, VelKey::WasDisabled))
        return true;
    if (differsFromStored(entry, VelKey::PreviousMenuItemTitle, currentTitle(entry)))
        return true;
    return differsFromStored(entry, VelKey::PreviousKeyEquivalent, currentKeyEquivalent(entry));
}

bool differsFromOriginal(const DictionaryPtr &entry)
{
    return !isServiceEnabled(entry) || currentTitle(entry) != originalServiceMenuItemTitle(entry)
        || currentKeyEquivalent(entry) != originalServiceKeyEquivalent(entry);
}

// The stored state differs from the original in any of the three properties.
bool storedDiffersFromOriginal(const DictionaryPtr &entry)
{
    if (boolForKey(entry, VelKey::WasDisabled))
        return true;
    const plist::Value &previousTitle = entry->value(VelKey::PreviousMenuItemTitle);
    const plist::Value &originalTitle = entry->value(VelKey::OriginalMenuItemTitle);
    const plist::Value &previousKey = entry->value(VelKey::PreviousKeyEquivalent);
    const plist::Value &originalKey = entry->value(VelKey::OriginalKeyEquivalent);
    return !plist::contentEquals(previousTitle, originalTitle) || !plist::contentEquals(previousKey, originalKey);
}

void restoreOriginalState(const DictionaryPtr &entry)
{
    setServiceEnabled(entry, true, true);
    // A property already at its original is left alone, so that an entry
    // without a title does not gain the placeholder title "?".
    const QString originalTitle = originalServiceMenuItemTitle(entry);
    if (currentTitle(entry) != originalTitle)
        setServiceMenuItemTitle(entry, originalTitle);
    const QString originalKey = originalServiceKeyEquivalent(entry);
    if (currentKeyEquivalent(entry) != originalKey)
        setServiceKeyEquivalent(entry, originalKey);
}

} // namespace

bool VelFileRepresentation::isDirty()
{
    return anyEntry(services(), isEntryDirty);
}

bool VelFileRepresentation::hasBeenDirtyBefore()
{
    return anyEntry(services(), [](const DictionaryPtr &e) { return boolForKey(e, VelKey::WasDisabled); });
}

bool VelFileRepresentation::canRevert()
{
    return anyEntry(services(), differsFromOriginal);
}

void VelFileRepresentation::revert()
{
    const ArrayPtr list = services();
    if (anyEntry(list, storedDiffersFromOriginal)) {
        for (const plist::Value &item : *list) {
            if (const DictionaryPtr entry = item.toDictionary())
                restoreOriginalState(entry);
        }
        return;
    }
    discardInfoDictionary();
}

void VelFileRepresentation::invalidate()
{
    std::optional<StoredState> readAhead = std::exchange(m_savedStateReadAhead, std::nullopt);
    if (!isDirty())
        return;
    discardInfoDictionary();
    if (readAhead && VelFileStampAtPath(readAhead->infoDictionaryPath) == readAhead->stamp) {
        m_infoDictionary = std::move(readAhead->infoDictionary);
        m_infoDictionaryPath = std::move(readAhead->infoDictionaryPath);
        m_services = std::move(readAhead->services);
        return;
    }
    (void)services();
}

void VelFileRepresentation::addCleanCopyOfService(const DictionaryPtr &entry, const ArrayPtr &services)
{
    const DictionaryPtr copy = deepMutableCopy(entry);
    if (!copy)
        return;
    for (const QString *key : {&VelKey::IsDisabled, &VelKey::WasDisabled, &VelKey::OriginalMenuItemTitle,
             &VelKey::PreviousMenuItemTitle, &VelKey::OriginalKeyEquivalent, &VelKey::PreviousKeyEquivalent})
        tryToRemoveObjectForKey(copy, *key);
    services->append(copy);
}

namespace {

// A deep copy of the dictionary, but for the two services lists, which the
// caller replaces: it holds the provider's own lists until then. None when
// a value cannot be copied.
DictionaryPtr copyWithServiceListsShared(const DictionaryPtr &info)
{
    const DictionaryPtr copy = plist::Dictionary::create();
    copy->reserve(info->size());
    for (const plist::Dictionary::Entry &item : info->entries()) {
        const bool serviceList = item.first == VelKey::Services || item.first == VelKey::AllServices;
        plist::Value value = serviceList ? item.second : plist::deepCopy(item.second);
        if (value.isNone())
            return nullptr;
        copy->appendUnchecked(QString(item.first), std::move(value));
    }
    return copy;
}

} // namespace

DictionaryPtr VelFileRepresentation::cleanedInfoDictionaryForSaving()
{
    const DictionaryPtr info = infoDictionary();
    const ArrayPtr list = services();
    const DictionaryPtr copy = info ? copyWithServiceListsShared(info) : nullptr;
    if (!copy || !list)
        return nullptr;
    const ArrayPtr newServices = plist::Array::create();
    const bool revertible = canRevert();
    if (revertible)
        copy->set(VelKey::AllServices, list);
    else
        copy->remove(VelKey::AllServices);
    qsizetype kept = 0;
    for (const plist::Value &item : *list) {
        const DictionaryPtr entry = item.toDictionary();
        if (entry && (!revertible || isServiceEnabled(entry))) {
            addCleanCopyOfService(entry, newServices);
            ++kept;
        }
    }
    // An entry too deep to copy is not left out silently: the dictionary
    // cannot be made, as when the whole of it could not be copied.
    if (newServices->size() != kept)
        return nullptr;
    copy->set(VelKey::Services, newServices);
    return copy;
}
