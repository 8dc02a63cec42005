#pragma once

// The Mac volume the program works on: a folder laid out like a Mac disk.
// The fixed Mac paths of the system are resolved under its root; "~" is the
// user's home folder, which may lie inside or outside the volume.
//
// Each setting comes from, in this order: an override (the programs' --root
// and --home options), the environment (VELMORA_ROOT, VELMORA_HOME,
// VELMORA_VOLUME_NAME), the default ("/", $HOME, "Macintosh HD").

#include <QString>
#include <QStringList>

class VelMacVolume {
public:
    // Absolute and clean, "/" for the machine's own root.
    [[nodiscard]] static QString root();
    [[nodiscard]] static QString home();
    [[nodiscard]] static QString volumeName();

    // An empty string drops the override.
    static void setRootOverride(const QString &root);
    static void setHomeOverride(const QString &home);
    static void setVolumeNameOverride(const QString &name);
    static void clearOverrides();

    // Applies "--root DIR", "--root=DIR", "--home DIR" and "--home=DIR" from
    // a command line and answers the arguments that remain, in order.
    static QStringList applyCommandLineOptions(const QStringList &arguments);

    // A Mac path ("/Library/Services") as the path of this machine under the
    // root. A relative path counts from the root, ".." never leads above it,
    // and a trailing "/" is kept ("/Volumes/" stays a prefix of folders).
    [[nodiscard]] static QString macPath(const QString &macAbsolutePath);

    // "~" and "~/..." with the home folder in front; other paths unchanged.
    [[nodiscard]] static QString expandTilde(const QString &path);

    // Whether the path is the root or lies below it (by path, not by disk).
    [[nodiscard]] static bool containsPath(const QString &path);
};

// The user's home folder, as NSHomeDirectory answers it.
[[nodiscard]] inline QString VelHomeDirectory()
{
    return VelMacVolume::home();
}
