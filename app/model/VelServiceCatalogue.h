#pragma once

// The provider list and the merged services menu tree. The application's
// controller owns the process's one shared catalogue (velmoractl does the same),
// and entry operations reach the provider list through it.

#include "VelFileRepresentation.h"

#include <plist/PlistValue.h>

#include <QHash>
#include <QString>

#include <functional>
#include <unordered_set>
#include <vector>

// The paths discovery has listed a provider for.
struct VelPathHash {
    size_t operator()(const QString &path) const;
};
using VelPathSet = std::unordered_set<QString, VelPathHash>;

// What discovery shows while it runs: the status text once, then one step
// per application provider found.
struct VelDiscoveryProgress {
    std::function<void(const QString &status)> showStatus;
    std::function<void()> advance;
};

class VelServiceCatalogue {
public:
    [[nodiscard]] static VelServiceCatalogue &shared();

    // Discovery: every application of the application list and the bundles
    // of the three service folders, filtered and sorted by name.
    void reloadApplications(const VelDiscoveryProgress &progress = {});
    void addServicesFromDirectory(const QString &folder, VelPathSet &seenPaths);
    [[nodiscard]] const std::vector<VelProviderPtr> &applications() const { return m_applications; }
    void setApplications(std::vector<VelProviderPtr> providers);

    // The provider whose services list holds this very entry; none for
    // copies, folder nodes and entries of no listed provider.
    [[nodiscard]] VelProviderPtr applicationForService(const plist::DictionaryPtr &entry) const;

    // Stores a new menu path as the inspector's OK does: a path equal to the
    // original title's translation is stored as the untranslated original,
    // then every provider's list is sorted again and the tree rebuilt.
    void setMenuPathOfService(const plist::DictionaryPtr &entry, const QString &menuPath);

    // The tree: top-level list of folder nodes and the providers' own entries.
    // The optional call runs between providers and before the final sort,
    // for a caller that keeps a window painting; it must not touch the
    // catalogue.
    void rebuildServiceMenuRepresentation(const std::function<void()> &betweenSteps = {});
    [[nodiscard]] const plist::ArrayPtr &services() const { return m_services; }

    // The status line of the whole menu: "%d services" with the number of
    // titled services, or "%d of %d services" when only some are enabled.
    [[nodiscard]] QString servicesStatusText() const;

    // Non-zero while a catalogue operation (discovery, building the tree,
    // sorting again after an edit) runs, with a new number for each. Within
    // one operation a provider checks its strings file for changes once
    // rather than on every title lookup: a file that changes while the
    // operation runs may be seen before or after the change, as it would be
    // if it were read on every lookup. Outside operations every lookup checks.
    [[nodiscard]] quint64 lookupPass() const { return m_lookupPass; }

private:
    class LookupPass;
    void setLookupPass(quint64 pass);
    void releaseApplications();

    // Lists the bundle at path when it declares services (an empty list
    // counts) and marks the path as seen; answers whether it was listed.
    bool addProviderOffering(const QString &path, VelPathSet &seenPaths);
    // Every entry with a menu item title, provider by provider in list order.
    void forEachTitledEntry(
        const std::function<void(const VelProviderPtr &, const plist::DictionaryPtr &)> &visit) const;

    [[nodiscard]] VelProviderPtr indexedOwnerOf(const plist::DictionaryPtr &entry) const;

    std::vector<VelProviderPtr> m_applications;
    // Entry → owner, rebuilt whenever a lookup misses; every hit is checked
    // against the owner's current list, so identity is all that counts.
    mutable QHash<const plist::Dictionary *, VelProviderPtr> m_ownerIndex;
    plist::ArrayPtr m_services = plist::Array::create();
    quint64 m_lookupPass = 0;
    quint64 m_lastLookupPass = 0;
    int m_lookupPassDepth = 0;
};
