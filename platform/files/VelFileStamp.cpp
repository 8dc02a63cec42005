#include "VelFileStamp.h"

#include <QFile>

VelFileStamp VelFileStamp::of(const struct stat &info)
{
    return {true, qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
        quint64(info.st_ino)};
}

VelFileStamp VelFileStampAtPath(const QString &path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? VelFileStamp::of(info) : VelFileStamp();
}

VelFileStamp VelFileStampOfDescriptor(int fd)
{
    struct stat info { };
    return ::fstat(fd, &info) == 0 ? VelFileStamp::of(info) : VelFileStamp();
}
