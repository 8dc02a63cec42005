#pragma once

// The workspace: the file browser's view of files (packages, aliases), the
// list of installed applications that Launch Services keeps on the Mac, and
// the calls that make the system rescan applications and services.

#include <QString>
#include <QStringList>

class VelWorkspace {
public:
    // A folder whose extension, in any case, is one of the bundle extensions
    // (app, service, bundle, framework, plugin, ...). Follows symbolic links.
    [[nodiscard]] static bool isFilePackageAtPath(const QString &path);
    [[nodiscard]] static bool hasPackageExtension(const QString &fileName);

    // A symbolic link, or a regular file holding a Finder alias or bookmark
    // (its data begins with "book" or "alis"). A missing path is no alias.
    [[nodiscard]] static bool isAliasFileAtPath(const QString &path);

    // Every application of the volume: each folder ending in ".app" below
    // Applications, System/Applications, System/Library/CoreServices,
    // Developer/Applications and ~/Applications (recursively, never inside a
    // package), then those at the top level of Volumes/*/Applications.
    [[nodiscard]] static QStringList allApplicationPaths();

    // Launch Services' rescan of the applications. Does nothing here; the
    // calls are counted so that callers can be observed.
    static void findApplications();
    [[nodiscard]] static int findApplicationsCallCount();
};

// Makes the system rebuild its Services menu. Does nothing here; counted.
void NSUpdateDynamicServices();
[[nodiscard]] int NSUpdateDynamicServicesCallCount();
