#include "VelShowInFinder.h"

#include "gui/VelDesktop.h"

bool showInFinder(const QString &path)
{
    if (path.isEmpty())
        return false;
    (void)VelRevealInFileManager(path);
    return true;
}
