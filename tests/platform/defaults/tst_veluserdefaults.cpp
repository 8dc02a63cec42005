#include "defaults/VelUserDefaults.h"
#include "files/VelMacVolume.h"
#include "log/VelLog.h"
#include "plist/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kDomain = u"com.example.Tester"_s;

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestVelUserDefaults : public QObject {
    Q_OBJECT

private:
    QTemporaryDir *m_home = nullptr;

    [[nodiscard]] QString preferences() const { return m_home->path() + u"/Library/Preferences"_s; }
    [[nodiscard]] QString domainFile() const { return preferences() + u'/' + kDomain + u".plist"_s; }

    bool writeDomain(const QString &domain, const plist::DictionaryPtr &values) const
    {
        return writeBytes(preferences() + u'/' + domain + u".plist"_s, plist::writeXml(plist::Value(values)));
    }

private slots:
    void init()
    {
        m_home = new QTemporaryDir;
        VelMacVolume::setHomeOverride(m_home->path());
    }

    void cleanup()
    {
        VelMacVolume::clearOverrides();
        delete m_home;
        m_home = nullptr;
    }

    void shouldPlaceDomainsInTheHomePreferencesFolder()
    {
        QCOMPARE(VelUserDefaults(kDomain).path(), domainFile());
        QCOMPARE(VelUserDefaults::globalUserDefaults().path(), preferences() + u"/.GlobalPreferences.plist"_s);
    }

    void shouldReadAFileWrittenBeforeTheObjectExisted()
    {
        plist::DictionaryPtr values = plist::Dictionary::create();
        values->set(u"Version"_s, u"1.2"_s);
        values->set(u"Flag"_s, u"YES"_s);
        values->set(u"Count"_s, 1);
        QVERIFY(writeDomain(kDomain, values));
        const VelUserDefaults defaults(kDomain);
        QCOMPARE(defaults.stringForKey(u"Version"_s), u"1.2"_s);
        QVERIFY(defaults.boolForKey(u"Flag"_s));
        QVERIFY(defaults.boolForKey(u"Count"_s));
        QVERIFY(!defaults.boolForKey(u"Absent"_s));
        QVERIFY(defaults.objectForKey(u"Absent"_s).isNone());
    }

    void shouldWriteEverySetThroughAtOnce()
    {
        VelUserDefaults defaults(kDomain);
        QVERIFY(!QFile::exists(domainFile()));
        QVERIFY(defaults.setBool(true, u"Show Services Menu Sources"_s));
        QVERIFY(defaults.setObject(plist::Value(qint64(1) << 40), u"Big"_s));
        QVERIFY(defaults.setObject(plist::Value::fromData("\x00\x01"_ba), u"Data"_s));
        const plist::DictionaryPtr onDisk = plist::readXml(readBytes(domainFile())).toDictionary();
        QVERIFY(onDisk);
        QVERIFY(onDisk->value(u"Show Services Menu Sources").toBoolean());
        QCOMPARE(onDisk->value(u"Big").toInteger(), qint64(1) << 40);
        QCOMPARE(onDisk->value(u"Data").toData(), "\x00\x01"_ba);

        QVERIFY(defaults.removeObjectForKey(u"Big"_s));
        QVERIFY(!plist::readXml(readBytes(domainFile())).toDictionary()->contains(u"Big"));
    }

    void shouldSeeChangesMadeByOthersOnDisk()
    {
        VelUserDefaults defaults(kDomain);
        QVERIFY(defaults.setObject(u"one"_s, u"Key"_s));
        VelUserDefaults other(kDomain);
        QVERIFY(other.setObject(u"two"_s, u"Key"_s));
        QVERIFY(other.setObject(u"kept"_s, u"Other"_s));
        QCOMPARE(defaults.stringForKey(u"Key"_s), u"two"_s);
        QVERIFY(defaults.setObject(u"three"_s, u"Third"_s));
        QCOMPARE(VelUserDefaults(kDomain).stringForKey(u"Other"_s), u"kept"_s);
    }

    // A batch of reads answers from what was read, but a write inside it
    // still starts from the file as it is, so nobody's change is lost.
    void readBatchShouldHoldReadsButNotWrites()
    {
        VelUserDefaults defaults(kDomain);
        QVERIFY(defaults.setObject(u"one"_s, u"Key"_s));
        VelUserDefaults other(kDomain);
        {
            const VelUserDefaults::ReadBatch batch(defaults);
            QCOMPARE(defaults.stringForKey(u"Key"_s), u"one"_s);
            QVERIFY(other.setObject(u"two"_s, u"Key"_s));
            QCOMPARE(defaults.stringForKey(u"Key"_s), u"one"_s);
            QVERIFY(defaults.setObject(u"mine"_s, u"Mine"_s));
            QCOMPARE(defaults.stringForKey(u"Key"_s), u"two"_s);
            QVERIFY(other.setObject(u"three"_s, u"Key"_s));
        }
        QCOMPARE(defaults.stringForKey(u"Key"_s), u"three"_s);
        QCOMPARE(VelUserDefaults(kDomain).stringForKey(u"Mine"_s), u"mine"_s);
    }

    void containersShouldComeBackAsCopies()
    {
        VelUserDefaults defaults(kDomain);
        plist::ArrayPtr list = plist::Array::create({plist::Value(u"a"_s)});
        QVERIFY(defaults.setObject(plist::Value(list), u"List"_s));
        list->append(u"changed after setting"_s);
        plist::ArrayPtr read = defaults.arrayForKey(u"List"_s);
        QCOMPARE(read->size(), 1);
        read->append(u"changed after reading"_s);
        QCOMPARE(defaults.arrayForKey(u"List"_s)->size(), 1);
    }

    void domainShouldFallBackToTheGlobalDomain()
    {
        plist::DictionaryPtr global = plist::Dictionary::create();
        global->set(u"AppleShowAllExtensions"_s, true);
        QVERIFY(writeDomain(u".GlobalPreferences"_s, global));
        const VelUserDefaults defaults(kDomain);
        QVERIFY(defaults.boolForKey(u"AppleShowAllExtensions"_s));
        QVERIFY(!defaults.hasPersistentValueForKey(u"AppleShowAllExtensions"_s));
        QVERIFY(defaults.persistentDomain()->isEmpty());
    }

    void typedReadsShouldConvertLikeTheMac()
    {
        VelUserDefaults defaults(kDomain);
        QVERIFY(defaults.setObject(u"  42abc"_s, u"Text"_s));
        QVERIFY(defaults.setObject(2.75, u"Real"_s));
        QVERIFY(defaults.setObject(7, u"Number"_s));
        QCOMPARE(defaults.integerForKey(u"Text"_s), 42);
        QCOMPARE(defaults.integerForKey(u"Real"_s), 2);
        QCOMPARE(defaults.doubleForKey(u"Number"_s), 7.0);
        QCOMPARE(defaults.stringForKey(u"Number"_s), u"7"_s);
        QCOMPARE(defaults.dictionaryForKey(u"Text"_s), nullptr);
        QVERIFY(defaults.dataForKey(u"Text"_s).isEmpty());
    }

    void unreadableFileShouldBeKeptAsideBeforeTheFirstWrite()
    {
        QVERIFY(writeBytes(domainFile(), "<?xml version=\"1.0\"?><plist><dict><key>broken"));
        VelUserDefaults defaults(kDomain);
        VelLogCapture log;
        QVERIFY(defaults.objectForKey(u"Anything"_s).isNone());
        QVERIFY(log.messages().isEmpty());
        QCOMPARE(readBytes(domainFile()), "<?xml version=\"1.0\"?><plist><dict><key>broken"_ba);

        QVERIFY(defaults.setBool(true, u"New"_s));
        QCOMPARE(log.messages().size(), 1);
        QVERIFY(log.messages().first().contains(domainFile()));
        const QStringList aside = QDir(preferences()).entryList({kDomain + u".plist.unreadable-*"_s}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readBytes(preferences() + u'/' + aside.first()), "<?xml version=\"1.0\"?><plist><dict><key>broken"_ba);
        QVERIFY(VelUserDefaults(kDomain).boolForKey(u"New"_s));

        QVERIFY(defaults.setBool(false, u"Second"_s));
        QCOMPARE(log.messages().size(), 1);
    }

    void fileWhoseTopLevelIsNotADictionaryShouldCountAsUnreadable()
    {
        QVERIFY(writeBytes(domainFile(), plist::writeXml(plist::Value(plist::Array::create()))));
        VelUserDefaults defaults(kDomain);
        VelLogCapture log;
        QVERIFY(defaults.setObject(u"v"_s, u"k"_s));
        QCOMPARE(log.messages().size(), 1);
        QCOMPARE(VelUserDefaults(kDomain).stringForKey(u"k"_s), u"v"_s);
    }

    void failedWriteShouldBeLoggedAndKeepTheValueInMemory()
    {
        QVERIFY(writeBytes(preferences(), "a file where the folder should be"));
        VelUserDefaults defaults(kDomain);
        VelLogCapture log;
        QVERIFY(!defaults.setObject(u"kept"_s, u"Key"_s));
        QCOMPARE(log.messages().size(), 1);
        QCOMPARE(defaults.stringForKey(u"Key"_s), u"kept"_s);
    }

    void setObjectsShouldWriteAllValuesTogether()
    {
        VelUserDefaults defaults(kDomain);
        QVERIFY(defaults.setObject(u"old"_s, u"A"_s));
        plist::DictionaryPtr values = plist::Dictionary::create();
        values->set(u"A"_s, u"new"_s);
        values->set(u"B"_s, false);
        QVERIFY(defaults.setObjects(values));
        const VelUserDefaults reread(kDomain);
        QCOMPARE(reread.stringForKey(u"A"_s), u"new"_s);
        QVERIFY(reread.hasPersistentValueForKey(u"B"_s));
    }

    void settingAValueThatHoldsANoneShouldStoreNothing()
    {
        VelUserDefaults defaults(kDomain);
        plist::ArrayPtr bad = plist::Array::create({plist::Value()});
        QVERIFY(!defaults.setObject(plist::Value(bad), u"Bad"_s));
        QVERIFY(!defaults.hasPersistentValueForKey(u"Bad"_s));
    }

    void changedHomeShouldBeFollowed()
    {
        VelUserDefaults defaults(kDomain);
        QVERIFY(defaults.setObject(u"first"_s, u"Key"_s));
        QTemporaryDir otherHome;
        VelMacVolume::setHomeOverride(otherHome.path());
        QVERIFY(defaults.objectForKey(u"Key"_s).isNone());
        QVERIFY(defaults.setObject(u"second"_s, u"Key"_s));
        QVERIFY(QFile::exists(otherHome.path() + u"/Library/Preferences/"_s + kDomain + u".plist"_s));
    }
};

QTEST_GUILESS_MAIN(TestVelUserDefaults)
#include "tst_veluserdefaults.moc"
