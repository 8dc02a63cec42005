#include "VelWorkspace.h"

#include "files/VelMacVolume.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace {

std::atomic<int> findApplicationsCalls = 0;
std::atomic<int> updateDynamicServicesCalls = 0;

bool isDirectory(const QByteArray &nativePath)
{
    struct stat info { };
    return ::stat(nativePath.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool hasAppExtension(const char *name, size_t length)
{
    return length > 4 && name[length - 4] == '.' && (name[length - 3] | 0x20) == 'a' && (name[length - 2] | 0x20) == 'p'
        && (name[length - 1] | 0x20) == 'p';
}

struct FolderEntry {
    QByteArray name;
    unsigned char type; // readdir's entry type
    friend bool operator<(const FolderEntry &a, const FolderEntry &b) { return a.name < b.name; }
};

// The entries of a folder that may be folders (sorted, "." and ".." left
// out). readdir's entry type saves a stat call for most entries, which
// matters in application folders holding thousands of bundles.
std::vector<FolderEntry> candidateFolders(const QByteArray &folder)
{
    std::vector<FolderEntry> entries;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return entries;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)
            entries.push_back({QByteArray(name), entry->d_type});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Whether the entry is a folder or a link to one; only links and entries of
// unknown type cost a stat.
bool isFolderEntry(const QByteArray &path, unsigned char type, bool *isLink)
{
    *isLink = false;
    if (type == DT_DIR)
        return true;
    struct stat linkInfo { };
    if (::lstat(path.constData(), &linkInfo) != 0)
        return false;
    *isLink = S_ISLNK(linkInfo.st_mode);
    return *isLink ? isDirectory(path) : S_ISDIR(linkInfo.st_mode);
}

// Symbolic links to folders count as the folder they name but are never
// descended into, so that a link cannot lead the walk in circles.
void collectApplications(const QByteArray &folder, bool recursive, QStringList &found, int depth)
{
    constexpr int kMaxFolderDepth = 64;
    if (depth > kMaxFolderDepth)
        return;
    for (const FolderEntry &entry : candidateFolders(folder)) {
        const QByteArray &name = entry.name;
        const QByteArray path = folder + '/' + name;
        bool isLink = false;
        if (!isFolderEntry(path, entry.type, &isLink))
            continue;
        if (hasAppExtension(name.constData(), size_t(name.size())))
            found.append(QFile::decodeName(path));
        else if (recursive && !isLink && !VelWorkspace::hasPackageExtension(QFile::decodeName(name)))
            collectApplications(path, recursive, found, depth + 1);
    }
}

} // namespace

bool VelWorkspace::hasPackageExtension(const QString &fileName)
{
    static const QStringList extensions
        = {QStringLiteral("app"), QStringLiteral("service"), QStringLiteral("bundle"), QStringLiteral("framework"),
            QStringLiteral("plugin"), QStringLiteral("appex"), QStringLiteral("xpc"), QStringLiteral("prefpane"),
            QStringLiteral("qlgenerator"), QStringLiteral("mdimporter"), QStringLiteral("saver"),
            QStringLiteral("component"), QStringLiteral("kext"), QStringLiteral("wdgt"), QStringLiteral("workflow")};
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0)
        return false;
    const QStringView extension = QStringView(fileName).mid(dot + 1);
    for (const QString &known : extensions) {
        if (extension.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool VelWorkspace::isFilePackageAtPath(const QString &path)
{
    // The name first: it settles most paths without a look at the disk.
    if (!hasPackageExtension(path.mid(path.lastIndexOf(u'/') + 1)))
        return false;
    return isDirectory(QFile::encodeName(path));
}

bool VelWorkspace::isAliasFileAtPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return true;
    if (!info.isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray magic = file.read(4);
    return magic == "book" || magic == "alis";
}

QStringList VelWorkspace::allApplicationPaths()
{
    QStringList found;
    const QStringList recursiveFolders = {VelMacVolume::macPath(QStringLiteral("/Applications")),
        VelMacVolume::macPath(QStringLiteral("/System/Applications")),
        VelMacVolume::macPath(QStringLiteral("/System/Library/CoreServices")),
        VelMacVolume::macPath(QStringLiteral("/Developer/Applications")),
        VelMacVolume::expandTilde(QStringLiteral("~/Applications"))};
    for (const QString &folder : recursiveFolders)
        collectApplications(QFile::encodeName(folder), true, found, 0);

    // Other volumes: only the top level of their Applications folder.
    const QByteArray volumes = QFile::encodeName(VelMacVolume::macPath(QStringLiteral("/Volumes")));
    for (const FolderEntry &entry : candidateFolders(volumes)) {
        if (!entry.name.startsWith('.'))
            collectApplications(volumes + '/' + entry.name + "/Applications", false, found, 0);
    }
    return found;
}

void VelWorkspace::findApplications()
{
    ++findApplicationsCalls;
}

int VelWorkspace::findApplicationsCallCount()
{
    return findApplicationsCalls;
}

void NSUpdateDynamicServices()
{
    ++updateDynamicServicesCalls;
}

int NSUpdateDynamicServicesCallCount()
{
    return updateDynamicServicesCalls;
}
