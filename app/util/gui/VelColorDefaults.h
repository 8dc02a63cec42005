#pragma once

// Colours in the user defaults, archived into a data value.

#include "defaults/VelUserDefaults.h"

#include <QColor>

// Stores nothing for an invalid colour.
void setColorForKey(VelUserDefaults &defaults, const QColor &color, const QString &key);
// The colour stored under the key; an invalid colour when there is none.
[[nodiscard]] QColor colorForKey(const VelUserDefaults &defaults, const QString &key);
