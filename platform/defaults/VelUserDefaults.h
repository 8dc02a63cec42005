#pragma once

// User defaults: one XML property list per domain at
// ~/Library/Preferences/<domain>.plist ("~" being the volume's home folder),
// the global domain in .GlobalPreferences.plist. The file is read on first
// use and read again whenever it changed on disk; every set is written
// through at once, atomically.
//
// A domain file that cannot be read is never overwritten: before the first
// write it is renamed to "<domain>.plist.unreadable-<time>" and that is
// logged.

#include "plist/PlistValue.h"

#include <files/VelFileStamp.h>

#include <QString>

class VelUserDefaults {
public:
    explicit VelUserDefaults(QString domain);

    // The application's own domain, shared by the whole process.
    [[nodiscard]] static VelUserDefaults &standardUserDefaults();
    // The global domain, shared by the whole process.
    [[nodiscard]] static VelUserDefaults &globalUserDefaults();

    [[nodiscard]] static QString globalDomainName(); // ".GlobalPreferences"
    // The main bundle's identifier, else the executable's name.
    [[nodiscard]] static QString applicationDomainName();
    [[nodiscard]] static QString preferencesFolder();

    [[nodiscard]] const QString &domain() const { return m_domain; }
    [[nodiscard]] QString path() const;

    // The value in this domain, else (for any other domain) in the global
    // domain; none when neither has one. Containers come as copies.
    [[nodiscard]] plist::Value objectForKey(const QString &key) const;
    // This domain's own values only, as a copy; empty when it has none.
    [[nodiscard]] plist::DictionaryPtr persistentDomain() const;
    [[nodiscard]] bool hasPersistentValueForKey(const QString &key) const;

    // Typed reads: the value converted as the Mac converts it, else the
    // empty or zero value (a null handle for containers).
    [[nodiscard]] bool boolForKey(const QString &key) const;
    [[nodiscard]] qint64 integerForKey(const QString &key) const;
    [[nodiscard]] double doubleForKey(const QString &key) const;
    [[nodiscard]] QString stringForKey(const QString &key) const;
    [[nodiscard]] QByteArray dataForKey(const QString &key) const;
    [[nodiscard]] plist::ArrayPtr arrayForKey(const QString &key) const;
    [[nodiscard]] plist::DictionaryPtr dictionaryForKey(const QString &key) const;

    // Each answers whether the domain file was written. A none value removes
    // the key. The value is kept in memory even when writing failed.
    bool setObject(const plist::Value &value, const QString &key);
    bool setBool(bool value, const QString &key);
    bool removeObjectForKey(const QString &key);
    // Sets every key of the dictionary with a single write.
    bool setObjects(const plist::DictionaryPtr &values);

    // While a batch lives, reads answer from the values already read instead
    // of first checking the file for changes: for many reads that belong to
    // one operation (a discovery asks for every provider's display name).
    // Writes always check first.
    class ReadBatch {
    public:
        explicit ReadBatch(const VelUserDefaults &defaults)
            : m_defaults(defaults)
        {
            ++m_defaults.m_readBatches;
        }
        ~ReadBatch() { --m_defaults.m_readBatches; }
        ReadBatch(const ReadBatch &) = delete;
        ReadBatch &operator=(const ReadBatch &) = delete;

    private:
        const VelUserDefaults &m_defaults;
    };

    // A read batch over the two domains a setting of the application is
    // looked up in: its own, then the global one.
    class StandardReadBatch {
    public:
        StandardReadBatch()
            : m_own(standardUserDefaults())
            , m_global(globalUserDefaults())
        {
        }

    private:
        ReadBatch m_own;
        ReadBatch m_global;
    };

private:
    enum class Purpose { Reading, Writing };
    void refresh(Purpose purpose = Purpose::Reading) const;
    [[nodiscard]] bool setUnreadableFileAside();
    bool write();

    QString m_domain;
    mutable plist::DictionaryPtr m_values;
    mutable QString m_readPath;
    mutable VelFileStamp m_stamp;
    mutable bool m_loaded = false;
    mutable bool m_unreadable = false;
    mutable int m_readBatches = 0;
};
