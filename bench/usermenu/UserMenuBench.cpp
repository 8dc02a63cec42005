// Times `velmoractl menu` in user scope against system (bundle) scope on the
// same Mac volume, after giving the volume's user a pbs.plist of 5,000
// entries: one for most services, in every shape the Mac and scripts write,
// plus stale and Shortcuts entries. Each run is a whole velmoractl process,
// as a script would start it; its time is the processor time of that child
// (user and system), which stays steady on a busy machine. The best of
// nine rounds counts.
//
//   usermenu-bench ROOT HOME [VELMORACTL]
//
// Writes HOME/Library/Preferences/pbs.plist, replacing any there.

#include <model/VelPbsStatusFile.h>
#include <model/VelServiceCatalogue.h>
#include <model/VelUserServiceState.h>

#include <files/VelMacVolume.h>
#include <plist/PropertyList.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cstdio>

extern char **environ;

namespace {

constexpr int kEntries = 5000;
constexpr int kRounds = 9;

plist::DictionaryPtr statusEntry(int index)
{
    plist::DictionaryPtr entry = plist::Dictionary::create();
    switch (index % 5) {
    case 0:
        entry->set(VelPbsStatusFile::EnabledServicesMenu, true);
        break;
    case 1:
        entry->set(VelPbsStatusFile::EnabledServicesMenu, 0);
        entry->set(VelPbsStatusFile::KeyEquivalent, QStringLiteral("@$%1").arg(QChar(u'a' + index % 26)));
        break;
    case 2:
        entry->set(VelPbsStatusFile::EnabledServicesMenu, QStringLiteral("1"));
        break;
    case 3: {
        plist::DictionaryPtr modes = plist::Dictionary::create();
        modes->set(VelPbsStatusFile::ServicesMenuMode, index % 2 == 0);
        modes->set(VelPbsStatusFile::ContextMenuMode, true);
        modes->set(QStringLiteral("TouchBar"), false);
        entry->set(VelPbsStatusFile::PresentationModes, modes);
        break;
    }
    default:
        entry->set(VelPbsStatusFile::KeyEquivalent, QString());
        break;
    }
    return entry;
}

// Four in five entries match a service; the rest are stale or Shortcuts'.
bool writeStatusFile(const QString &home, qsizetype *matching)
{
    std::vector<QString> keys;
    for (const VelProviderPtr &provider : VelServiceCatalogue::shared().applications()) {
        const QString identifier = VelPbsIdentifier(provider->infoDictionary().get());
        for (const plist::Value &item : *provider->services()) {
            if (const std::optional<QString> key = VelPbsServiceKey(identifier, item.toDictionary()))
                keys.push_back(*key);
        }
    }
    keys.resize(std::min<size_t>(keys.size(), kEntries * 4 / 5));
    *matching = qsizetype(keys.size());
    for (int i = 0; keys.size() < size_t(kEntries); ++i)
        keys.push_back(i % 2 ? QStringLiteral("com.example.gone%1 - Old Title %1 - service1").arg(i)
                             : QStringLiteral("(null) - %1 - runShortcutAsService").arg(i));
    plist::DictionaryPtr status = plist::Dictionary::create();
    for (size_t i = 0; i < keys.size(); ++i)
        status->set(keys[i], statusEntry(int(i)));
    plist::DictionaryPtr root = plist::Dictionary::create();
    root->set(VelPbsStatusFile::StatusKey, status);
    root->set(QStringLiteral("ServicesShortcutsPresent"), true);
    const QString path = VelPbsStatusFile::pathInHome(home);
    return QDir().mkpath(QFileInfo(path).path())
        && plist::writeFileAtomically(path, plist::writeBinary(plist::Value(root)));
}

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double wallSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Timing {
    double cpu = 1e9;
    double wall = 1e9;
};

// One velmoractl run with its output thrown away; false when it failed.
bool runMenu(const QByteArray &program, const QList<QByteArray> &arguments, Timing *best)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv {const_cast<char *>(program.constData())};
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    const double start = wallSeconds();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    best->wall = std::min(best->wall, wallSeconds() - start);
    best->cpu = std::min(best->cpu, seconds(usage.ru_utime) + seconds(usage.ru_stime));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: usermenu-bench ROOT HOME [VELMORACTL]\n");
        return 2;
    }
    const QString root = QDir(arguments[1]).absolutePath();
    const QString home = QDir(arguments[2]).absolutePath();
    const QString velmoractl
        = arguments.size() > 3 ? arguments[3] : QCoreApplication::applicationDirPath() + QStringLiteral("/velmoractl");
    VelMacVolume::setRootOverride(root);
    VelMacVolume::setHomeOverride(home);
    VelServiceCatalogue::shared().reloadApplications();
    qsizetype matching = 0;
    if (!writeStatusFile(home, &matching)) {
        std::fprintf(stderr, "usermenu-bench: cannot write the pbs.plist\n");
        return 1;
    }
    std::printf("%lld providers; pbs.plist of %d entries, %lld of them matching a service\n",
        qlonglong(VelServiceCatalogue::shared().applications().size()), kEntries, qlonglong(matching));

    const QByteArray program = QFile::encodeName(velmoractl);
    const QList<QByteArray> common {"--root", QFile::encodeName(root), "--home", QFile::encodeName(home)};
    Timing system;
    Timing user;
    for (int round = 0; round < kRounds; ++round) {
        if (!runMenu(program, common + QList<QByteArray> {"--scope", "system", "menu"}, &system)
            || !runMenu(program, common + QList<QByteArray> {"--scope", "user", "menu"}, &user)) {
            std::fprintf(stderr, "usermenu-bench: %s menu failed\n", program.constData());
            return 1;
        }
    }
    std::printf("menu, system scope: %.3f s processor, %.3f s wall\n", system.cpu, system.wall);
    std::printf("menu, user scope:   %.3f s processor, %.3f s wall (%.2fx system scope)\n", user.cpu, user.wall,
        user.cpu / system.cpu);
    return 0;
}
