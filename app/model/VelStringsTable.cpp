#include "VelStringsTable.h"

#include <plist/PropertyList.h>

const plist::Value &VelStringsTable::contents(const QString &path, quint64 pass)
{
    if (pass != 0 && pass == m_checkedInPass && path == m_path)
        return m_contents;
    const VelFileStamp stamp = VelFileStampAtPath(path);
    m_checkedInPass = pass;
    if (path == m_path && stamp == m_stamp)
        return m_contents;
    m_path = path;
    m_stamp = stamp;
    m_contents = stamp.exists ? plist::readFile(path) : plist::Value();
    return m_contents;
}

void VelStringsTable::clear()
{
    m_path.clear();
    m_stamp = {};
    m_checkedInPass = 0;
    m_contents = {};
}
