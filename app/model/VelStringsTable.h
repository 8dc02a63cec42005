#pragma once

// A strings file read through a cache: the parsed contents are kept and the
// file is read again only when its size or modification time changes, so the
// answers are those of reading it on every call at the cost of one stat.

#include <plist/PlistValue.h>

#include <QString>

class VelStringsTable {
public:
    // The parsed property list at path; none when the file is missing or is
    // not a property list.
    [[nodiscard]] plist::Value contents(const QString &path);
    void clear();

private:
    QString m_path;
    qint64 m_size = -1;
    qint64 m_modifiedNanoseconds = -1;
    qint64 m_inode = -1;
    plist::Value m_contents;
};
