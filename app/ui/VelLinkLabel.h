#pragma once

// A label that shows a text, optionally followed by a link arrow that stands
// for a file: activating the arrow reveals the file in the file manager.

#include <QString>

class QLabel;

void VelSetStringValue(QLabel *label, const QString &text);
void VelSetStringValueLink(QLabel *label, const QString &text, const QString &linkedPath);

// The linked path, empty for a label without a link.
[[nodiscard]] QString VelLinkedPath(const QLabel *label);

// Makes the label reveal its linked path when the arrow is activated.
void VelConnectLinkToFileManager(QLabel *label);
