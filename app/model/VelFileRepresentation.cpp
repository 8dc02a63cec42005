#include "VelFileRepresentation.h"

#include "VelCodeSignature.h"
#include "VelServiceEntry.h"
#include "VelServiceKeys.h"
#include "VelServiceSorting.h"

#include <bundles/VelBundle.h>
#include <defaults/VelUserDefaults.h>
#include <files/VelDisplayNames.h>
#include <files/VelInfoPlistNames.h>
#include <log/VelLog.h>
#include <plist/PropertyList.h>
#include <util/VelDictionaryUtilities.h>
#include <util/VelFormat.h>

#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

using plist::ArrayPtr;
using plist::DictionaryPtr;

namespace {

bool pathExists(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

QString textOrEmpty(const std::optional<QString> &s)
{
    return s.value_or(QString());
}

} // namespace

bool VelMayDeclareServices(QByteArrayView bytes)
{
    // Every source key ends in "NSServices". Spelt other than literally, it
    // needs one of: a NUL byte (UTF-16 text of any format, and every binary
    // file, whose trailer holds zero bytes), a backslash (text escapes), or in
    // XML a character reference "&#", a CDATA section "<![CDATA[" or a comment
    // "<!--" splitting the key's text. Any of those means: parse it. memchr
    // is much cheaper than a pattern search, which runs once.
    if (bytes.isEmpty())
        return false;
    const char *data = bytes.data();
    const size_t size = size_t(bytes.size());
    if (::memmem(data, size, "NSServices", 10) || std::memchr(data, '\0', size) || std::memchr(data, '\\', size))
        return true;
    for (const char *amp = static_cast<const char *>(std::memchr(data, '&', size)); amp;) {
        const size_t rest = size_t(data + size - amp);
        if (rest > 1 && amp[1] == '#')
            return true;
        amp = static_cast<const char *>(std::memchr(amp + 1, '&', rest - 1));
    }
    // "<!" is rare: a DOCTYPE, and comments and CDATA sections.
    for (const char *at = static_cast<const char *>(::memmem(data, size, "<!", 2)); at;) {
        const size_t rest = size_t(data + size - at);
        if (rest > 2 && (at[2] == '-' || at[2] == '['))
            return true;
        at = static_cast<const char *>(::memmem(at + 2, rest - 2, "<!", 2));
    }
    return false;
}

VelProviderPtr VelFileRepresentation::fileRepresentationWithPath(const QString &path)
{
    if (!pathExists(path))
        return nullptr;
    return std::make_shared<VelFileRepresentation>(path);
}

VelFileRepresentation::VelFileRepresentation(const QString &path)
    : m_path(path)
{
}

VelFileRepresentation::~VelFileRepresentation() = default;

void VelFileRepresentation::setPath(const QString &path)
{
    m_path = path;
    m_bundle.reset();
    m_name.reset();
    m_isSigned.reset();
    discardInfoDictionary();
}

const VelBundle &VelFileRepresentation::bundle()
{
    if (!m_bundle)
        m_bundle = std::make_unique<VelBundle>(m_path);
    return *m_bundle;
}

const QString &VelFileRepresentation::name()
{
    if (!m_name) {
        QString display = VelDisplayNameAtPath(m_path);
        const qsizetype dot = display.lastIndexOf(u'.');
        if (dot >= 0)
            display.truncate(dot);
        m_name = display;
    }
    return *m_name;
}

std::optional<QString> VelFileRepresentation::infoDictionaryPath() const
{
    // Once read, the file that was read is the one to report (and to save).
    if (m_infoDictionary)
        return m_infoDictionaryPath;
    const QString contents = m_path + QStringLiteral("/Contents/");
    for (const std::string_view name : kVelInfoPlistNames) {
        const QString candidate = contents + QLatin1String(name);
        if (pathExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

DictionaryPtr VelFileRepresentation::infoDictionary()
{
    if (!m_infoDictionary)
        loadInfoDictionary(false);
    return m_infoDictionary;
}

bool VelFileRepresentation::loadInfoDictionary(bool onlyIfItMayDeclareServices)
{
    // The first of the names that exists (links followed, as the Mac's file
    // test does) wins. Reading each in turn finds it with one open in the
    // usual case; only when an open fails does a stat say whether the name
    // exists all the same (unreadable: it wins and its reading fails) or not
    // (a dangling link, a link loop, a plain file in place of Contents).
    // Discovery reads thousands of files only to parse them, so the bytes go
    // to one buffer per thread that keeps its room from file to file (given
    // back after an unusually large one).
    constexpr qsizetype kLargestKeptBuffer = 1 << 20;
    thread_local QByteArray bytes;
    const auto releaseLargeBuffer = qScopeGuard([] {
        if (bytes.capacity() > kLargestKeptBuffer)
            bytes = QByteArray();
    });
    const QString contents = m_path + QStringLiteral("/Contents/");
    for (const std::string_view name : kVelInfoPlistNames) {
        const QString infoPath = contents + QLatin1String(name);
        int error = 0;
        const bool readable = plist::readFileBytes(infoPath, &bytes, &error);
        if (!readable && (error == ENOENT || !pathExists(infoPath)))
            continue;
        if (readable && onlyIfItMayDeclareServices && !VelMayDeclareServices(bytes))
            return false;
        m_infoDictionary = readable ? plist::read(bytes).toDictionary() : nullptr;
        if (!m_infoDictionary) {
            VelLog(QStringLiteral("could not parse info dictionary <%1>").arg(infoPath));
            return false;
        }
        m_infoDictionaryPath = infoPath;
        return true;
    }
    return false;
}

void VelFileRepresentation::discardInfoDictionary()
{
    m_savedStateReadAhead.reset();
    m_infoDictionary.reset();
    m_infoDictionaryPath.reset();
    m_services.reset();
    m_servicesMenuStringsPath.reset();
    m_servicesMenuStrings.clear();
}

namespace {

// The source list must be an array of dictionaries; anything else is left
// alone, so that a file we do not understand is never rewritten.
bool isListOfEntries(const ArrayPtr &list)
{
    if (!list)
        return false;
    for (const plist::Value &item : *list) {
        if (!item.isDictionary())
            return false;
    }
    return true;
}

void convertOlderMarks(const DictionaryPtr &entry)
{
    if (!boolForKey(entry, VelKey::OldIsDisabled))
        return;
    for (const QString *key :
        {&VelKey::OldIsDisabled, &VelKey::OldWasDisabled, &VelKey::OldApplicationName, &VelKey::ApplicationName})
        tryToRemoveObjectForKey(entry, *key);
    setBoolForKey(entry, true, VelKey::IsDisabled);
}

void convertDisabledMenuItem(const DictionaryPtr &entry)
{
    const plist::Value disabledItem = entry->value(VelKey::MenuItemDisabled);
    if (disabledItem.isNone())
        return;
    entry->set(VelKey::MenuItem, disabledItem);
    entry->remove(VelKey::MenuItemDisabled);
    setBoolForKey(entry, true, VelKey::IsDisabled);
    setBoolForKey(entry, true, VelKey::WasDisabled);
}

void recordStoredState(const DictionaryPtr &entry)
{
    const QString title = textOrEmpty(serviceMenuItemTitle(entry));
    entry->set(VelKey::PreviousMenuItemTitle, title);
    if (!entry->contains(VelKey::OriginalMenuItemTitle))
        entry->set(VelKey::OriginalMenuItemTitle, title);
    const QString key = textOrEmpty(serviceKeyEquivalent(entry));
    entry->set(VelKey::PreviousKeyEquivalent, key);
    if (!entry->contains(VelKey::OriginalKeyEquivalent))
        entry->set(VelKey::OriginalKeyEquivalent, key);
}

} // namespace

ArrayPtr VelFileRepresentation::services()
{
    if (!m_services)
        m_services = loadServices();
    return m_services;
}

ArrayPtr VelFileRepresentation::loadServices()
{
    // Discovery asks every application for its services; a file that cannot
    // declare any is not worth parsing.
    if (!m_infoDictionary && !loadInfoDictionary(true))
        return nullptr;
    const DictionaryPtr info = m_infoDictionary;

    const QString *sourceKey = nullptr;
    for (const QString *key : {&VelKey::AllServices, &VelKey::OldAllServices, &VelKey::Services}) {
        if (info->contains(*key)) {
            sourceKey = key;
            break;
        }
    }
    if (!sourceKey)
        return nullptr;
    const ArrayPtr list = info->value(*sourceKey).toArray();
    if (!isListOfEntries(list)) {
        VelLog(QStringLiteral("<%1> has a malformed %2 list; its services are ignored")
                   .arg(infoDictionaryPath().value_or(m_path), *sourceKey));
        return nullptr;
    }
    const bool storedList = sourceKey != &VelKey::Services;
    if (sourceKey == &VelKey::OldAllServices) {
        info->remove(VelKey::OldAllServices);
        info->set(VelKey::AllServices, list);
    }

    for (const plist::Value &item : *list) {
        const DictionaryPtr entry = item.toDictionary();
        if (storedList) {
            convertOlderMarks(entry);
            setBoolForKey(entry, boolForKey(entry, VelKey::IsDisabled), VelKey::WasDisabled);
        } else {
            convertDisabledMenuItem(entry);
        }
        recordStoredState(entry);
    }

    VelSortServiceList(list, this);
    if (!list->isEmpty())
        (void)isSigned(); // the signature test runs during discovery, not later
    return list;
}

void VelFileRepresentation::readSavedInfoDictionaryAhead()
{
    m_savedStateReadAhead.reset();
    const std::optional<QString> path = infoDictionaryPath();
    if (!path)
        return;
    // Loaded by the provider's own loading code into its emptied fields,
    // which get the current state back afterwards; the stamps on both sides
    // of the reading tell a file replaced meanwhile.
    const VelFileStamp stamp = VelFileStampAtPath(*path);
    DictionaryPtr currentInfo = std::exchange(m_infoDictionary, nullptr);
    std::optional<QString> currentPath = std::exchange(m_infoDictionaryPath, std::nullopt);
    ArrayPtr currentServices = std::exchange(m_services, nullptr);
    StoredState read;
    read.services = loadServices();
    read.infoDictionary = std::exchange(m_infoDictionary, std::move(currentInfo));
    read.infoDictionaryPath = std::exchange(m_infoDictionaryPath, std::move(currentPath)).value_or(QString());
    m_services = std::move(currentServices);
    read.stamp = stamp;
    if (read.services && read.infoDictionaryPath == *path && VelFileStampAtPath(*path) == stamp)
        m_savedStateReadAhead = std::move(read);
}

DictionaryPtr VelFileRepresentation::serviceAtIndex(qsizetype index)
{
    const ArrayPtr list = services();
    if (!list || index < 0 || index >= list->size())
        return nullptr;
    return list->at(index).toDictionary();
}

std::optional<QString> VelFileRepresentation::localizedMenuItemTitle(const std::optional<QString> &title)
{
    if (!title)
        return std::nullopt;
    if (!m_servicesMenuStringsPath)
        m_servicesMenuStringsPath = bundle().pathForResource(QStringLiteral("ServicesMenu"), QStringLiteral("strings"));
    if (m_servicesMenuStringsPath->isEmpty())
        return title;
    const plist::Value &table = m_servicesMenuStrings.contents(*m_servicesMenuStringsPath, m_lookupPass);
    if (table.isNone())
        return title;
    const plist::Dictionary *translations = table.asDictionary();
    if (!translations) {
        VelLog(QStringLiteral("<%1> has a malformed ServicesMenu.strings localization:\n%2")
                   .arg(m_path, plist::describe(table)));
        return title;
    }
    if (const QString *translated = translations->value(*title).asString())
        return *translated;
    return title;
}

std::optional<QString> VelFileRepresentation::localizedMenuItemTitleOfService(const DictionaryPtr &entry)
{
    const std::optional<QString> title = serviceMenuItemTitle(entry);
    if (!title)
        return std::nullopt;
    if (*title == originalServiceMenuItemTitle(entry))
        return localizedMenuItemTitle(title);
    return title;
}

std::optional<QString> VelFileRepresentation::originalLocalizedMenuItemTitleOfService(const DictionaryPtr &entry)
{
    return localizedMenuItemTitle(originalServiceMenuItemTitle(entry));
}

QStringList VelFileRepresentation::menuPathComponentsFromMenuPath(
    const std::optional<QString> &menuPath, const DictionaryPtr &entry) const
{
    if (menuPath && !menuPath->isEmpty())
        return menuPath->split(u'/');
    const plist::Value &message = entry->value(VelKey::Message);
    if (!message.isNone()) {
        const plist::Value &port = entry->value(VelKey::PortName);
        return {VelFormat(VelLocalizedString(QStringLiteral("Untitled Service: [%@ %@]")),
            {port.isNone() ? QStringLiteral("?") : VelValueText(port), VelValueText(message)})};
    }
    return {VelLocalizedString(QStringLiteral("Untitled Service"))};
}

QStringList VelFileRepresentation::menuPathComponentsOfService(const DictionaryPtr &entry)
{
    return menuPathComponentsFromMenuPath(localizedMenuItemTitleOfService(entry), entry);
}

QString VelFileRepresentation::readableMenuPathOfService(const DictionaryPtr &entry)
{
    // The string table does not change while the program runs.
    static const QString singletonMenuPathSeparator = VelLocalizedString(QStringLiteral(" -> "));
    // The components joined again, without splitting a title into a list
    // first: sorting asks this of every entry.
    const std::optional<QString> title = localizedMenuItemTitleOfService(entry);
    if (title && !title->isEmpty())
        return QString(*title).replace(u'/', singletonMenuPathSeparator);
    return menuPathComponentsFromMenuPath(title, entry).join(singletonMenuPathSeparator);
}

bool VelFileRepresentation::isSigned()
{
    if (m_isSigned)
        return *m_isSigned;
    const std::optional<bool> answer = VelCodeSignature::isSigned(m_path);
    if (!answer)
        return false; // no signature tool: asked again next time, as cheaply
    m_isSigned = answer;
    return *answer;
}

bool VelFileRepresentation::isServiceEditable(const DictionaryPtr &entry)
{
    if (!serviceMenuItemTitle(entry))
        return false;
    // The signature test's answer is kept; the setting is read only when
    // it matters.
    return !isSigned()
        || VelUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("Edit Signed Applications"));
}
