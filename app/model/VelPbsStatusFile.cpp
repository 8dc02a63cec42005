#include "VelPbsStatusFile.h"

#include "VelPreservingFileWrite.h"

#include <plist/PropertyList.h>

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

const QString VelPbsStatusFile::StatusKey = u"NSServicesStatus"_s;
const QString VelPbsStatusFile::EnabledServicesMenu = u"enabled_services_menu"_s;
const QString VelPbsStatusFile::EnabledContextMenu = u"enabled_context_menu"_s;
const QString VelPbsStatusFile::KeyEquivalent = u"key_equivalent"_s;
const QString VelPbsStatusFile::PresentationModes = u"presentation_modes"_s;
const QString VelPbsStatusFile::ServicesMenuMode = u"ServicesMenu"_s;
const QString VelPbsStatusFile::ContextMenuMode = u"ContextMenu"_s;

QString VelPbsStatusFile::pathInHome(const QString &home)
{
    return QDir(home).filePath(u"Library/Preferences/pbs.plist"_s);
}

VelPbsStatusFile::LoadResult VelPbsStatusFile::load(const QString &path, QString *error)
{
    m_root.reset();
    m_status.reset();
    m_changed = false;
    QByteArray bytes;
    int failure = 0;
    if (!plist::readFileBytes(path, &bytes, &failure)) {
        if (failure == ENOENT && !QFileInfo(path).isSymLink()) {
            m_root = plist::Dictionary::create();
            return LoadResult::Absent;
        }
        *error = u"%1 cannot be read: %2"_s.arg(path, QString::fromLocal8Bit(std::strerror(failure)));
        return LoadResult::Unreadable;
    }
    const plist::Value value = plist::read(bytes);
    plist::DictionaryPtr root = value.toDictionary();
    if (!root) {
        *error = u"%1 is not a property list holding a dictionary"_s.arg(path);
        return LoadResult::Unreadable;
    }
    const plist::Value &status = root->value(StatusKey);
    if (!status.isNone() && !status.isDictionary()) {
        *error = u"%1: %2 is not a dictionary"_s.arg(path, StatusKey);
        return LoadResult::Unreadable;
    }
    m_root = std::move(root);
    m_status = status.toDictionary();
    return LoadResult::Loaded;
}

const plist::Dictionary *VelPbsStatusFile::entry(const QString &key) const
{
    return m_status ? m_status->value(key).asDictionary() : nullptr;
}

QStringList VelPbsStatusFile::keys() const
{
    return m_status ? m_status->keys() : QStringList();
}

qsizetype VelPbsStatusFile::entryCount() const
{
    return m_status ? m_status->size() : 0;
}

plist::DictionaryPtr VelPbsStatusFile::statusDictionary()
{
    if (!m_status) {
        m_status = plist::Dictionary::create();
        m_root->set(StatusKey, m_status);
    }
    return m_status;
}

// An entry that is not a dictionary (hand-edited) is replaced by an empty one.
plist::DictionaryPtr VelPbsStatusFile::editableEntry(const QString &key)
{
    const plist::DictionaryPtr status = statusDictionary();
    plist::DictionaryPtr entry = status->value(key).toDictionary();
    if (!entry) {
        entry = plist::Dictionary::create();
        status->set(key, entry);
    }
    m_changed = true;
    return entry;
}

void VelPbsStatusFile::setEnabled(const QString &key, bool enabled)
{
    const plist::DictionaryPtr entry = editableEntry(key);
    entry->set(EnabledServicesMenu, enabled);
    entry->set(EnabledContextMenu, enabled);
    plist::DictionaryPtr modes = entry->value(PresentationModes).toDictionary();
    if (!modes) {
        modes = plist::Dictionary::create();
        entry->set(PresentationModes, modes);
    }
    modes->set(ServicesMenuMode, enabled);
    modes->set(ContextMenuMode, enabled);
}

void VelPbsStatusFile::setKeyEquivalent(const QString &key, const QString &pbsKeyEquivalent)
{
    editableEntry(key)->set(KeyEquivalent, pbsKeyEquivalent);
}

bool VelPbsStatusFile::removeEntry(const QString &key)
{
    if (!m_status || !m_status->remove(key))
        return false;
    m_changed = true;
    return true;
}

bool VelPbsStatusFile::moveEntry(const QString &from, const QString &to)
{
    if (!m_status || !m_status->contains(from) || from == to)
        return false;
    const plist::Value moved = m_status->value(from);
    m_status->remove(from);
    m_status->set(to, moved);
    m_changed = true;
    return true;
}

bool VelPbsStatusFile::save(const QString &path, QString *error) const
{
    if (!m_root) {
        *error = u"%1 was not read, so it is not written"_s.arg(path);
        return false;
    }
    const QByteArray bytes = plist::writeBinary(plist::Value(m_root));
    if (bytes.isEmpty()) {
        *error = u"%1: the settings cannot be written as a property list"_s.arg(path);
        return false;
    }
    return VelReplaceFilePreservingOwnership(path, bytes, error);
}
