#include "VelStringsTable.h"

#include <plist/PropertyList.h>

#include <QFile>

#include <sys/stat.h>

const plist::Value &VelStringsTable::contents(const QString &path, quint64 pass)
{
    if (pass != 0 && pass == m_checkedInPass && path == m_path)
        return m_contents;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        clear();
        m_path = path;
        m_checkedInPass = pass;
        return m_contents;
    }
    m_checkedInPass = pass;
    const qint64 modified = qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    if (path != m_path || qint64(st.st_size) != m_size || modified != m_modifiedNanoseconds
        || qint64(st.st_ino) != m_inode) {
        m_path = path;
        m_size = qint64(st.st_size);
        m_modifiedNanoseconds = modified;
        m_inode = qint64(st.st_ino);
        m_contents = plist::readFile(path);
    }
    return m_contents;
}

void VelStringsTable::clear()
{
    m_path.clear();
    m_size = -1;
    m_modifiedNanoseconds = -1;
    m_inode = -1;
    m_checkedInPass = 0;
    m_contents = {};
}
