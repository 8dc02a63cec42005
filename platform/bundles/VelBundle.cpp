#include "VelBundle.h"

#include "defaults/VelUserDefaults.h"
#include "files/VelFileStamp.h"
#include "plist/PropertyList.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

struct VelBundle::State {
    QString path;
    bool infoLoaded = false;
    plist::DictionaryPtr info;
    // The .lproj folders of the resources folder as (language, folder name),
    // kept while the folder's stamp stays the same. Few enough to search in
    // order.
    VelFileStamp listedStamp;
    std::vector<std::pair<QString, QString>> localizationFolders;
    QHash<QString, plist::DictionaryPtr> stringTables;
};

namespace {

// readdir's entry type answers for most entries without a stat.
bool isDirectory(const QString &path, unsigned char type)
{
    if (type == DT_DIR)
        return true;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return false;
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString languageFromLocaleName(QString name)
{
    name = name.section(u'.', 0, 0).section(u'@', 0, 0).trimmed();
    if (name.isEmpty() || name == u"C" || name == u"POSIX")
        return {};
    return name;
}

QString legacyLanguageName(QStringView code)
{
    static const std::pair<QStringView, QStringView> names[] = {
        {u"en", u"English"},
        {u"de", u"German"},
        {u"fr", u"French"},
        {u"ja", u"Japanese"},
        {u"es", u"Spanish"},
        {u"it", u"Italian"},
        {u"nl", u"Dutch"},
        {u"sv", u"Swedish"},
        {u"da", u"Danish"},
        {u"fi", u"Finnish"},
        {u"no", u"Norwegian"},
        {u"nb", u"Norwegian"},
        {u"pt", u"Portuguese"},
        {u"ko", u"Korean"},
        {u"zh", u"Chinese"},
        {u"ru", u"Russian"},
        {u"pl", u"Polish"},
    };
    for (const auto &[language, name] : names) {
        if (code.compare(language, Qt::CaseInsensitive) == 0)
            return name.toString();
    }
    return {};
}

} // namespace

QStringList VelPreferredLanguages()
{
    QStringList languages;
    if (const plist::ArrayPtr apple
        = VelUserDefaults::globalUserDefaults().arrayForKey(QStringLiteral("AppleLanguages"))) {
        for (const plist::Value &item : *apple) {
            if (const QString *language = item.asString(); language && !language->isEmpty())
                languages.append(*language);
        }
    }
    if (languages.isEmpty()) {
        for (const QString &name : qEnvironmentVariable("LANGUAGE").split(u':', Qt::SkipEmptyParts)) {
            if (const QString language = languageFromLocaleName(name); !language.isEmpty())
                languages.append(language);
        }
    }
    if (languages.isEmpty()) {
        for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const QString value = qEnvironmentVariable(variable);
            if (value.isEmpty())
                continue;
            if (const QString language = languageFromLocaleName(value); !language.isEmpty())
                languages.append(language);
            break; // the first one set decides, as for the C library
        }
    }
    if (languages.isEmpty())
        languages.append(QStringLiteral("en"));
    return languages;
}

QStringList VelLocalizationFolderNames(const QString &language)
{
    QStringList names {language};
    QString other = language;
    other.replace(u'_', u'-');
    if (other == language)
        other.replace(u'-', u'_');
    names.append(other);
    const QString base = language.section(u'-', 0, 0).section(u'_', 0, 0);
    names.append(base);
    const QString legacy = legacyLanguageName(base);
    if (!legacy.isEmpty())
        names.append(legacy);
    // At most four names: dropping repeats in place beats a hashed set.
    for (qsizetype i = names.size() - 1; i > 0; --i) {
        if (names.indexOf(names.at(i)) < i)
            names.removeAt(i);
    }
    return names;
}

VelBundle::VelBundle(const QString &path)
    : m_state(std::make_shared<State>())
{
    if (!path.isEmpty())
        m_state->path = QDir::cleanPath(path.startsWith(u'/') ? path : QFileInfo(path).absoluteFilePath());
}

const QString &VelBundle::bundlePath() const
{
    return m_state->path;
}

QString VelBundle::contentsPath() const
{
    return m_state->path + QStringLiteral("/Contents");
}

QString VelBundle::resourcePath() const
{
    return m_state->path + QStringLiteral("/Contents/Resources");
}

QString VelBundle::infoDictionaryPath() const
{
    return m_state->path + QStringLiteral("/Contents/Info.plist");
}

plist::DictionaryPtr VelBundle::infoDictionary() const
{
    if (!m_state->infoLoaded) {
        m_state->infoLoaded = true;
        m_state->info = plist::readFile(infoDictionaryPath()).toDictionary();
        if (!m_state->info)
            m_state->info = plist::Dictionary::create();
    }
    return m_state->info;
}

plist::Value VelBundle::objectForInfoDictionaryKey(const QString &key) const
{
    return infoDictionary()->value(key);
}

QString VelBundle::bundleIdentifier() const
{
    return objectForInfoDictionaryKey(QStringLiteral("CFBundleIdentifier")).toString();
}

