#pragma once

// A strings file read through a cache: the parsed contents are kept and the
// file is read again only when its size or modification time changes, so the
// answers are those of reading it on every call at the cost of one stat.
// Calls that give the same non-zero pass number skip the stat after the
// first: the caller vouches that they belong to one operation.

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
    qint64 m_size = -1;
    qint64 m_modifiedNanoseconds = -1;
    qint64 m_inode = -1;
    quint64 m_checkedInPass = 0;
    plist::Value m_contents;
};
