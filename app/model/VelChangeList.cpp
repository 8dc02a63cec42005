#include "VelChangeList.h"

#include <log/VelLog.h>

#include <QFileInfo>

namespace {

const QString kInfo = QStringLiteral("Info");
const QString kInfoPath = QStringLiteral("Info Path");
const QString kPackagePath = QStringLiteral("Package Path");

} // namespace

VelChangeList VelCollectChanges(const std::vector<VelProviderPtr> &providers)
{
    VelChangeList changes;
    for (const VelProviderPtr &provider : providers) {
        if (!provider->isDirty())
            continue;
        const std::optional<QString> infoPath = provider->infoDictionaryPath();
        const plist::DictionaryPtr cleaned = infoPath ? provider->cleanedInfoDictionaryForSaving() : nullptr;
        if (!infoPath || !QFileInfo::exists(*infoPath) || !cleaned) {
            VelLog(QStringLiteral("<%1> appears to have been removed").arg(provider->path()));
            changes.providerVanished = true;
            continue;
        }
        plist::DictionaryPtr entry = plist::Dictionary::create();
        entry->set(kInfo, cleaned);
        entry->set(kInfoPath, *infoPath);
        entry->set(kPackagePath, provider->path());
        changes.entries->append(entry);
    }
    return changes;
}
