#include "VelSystemVersion.h"

#include "VelMacVolume.h"
#include "plist/PropertyList.h"

#include <algorithm>

std::optional<unsigned> VelSystemVersionCode(QStringView version)
{
    const QList<QStringView> parts = version.trimmed().split(u'.');
    if (parts.isEmpty() || parts.size() > 3)
        return std::nullopt;
    unsigned numbers[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const uint number = parts.at(i).toUInt(&ok);
        if (!ok || parts.at(i).startsWith(u'+'))
            return std::nullopt;
        numbers[i] = number;
    }
    const auto [major, minor, bugfix] = numbers;
    if (major > 10 || (major == 10 && minor > 9))
        return 0x1099;
    const unsigned majorCode = ((major / 10) << 4) | (major % 10);
    return (majorCode << 8) | (std::min(minor, 9u) << 4) | std::min(bugfix, 9u);
}

std::optional<unsigned> VelLookUpSystemVersion()
{
    const QString fromEnvironment = qEnvironmentVariable("VELMORA_SYSTEM_VERSION");
    if (!fromEnvironment.isEmpty())
        return VelSystemVersionCode(fromEnvironment);
    const plist::DictionaryPtr info
        = plist::readFile(VelMacVolume::macPath(QStringLiteral("/System/Library/CoreServices/SystemVersion.plist")))
              .toDictionary();
    if (!info)
        return std::nullopt;
    const QString *version = info->value(u"ProductVersion").asString();
    return version ? VelSystemVersionCode(*version) : std::nullopt;
}
