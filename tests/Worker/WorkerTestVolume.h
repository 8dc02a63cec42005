#pragma once

// A temporary Mac volume for TidyWorker runs: bundles with Info.plist files,
// a home folder with Changes.plist, and the real worker program.

#include <plist/PropertyList.h>

#include <ReplacementSteps.h>
#include <TidyWorker.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

struct WorkerRun {
    int status = -1;
    QByteArray output;
    QString log;
};

inline timespec modificationDateOf(const QString &path)
{
    struct stat st { };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return st.st_mtim;
}

inline bool sameInstant(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A date long past (2001), so that any date a run sets differs from it
// without waiting for the clock to move.
inline constexpr timespec kLongAgo {1000000000, 0};

// Sets the access and modification dates of the path itself (not what a
// link leads to) to kLongAgo.
inline bool ageFile(const QString &path)
{
    const timespec dates[2] = {kLongAgo, kLongAgo};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), dates, AT_SYMLINK_NOFOLLOW) == 0;
}

// Everything in a folder, hidden names included.
inline QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Collects what this process writes to standard error while it lives, for
// runs of the worker's code inside the test.
class StandardErrorCapture {
public:
    StandardErrorCapture()
        : m_file(std::tmpfile())
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        if (m_file)
            ::dup2(::fileno(m_file), STDERR_FILENO);
    }
    ~StandardErrorCapture()
    {
        restore();
        if (m_file)
            std::fclose(m_file);
    }
    StandardErrorCapture(const StandardErrorCapture &) = delete;
    StandardErrorCapture &operator=(const StandardErrorCapture &) = delete;

    // Stops capturing and answers what was written.
    QString text()
    {
        restore();
        if (!m_file)
            return {};
        QByteArray bytes;
        char buffer[4096];
        std::rewind(m_file);
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0;)
            bytes.append(buffer, qsizetype(n));
        return QString::fromUtf8(bytes);
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    std::FILE *m_file = nullptr;
    int m_saved = -1;
};

// The content of a regular file (through links), else nothing.
inline QByteArray fileBytes(const QString &path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class WorkerTestVolume {
public:
    WorkerTestVolume()
    {
        QDir().mkpath(home() + QStringLiteral("/Library/Application Support/Velmora"));
        QDir().mkpath(root() + QStringLiteral("/Applications"));
    }

    [[nodiscard]] bool isValid() const { return m_dir.isValid(); }
    [[nodiscard]] QString root() const { return m_dir.path(); }
    [[nodiscard]] QString home() const { return root() + QStringLiteral("/Users/tester"); }
    [[nodiscard]] QString changeListPath() const
    {
        return home() + QStringLiteral("/Library/Application Support/Velmora/Changes.plist");
    }
    [[nodiscard]] static QString workerPath()
    {
        return QStringLiteral(VELMORA_BINARY_DIR "/Velmora.app/Contents/Resources/TidyWorker");
    }

    // An Info.plist dictionary with one service and a few keys the worker
    // must leave alone.
    [[nodiscard]] static plist::DictionaryPtr sampleInfo(const QString &name)
    {
        auto service = plist::Dictionary::create();
        auto menuItem = plist::Dictionary::create();
        menuItem->set(QStringLiteral("default"), QStringLiteral("%1/Do Something").arg(name));
        service->set(QStringLiteral("NSMenuItem"), plist::Value(menuItem));
        service->set(QStringLiteral("NSMessage"), QStringLiteral("doSomething"));
        auto info = plist::Dictionary::create();
        info->set(QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.%1").arg(name));
        info->set(QStringLiteral("CFBundleName"), name);
        info->set(QStringLiteral("LSMinimumSystemVersion"), QStringLiteral("10.4"));
        info->set(QStringLiteral("NSServices"), plist::Value(plist::Array::create({plist::Value(service)})));
        return info;
    }

    // The same dictionary with its services disabled the way the
    // application saves them.
    [[nodiscard]] static plist::DictionaryPtr changedInfo(const plist::DictionaryPtr &info)
    {
        const plist::DictionaryPtr changed = plist::deepCopy(plist::Value(info)).toDictionary();
        changed->set(QStringLiteral("Quillfen.Velmora.AllNSServices"), changed->value(u"NSServices"));
        changed->set(QStringLiteral("NSServices"), plist::Value(plist::Array::create()));
        return changed;
    }

    // Applications/<name>.app with Contents and, when info is given, an
    // Info.plist holding it.
    QString makeBundle(const QString &name, const plist::DictionaryPtr &info, plist::Format format = plist::Format::Xml)
    {
        const QString bundle = root() + QStringLiteral("/Applications/%1.app").arg(name);
        QDir().mkpath(bundle + QStringLiteral("/Contents"));
        if (info) {
            const QByteArray bytes = format == plist::Format::Binary ? plist::writeBinary(plist::Value(info))
                                                                     : plist::writeXml(plist::Value(info));
            QFile file(infoPathOf(bundle));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                qWarning("cannot write the test Info.plist");
        }
        return bundle;
    }

    [[nodiscard]] static QString infoPathOf(const QString &bundle, const QString &name = QStringLiteral("Info.plist"))
    {
        return bundle + QStringLiteral("/Contents/") + name;
    }

    [[nodiscard]] static plist::Value entry(const QString &bundle, const plist::DictionaryPtr &info)
    {
        auto entry = plist::Dictionary::create();
        entry->set(QStringLiteral("Info"), plist::Value(info));
        entry->set(QStringLiteral("Info Path"), infoPathOf(bundle));
        entry->set(QStringLiteral("Package Path"), bundle);
        return plist::Value(entry);
    }

    bool writeChangeListRoot(const plist::Value &root) { return writeChangeListBytes(plist::writeXml(root)); }

    bool writeChangeListBytes(const QByteArray &bytes)
    {
        QFile::remove(changeListPath());
        QFile file(changeListPath());
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
            && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    bool writeChangeList(const std::vector<plist::Value> &entries)
    {
        return writeChangeListRoot(plist::Value(plist::Array::create(entries)));
    }

    // The worker's code run inside the test on a list that need not survive
    // the trip through an XML file, each write step through steps.
    [[nodiscard]] static WorkerRun runInProcess(
        const std::vector<plist::Value> &entries, ReplacementSteps &steps = ReplacementSteps::system())
    {
        const plist::ArrayPtr list = plist::Array::create(entries);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        StandardErrorCapture capture;
        WorkerRun result;
        result.status = applyChangeList(*list, out, steps);
        result.log = capture.text();
        result.output = out.data();
        return result;
    }

    // childSetup runs in the worker's process before the program starts.
    [[nodiscard]] WorkerRun run(const QStringList &arguments = {QStringLiteral("-go")},
        const QProcessEnvironment &extra = {}, const std::function<void()> &childSetup = {}) const
    {
        QProcess process;
        if (childSetup)
            process.setChildProcessModifier(childSetup);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("PKEXEC_UID"));
        environment.remove(QStringLiteral("SUDO_UID"));
        environment.insert(QStringLiteral("VELMORA_HOME"), home());
        environment.insert(extra);
        process.setProcessEnvironment(environment);
        process.start(workerPath(), arguments);
        WorkerRun result;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.status = process.exitCode();
        result.output = process.readAllStandardOutput();
        result.log = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private:
    QTemporaryDir m_dir;
};
