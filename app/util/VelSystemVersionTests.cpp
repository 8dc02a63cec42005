#include "VelSystemVersionTests.h"

#include "files/VelSystemVersion.h"

namespace {

constexpr unsigned kUnknownSystemVersion = 0x1020;

bool needsToCheck = true;
unsigned systemVersion = kUnknownSystemVersion;

} // namespace

unsigned VelSystemVersion()
{
    if (needsToCheck) {
        needsToCheck = false;
        if (const std::optional<unsigned> found = VelLookUpSystemVersion())
            systemVersion = *found;
    }
    return systemVersion;
}

bool VelSystemIsTigerOrNewer()
{
    return VelSystemVersion() > 0x103F;
}

bool VelSystemIsLeopardOrNewer()
{
    return VelSystemVersion() > 0x104F;
}

void VelResetSystemVersionForTesting()
{
    needsToCheck = true;
    systemVersion = kUnknownSystemVersion;
}
