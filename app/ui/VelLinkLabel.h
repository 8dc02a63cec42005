#pragma once

// Text and link of a label that may carry a link. A VelLinkTextField shows
// the link as its arrow; any other label gets a rich-text arrow that reveals
// the linked file in the file manager.

#include <QString>

class QLabel;

void VelSetStringValue(QLabel *label, const QString &text);
void VelSetStringValueLink(QLabel *label, const QString &text, const QString &linkedPath);

// The linked path, empty for a label without a link.
[[nodiscard]] QString VelLinkedPath(const QLabel *label);

// Makes a plain label reveal its linked path when the arrow is activated.
void VelConnectLinkToFileManager(QLabel *label);
