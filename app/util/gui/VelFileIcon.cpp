#include "VelFileIcon.h"

#include "VelImageFitting.h"
#include "gui/VelFileIcons.h"

QImage icon(const QString &path)
{
    return imageWithMaxSize(VelIconForFile(path), QSizeF(16.0, 16.0));
}
