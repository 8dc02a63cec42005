// Atomic replacement of a file: the bytes go to a new file in the same
// folder, which is flushed to disk and then renamed over the old one, so that
// readers see either the old or the new content, never a mixture.

#include "PropertyList.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace plist {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

// Mode 0666 lets the umask decide the new file's permissions, as for any
// newly created file.
int createTemporaryFile(const QString &folder, const QString &name, QByteArray &tempPath)
{
    // The name is cut (in bytes, which is all the file system cares about)
    // so that a name of the greatest length still leaves room for the suffix.
    const QByteArray prefix = QFile::encodeName(folder) + "/." + QFile::encodeName(name).left(200) + ".tmp-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = prefix + QByteArray::number(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 36);
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The rename is only durable once the folder itself reaches the disk.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool writeFileAtomically(
    const QString &path, const QByteArray &bytes, QString *error, const std::function<bool(int)> &prepare)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    QByteArray tempPath;
    const int fd = createTemporaryFile(folder, info.fileName(), tempPath);
    if (fd < 0) {
        const int failure = errno;
        setError(error, QStringLiteral("cannot create a temporary file in %1: %2").arg(folder, systemError(failure)));
        return false;
    }
    bool ok = (!prepare || prepare(fd)) && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int failure = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && ::rename(tempPath.constData(), QFile::encodeName(path).constData()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        ::unlink(tempPath.constData());
        setError(error, QStringLiteral("cannot write %1: %2").arg(path, systemError(failure)));
        return false;
    }
    syncFolder(folder);
    return true;
}

bool writeXmlFile(const Value &v, const QString &path, QString *error)
{
    const QByteArray xml = writeXml(v);
    if (xml.isEmpty()) {
        setError(error, QStringLiteral("cannot write %1: the value is not a complete property list").arg(path));
        return false;
    }
    return writeFileAtomically(path, xml, error);
}

} // namespace plist
