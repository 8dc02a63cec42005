#include "VelStaleUserEntries.h"

#include "VelPbsStatusFile.h"
#include "VelUserServiceState.h"

namespace {

bool belongsToNoBundle(const QString &message)
{
    return message == u"runShortcutAsService";
}

} // namespace

QStringList VelStaleUserEntryKeys(const VelPbsStatusFile &status, const VelVolumeServiceKeys &volume)
{
    QStringList stale;
    for (const QString &key : status.keys()) {
        if (volume.keys.contains(key))
            continue;
        const std::optional<VelPbsKeyParts> parts = VelSplitPbsServiceKey(key);
        if (!parts || belongsToNoBundle(parts->message) || !volume.messages.contains(parts->message))
            continue;
        stale.append(key);
    }
    return stale;
}
