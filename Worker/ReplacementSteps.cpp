#include "ReplacementSteps.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

int ReplacementSteps::createExclusive(int folderFd, const QByteArray &name)
{
    return ::openat(folderFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool ReplacementSteps::writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

bool ReplacementSteps::flush(int fd)
{
    return ::fsync(fd) == 0;
}

bool ReplacementSteps::rename(int folderFd, const QByteArray &from, const QByteArray &to, bool noReplace)
{
    if (!noReplace)
        return ::renameat(folderFd, from.constData(), folderFd, to.constData()) == 0;
    if (::renameat2(folderFd, from.constData(), folderFd, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without RENAME_NOREPLACE: a hard link fails on an
    // existing name just the same.
    if (::linkat(folderFd, from.constData(), folderFd, to.constData(), 0) != 0)
        return false;
    ::unlinkat(folderFd, from.constData(), 0);
    return true;
}

void ReplacementSteps::remove(int folderFd, const QByteArray &name)
{
    ::unlinkat(folderFd, name.constData(), 0);
}

ReplacementSteps &ReplacementSteps::system()
{
    static ReplacementSteps steps;
    return steps;
}
