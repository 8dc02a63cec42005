#include "ChangeEntry.h"

#include <files/VelInfoPlistNames.h>

#include <QDir>

#include <algorithm>

namespace {

bool isInfoFileName(const QString &name)
{
    return std::any_of(kVelInfoPlistNames.begin(), kVelInfoPlistNames.end(), [&](std::string_view candidate) {
        return name == QLatin1String(candidate.data(), qsizetype(candidate.size()));
    });
}

bool isServicesKey(const QString &key)
{
    return key == QLatin1String("NSServices") || key == QLatin1String("Quillfen.Velmora.AllNSServices")
        || key == QLatin1String("Quillfen.Korvane.AllNSServices");
}

bool isCleanAbsolutePath(const QString &path)
{
    // A NUL would cut the path short on its way to the system.
    return path.startsWith(QLatin1Char('/')) && path != QLatin1String("/") && !path.contains(QChar(0))
        && QDir::cleanPath(path) == path;
}

QString infoFileNameBelow(const QString &packagePath, const QString &infoPath)
{
    const QString prefix = packagePath + QStringLiteral("/Contents/");
    if (!infoPath.startsWith(prefix))
        return {};
    const QString name = infoPath.mid(prefix.size());
    return isInfoFileName(name) ? name : QString();
}

} // namespace

std::optional<ChangeEntry> parseChangeEntry(const plist::Value &element, QString *reason)
{
    const plist::DictionaryPtr dictionary = element.toDictionary();
    if (!dictionary) {
        *reason = QStringLiteral("the entry is not a dictionary");
        return std::nullopt;
    }
    const QString *packagePath = dictionary->value(u"Package Path").asString();
    const QString *infoPath = dictionary->value(u"Info Path").asString();
    if (!packagePath || !infoPath) {
        *reason = QStringLiteral("\"Package Path\" or \"Info Path\" is missing");
        return std::nullopt;
    }
    // A lone surrogate would reach the system as some other character.
    if (!packagePath->isValidUtf16() || !infoPath->isValidUtf16()) {
        *reason = QStringLiteral("\"Package Path\" or \"Info Path\" is not valid text");
        return std::nullopt;
    }
    if (!isCleanAbsolutePath(*packagePath)) {
        *reason = QStringLiteral("\"Package Path\" is not a plain absolute path");
        return std::nullopt;
    }
    ChangeEntry entry {*packagePath, *infoPath, infoFileNameBelow(*packagePath, *infoPath), nullptr};
    if (entry.infoFileName.isEmpty()) {
        *reason = QStringLiteral("\"Info Path\" is not the Info.plist of \"Package Path\"");
        return std::nullopt;
    }
    entry.info = dictionary->value(u"Info").toDictionary();
    if (!entry.info) {
        *reason = QStringLiteral("\"Info\" is missing or not a dictionary");
        return std::nullopt;
    }
    return entry;
}

QString firstChangedKey(const plist::Dictionary &current, const plist::Dictionary &proposed)
{
    for (const auto &[key, value] : current.entries()) {
        if (isServicesKey(key))
            continue;
        if (!proposed.contains(key) || !plist::contentEquals(value, proposed.value(key)))
            return key;
    }
    for (const auto &[key, value] : proposed.entries()) {
        if (!isServicesKey(key) && !current.contains(key))
            return key;
    }
    return {};
}
