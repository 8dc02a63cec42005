#include "ChangeEntry.h"

#include <QDir>

namespace {

const QStringList &infoFileNames()
{
    static const QStringList names = {QStringLiteral("Info.plist"), QStringLiteral("Info-MacOS.plist"),
                                      QStringLiteral("Info-macos.plist"), QStringLiteral("info.plist")};
    return names;
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
    return infoFileNames().contains(name) ? name : QString();
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
    if (!isCleanAbsolutePath(*packagePath)) {
        *reason = QStringLiteral("\"Package Path\" is not a plain absolute path");
        return std::nullopt;
    }
    ChangeEntry entry{*packagePath, *infoPath, infoFileNameBelow(*packagePath, *infoPath), nullptr};
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
