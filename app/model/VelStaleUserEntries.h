#pragma once

// Entries of the user's Services settings that no service on the volume
// answers to any more: left behind when a service's title changed or its
// bundle went away.

#include <QSet>
#include <QString>
#include <QStringList>

class VelPbsStatusFile;

// The keys of the volume's services and the NSMessage names they declare.
struct VelVolumeServiceKeys {
    QSet<QString> keys;
    QSet<QString> messages;
};

// An entry is stale when its key matches no service while its message is one
// that bundles declare. Entries no bundle can match by design are never
// stale: Shortcuts ("runShortcutAsService"), any other whose message no
// bundle service names, and keys not in the three-part form. So removing the
// stale entries never removes settings of services that are not bundles.
[[nodiscard]] QStringList VelStaleUserEntryKeys(const VelPbsStatusFile &status, const VelVolumeServiceKeys &volume);
