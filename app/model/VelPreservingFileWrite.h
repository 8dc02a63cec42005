#pragma once

// Replacing a file that belongs to the user's preferences: the new bytes go to
// a temporary file in the same folder that is given the old file's owner,
// group and mode before it is flushed and renamed over the old one, so the
// file is never seen with other permissions or half written. A link is
// followed, so the file it names is the one replaced.

#include <QByteArray>
#include <QString>

// A new file (and any missing folder) is made for its owner only (0600,
// folders 0700). On failure nothing has changed and *error says why; a
// file whose owner cannot be kept (another user's file) is not replaced.
bool VelReplaceFilePreservingOwnership(const QString &path, const QByteArray &bytes, QString *error);
