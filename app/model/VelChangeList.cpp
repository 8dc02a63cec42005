#include "VelChangeList.h"

#include "VelServiceKeys.h"

#include <log/VelLog.h>

#include <QFileInfo>

namespace {

const QString kInfo = QStringLiteral("Info");
const QString kInfoPath = QStringLiteral("Info Path");
const QString kPackagePath = QStringLiteral("Package Path");

} // namespace

VelChangeList VelCollectChanges(const std::vector<VelProviderPtr> &providers, VelChangeListSharing sharing)
{
    VelChangeList changes;
    for (const VelProviderPtr &provider : providers) {
        if (!provider->isDirty())
            continue;
        const std::optional<QString> infoPath = provider->infoDictionaryPath();
        plist::DictionaryPtr cleaned = infoPath ? provider->cleanedInfoDictionaryForSaving() : nullptr;
        // The stored list is the only part of the cleaned dictionary that is
        // the provider's own.
        if (cleaned && sharing == VelChangeListSharing::Nothing && cleaned->contains(VelKey::AllServices)) {
            plist::Value copied = plist::deepCopy(cleaned->value(VelKey::AllServices));
            if (copied.isNone())
                cleaned.reset();
            else
                cleaned->set(VelKey::AllServices, std::move(copied));
        }
        // The worker follows no symbolic link, so the list names each bundle
        // by its real path, resolved here once (the volume's root included).
        const QString packagePath = QFileInfo(provider->path()).canonicalFilePath();
        if (!infoPath || !QFileInfo::exists(*infoPath) || !cleaned || packagePath.isEmpty()) {
            VelLog(QStringLiteral("<%1> appears to have been removed").arg(provider->path()));
            changes.providerVanished = true;
            continue;
        }
        plist::DictionaryPtr entry = plist::Dictionary::create();
        entry->set(kInfo, cleaned);
        entry->set(kInfoPath, packagePath + QStringLiteral("/Contents/") + QFileInfo(*infoPath).fileName());
        entry->set(kPackagePath, packagePath);
        changes.entries->append(entry);
    }
    return changes;
}
