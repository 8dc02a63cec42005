#pragma once

// A strings file read through a cache: the parsed contents are kept and the
// file is read again only when its stamp (size, time, inode) changes, so the
// answers are those of reading it on every call at the cost of one stat.
// Calls that give the same non-zero pass number skip the stat after the
// first: the caller vouches that they belong to one operation.

#include <files/VelFileStamp.h>
#include <plist/PlistValue.h>

#include <QString>

class VelStringsTable {
public:
    // The parsed property list at path; none when the file is missing or is
    // not a property list.
    // The answer stays valid until the next call or clear().
    [[nodiscard]] const plist::Value &contents(const QString &path, quint64 pass = 0);
    void clear();

private:
    QString m_path;
    VelFileStamp m_stamp;
    quint64 m_checkedInPass = 0;
    plist::Value m_contents;
};
