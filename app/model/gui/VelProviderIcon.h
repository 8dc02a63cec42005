#pragma once

// A provider's icon: the file icon of its bundle, fitted into 16 x 16 and
// kept for the rest of the process by path. A provider without an icon is
// asked again next time. Kept apart from the catalogue, which needs no GUI.

#include <model/VelFileRepresentation.h>

#include <QImage>

[[nodiscard]] QImage VelProviderIcon(const VelFileRepresentation &provider);
