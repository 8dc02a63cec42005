#pragma once

// One service provider: an application or service bundle whose Info.plist
// declares services. Every property is computed on first use and kept, so a
// provider costs nothing until asked and a provider never shown never reads
// its files.
//
// The services list is the very array inside the parsed Info.plist
// dictionary, so editing an entry edits the dictionary that a save writes.

#include "VelStringsTable.h"

#include <files/VelFileStamp.h>
#include <plist/PlistValue.h>

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class VelBundle;

// Whether the bytes of an Info.plist can hold a services list at all; false
// only when no spelling of "NSServices" can be in them.
[[nodiscard]] bool VelMayDeclareServices(QByteArrayView bytes);
class VelFileRepresentation;
using VelProviderPtr = std::shared_ptr<VelFileRepresentation>;

class VelFileRepresentation {
public:
    // None when nothing exists at the path; nothing is read yet.
    [[nodiscard]] static VelProviderPtr fileRepresentationWithPath(const QString &path);
    explicit VelFileRepresentation(const QString &path);
    ~VelFileRepresentation();
    VelFileRepresentation(const VelFileRepresentation &) = delete;
    VelFileRepresentation &operator=(const VelFileRepresentation &) = delete;

    // Forgets everything computed for the old path.
    void setPath(const QString &path);
    [[nodiscard]] const QString &path() const { return m_path; }
    [[nodiscard]] const VelBundle &bundle();
    [[nodiscard]] const QString &name();

    // Non-zero while the catalogue runs one operation over its providers (a
    // discovery, a tree build, a sort): within it, the strings file is
    // checked for changes once rather than on every title lookup.
    void setLookupPass(quint64 pass) { m_lookupPass = pass; }

    [[nodiscard]] std::optional<QString> infoDictionaryPath() const;
    [[nodiscard]] plist::DictionaryPtr infoDictionary();
    // None means: not a provider. An empty list is a provider without services.
    [[nodiscard]] plist::ArrayPtr services();
    [[nodiscard]] plist::DictionaryPtr serviceAtIndex(qsizetype index);

    [[nodiscard]] std::optional<QString> localizedMenuItemTitle(const std::optional<QString> &title);
    [[nodiscard]] std::optional<QString> localizedMenuItemTitleOfService(const plist::DictionaryPtr &entry);
    [[nodiscard]] std::optional<QString> originalLocalizedMenuItemTitleOfService(const plist::DictionaryPtr &entry);
    [[nodiscard]] QStringList menuPathComponentsFromMenuPath(
        const std::optional<QString> &menuPath, const plist::DictionaryPtr &entry) const;
    [[nodiscard]] QStringList menuPathComponentsOfService(const plist::DictionaryPtr &entry);
    [[nodiscard]] QString readableMenuPathOfService(const plist::DictionaryPtr &entry);

    [[nodiscard]] bool isSigned();
    [[nodiscard]] bool isServiceEditable(const plist::DictionaryPtr &entry);

    // Change tracking: current state against the stored state (as loaded) and
    // against the original state (before Velmora first changed the provider).
    [[nodiscard]] bool isDirty();
    [[nodiscard]] bool hasBeenDirtyBefore();
    [[nodiscard]] bool canRevert();
    void revert();
    // After a save: a dirty provider re-reads the Info.plist just written.
    void invalidate();
    // While a save runs, once the worker confirmed this provider's file:
    // reads and parses it now, kept aside, so that invalidate need not read
    // it again; invalidate takes it only while the file is still the one read.
    void readSavedInfoDictionaryAhead();
    static void addCleanCopyOfService(const plist::DictionaryPtr &entry, const plist::ArrayPtr &services);
    // The whole Info.plist to write; its stored list is the live services
    // list, so write it before the provider is edited again.
    [[nodiscard]] plist::DictionaryPtr cleanedInfoDictionaryForSaving();

private:
    // Reads and parses the Info.plist; with the flag, a file that cannot
    // declare services is left unparsed. Answers whether it was parsed.
    bool loadInfoDictionary(bool onlyIfItMayDeclareServices);
    void discardInfoDictionary();
    [[nodiscard]] plist::ArrayPtr loadServices();

    std::unique_ptr<VelBundle> m_bundle;
    QString m_path;
    std::optional<QString> m_name;
    std::optional<bool> m_isSigned;
    quint64 m_lookupPass = 0;
    plist::DictionaryPtr m_infoDictionary;
    std::optional<QString> m_infoDictionaryPath; // the file m_infoDictionary was read from
    plist::ArrayPtr m_services;
    struct StoredState {
        plist::DictionaryPtr infoDictionary;
        QString infoDictionaryPath;
        plist::ArrayPtr services;
        VelFileStamp stamp;
    };
    std::optional<StoredState> m_savedStateReadAhead;
    // Where ServicesMenu.strings lives ("" for nowhere), looked up once; the
    // table re-reads the file itself when it changes.
    std::optional<QString> m_servicesMenuStringsPath;
    VelStringsTable m_servicesMenuStrings;
};
