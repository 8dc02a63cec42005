#pragma once

// What tells one version of a file from another without reading it: size,
// modification time to the nanosecond and inode. The inode matters because
// an atomic save replaces a file by renaming a new one over it, which may
// keep size and time (to the clock's granularity) but never the inode.
// Caches keep a stamp beside what they read and read again when it changes.

#include <QString>

#include <sys/stat.h>

struct VelFileStamp {
    bool exists = false;
    qint64 size = -1;
    qint64 modifiedNanoseconds = -1;
    quint64 inode = 0;

    [[nodiscard]] static VelFileStamp of(const struct stat &info);
    friend bool operator==(const VelFileStamp &, const VelFileStamp &) = default;
};

// Links followed; a path that cannot be stat'ed does not exist.
[[nodiscard]] VelFileStamp VelFileStampAtPath(const QString &path);
[[nodiscard]] VelFileStamp VelFileStampOfDescriptor(int fd);