void VelBundle::listLocalizationFolders(DIR *dir, const QString &resources) const
{
    const VelFileStamp stamp = VelFileStampOfDescriptor(dirfd(dir));
    if (stamp.exists && stamp == m_state->listedStamp)
        return;
    m_state->listedStamp = stamp;
    m_state->localizationFolders.clear();
    while (const dirent *item = ::readdir(dir)) {
        const size_t length = std::strlen(item->d_name);
        if (length <= 6 || ::strcasecmp(item->d_name + length - 6, ".lproj") != 0)
            continue;
        const QString entry = QFile::decodeName(item->d_name);
        if (isDirectory(resources + u'/' + entry, item->d_type))
            m_state->localizationFolders.emplace_back(entry.chopped(6), entry);
    }
}

// The visitor is given each folder as text and as the file system's bytes,
// which are what it looks up.
template <typename Visit> bool VelBundle::forEachResourceFolder(Visit visit) const
{
    const QString resources = resourcePath();
    const QByteArray encodedResources = QFile::encodeName(resources);
    // Opening the folder tells whether it is there, and its modification
    // time whether the listing kept from an earlier lookup still holds.
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(encodedResources.constData()), ::closedir);
    if (!dir) {
        // A folder that cannot be listed may still hold the resource itself.
        return errno != ENOENT && errno != ENOTDIR && visit(resources, encodedResources);
    }
    if (visit(resources, encodedResources))
        return true;
    listLocalizationFolders(dir.get(), resources);
    if (m_state->localizationFolders.empty())
        return false;

    QStringList visited;
    const auto visitLanguage = [&](const QString &language) {
        for (const QString &name : VelLocalizationFolderNames(language)) {
            const auto folder = std::find_if(m_state->localizationFolders.cbegin(), m_state->localizationFolders.cend(),
                [&](const auto &f) { return f.first.compare(name, Qt::CaseInsensitive) == 0; });
            if (folder == m_state->localizationFolders.cend() || visited.contains(folder->second))
                continue;
            const QString &entry = folder->second;
            visited.append(entry);
            if (visit(resources + u'/' + entry, encodedResources + '/' + QFile::encodeName(entry)))
                return true;
        }
        return false;
    };
    // The development region comes from the Info.plist, read only when the
    // preferred languages found nothing.
    QStringList languages = VelPreferredLanguages();
    languages.append(QStringLiteral("Base"));
    for (const QString &language : std::as_const(languages)) {
        if (!language.isEmpty() && visitLanguage(language))
            return true;
    }
    const QString region = objectForInfoDictionaryKey(QStringLiteral("CFBundleDevelopmentRegion")).toString();
    return (!region.isEmpty() && visitLanguage(region)) || visitLanguage(QStringLiteral("en"));
}

QStringList VelBundle::resourceSearchFolders() const
{
    QStringList folders;
    forEachResourceFolder([&](const QString &folder, const QByteArray &) {
        folders.append(folder);
        return false;
    });
    return folders;
}

QString VelBundle::pathForResource(const QString &name, const QString &type) const
{
    if (name.isEmpty() || m_state->path.isEmpty())
        return {};
    // Most bundles asked have no resources folder at all: the file name is
    // made only once there is a folder to look in.
    QString fileName;
    QByteArray encodedFileName;
    QString found;
    forEachResourceFolder([&](const QString &folder, const QByteArray &encodedFolder) {
        if (fileName.isEmpty()) {
            fileName = type.isEmpty() ? name : name + (type.startsWith(u'.') ? type : u'.' + type);
            encodedFileName = '/' + QFile::encodeName(fileName);
        }
        if (::access((encodedFolder + encodedFileName).constData(), F_OK) != 0)
            return false;
        found = folder + u'/' + fileName;
        return true;
    });
    return found;
}

QString VelBundle::localizedStringForKey(const QString &key, const QString &value, const QString &table) const
{
    const QString tableName = table.isEmpty() ? QStringLiteral("Localizable") : table;
    auto cached = m_state->stringTables.constFind(tableName);
    if (cached == m_state->stringTables.cend()) {
        const QString path = pathForResource(tableName, QStringLiteral("strings"));
        plist::DictionaryPtr strings = path.isEmpty() ? nullptr : plist::readFile(path).toDictionary();
        cached = m_state->stringTables.insert(tableName, strings);
    }
    if (*cached) {
        if (const QString *translation = (*cached)->value(key).asString())
            return *translation;
    }
    return value.isEmpty() ? key : value;
}

QString VelBundle::mainBundlePathForExecutable(const QString &executablePath)
{
    // By name only: the folders need not exist for the answer.
    const QString folder = QDir::cleanPath(QFileInfo(executablePath).absolutePath());
    const QString contents = QFileInfo(folder).path();
    if (QFileInfo(folder).fileName() == u"MacOS" && QFileInfo(contents).fileName() == u"Contents")
        return QFileInfo(contents).path();
    const QString named = qEnvironmentVariable("VELMORA_BUNDLE");
    if (!named.isEmpty())
        return named;
    const QString beside = QDir::cleanPath(folder + QStringLiteral("/../Velmora.app"));
    if (QFileInfo(beside).isDir())
        return beside;
    return folder;
}

const VelBundle &VelBundle::mainBundle()
{
    static const VelBundle bundle(
        mainBundlePathForExecutable(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()));
    return bundle;
}

QString VelLocalizedString(const QString &englishText)
{
    return VelBundle::mainBundle().localizedStringForKey(englishText, QString(), QString());
}
