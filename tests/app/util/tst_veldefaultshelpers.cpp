#include "defaults/VelUserDefaults.h"
#include "files/VelMacVolume.h"
#include "plist/PropertyList.h"
#include "util/VelDeepCopy.h"
#include "util/VelDefaultsArchiving.h"
#include "util/VelImportUserDefaults.h"
#include "util/VelSharedNumbers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestVelDefaultsHelpers : public QObject {
    Q_OBJECT

private:
    QTemporaryDir *m_home = nullptr;

    [[nodiscard]] QString domainPath(const QString &domain) const
    {
        return m_home->path() + u"/Library/Preferences/"_s + domain + u".plist"_s;
    }

private slots:
    void initTestCase()
    {
        // The application's domain comes from the main bundle; name one.
        qputenv("VELMORA_BUNDLE", "/nonexistent/Velmora.app");
    }

    void init()
    {
        m_home = new QTemporaryDir;
        VelMacVolume::setHomeOverride(m_home->path());
        QVERIFY(QDir().mkpath(m_home->path() + u"/Library/Preferences"_s));
    }

    void cleanup()
    {
        VelMacVolume::clearOverrides();
        delete m_home;
        m_home = nullptr;
    }

    void importShouldCopyEveryValueOnce()
    {
        VelUserDefaults &own = VelUserDefaults::standardUserDefaults();
        QVERIFY(own.setObject(u"mine"_s, u"Version"_s));
        QVERIFY(own.setObject(u"kept"_s, u"Untouched"_s));
        plist::DictionaryPtr old = plist::Dictionary::create();
        old->set(u"Version"_s, u"1.0"_s);
        old->set(u"Show Services Menu Sources"_s, true);
        QVERIFY(plist::writeXmlFile(plist::Value(old), domainPath(u"Quillfen.Velmora"_s)));

        QVERIFY(VelImportUserDefaults(u"Quillfen.Velmora"_s));
        QCOMPARE(own.stringForKey(u"Version"_s), u"1.0"_s);
        QVERIFY(own.boolForKey(u"Show Services Menu Sources"_s));
        QCOMPARE(own.stringForKey(u"Untouched"_s), u"kept"_s);
        QVERIFY(own.boolForKey(u"Imported User Defaults: Quillfen.Velmora"_s));

        QVERIFY(own.setObject(u"2.0"_s, u"Version"_s));
        QVERIFY(!VelImportUserDefaults(u"Quillfen.Velmora"_s));
        QCOMPARE(own.stringForKey(u"Version"_s), u"2.0"_s);
    }

    void importOfAMissingDomainShouldStillSetTheMarker()
    {
        VelUserDefaults &own = VelUserDefaults::standardUserDefaults();
        QVERIFY(!VelImportUserDefaults(u"com.example.Missing"_s));
        QVERIFY(own.boolForKey(u"Imported User Defaults: com.example.Missing"_s));

        // Once marked, the domain is not read even when it has appeared since.
        plist::DictionaryPtr late = plist::Dictionary::create();
        late->set(u"Late"_s, true);
        QVERIFY(plist::writeXmlFile(plist::Value(late), domainPath(u"com.example.Missing"_s)));
        QVERIFY(!VelImportUserDefaults(u"com.example.Missing"_s));
        QVERIFY(!own.hasPersistentValueForKey(u"Late"_s));
    }

    void tryToRemoveShouldOnlyWriteWhenTheKeyIsThere()
    {
        VelUserDefaults defaults(u"com.example.Remove"_s);
        tryToRemoveObjectForKey(defaults, u"Absent"_s);
        QVERIFY(!QFile::exists(defaults.path()));
        QVERIFY(defaults.setObject(1, u"Present"_s));
        tryToRemoveObjectForKey(defaults, u"Present"_s);
        QVERIFY(!VelUserDefaults(u"com.example.Remove"_s).hasPersistentValueForKey(u"Present"_s));
    }

    void archivedObjectsShouldRoundTrip()
    {
        VelUserDefaults defaults(u"com.example.Archive"_s);
        plist::DictionaryPtr value = plist::Dictionary::create();
        value->set(u"list"_s, plist::Array::create({plist::Value(1.5), plist::Value(u"x"_s)}));
        archiveObject(defaults, plist::Value(value), u"Archived"_s);
        QVERIFY(defaults.objectForKey(u"Archived"_s).isData());
        const plist::Value back = unarchivedObjectForKey(VelUserDefaults(u"com.example.Archive"_s), u"Archived"_s);
        QVERIFY(plist::contentEquals(back, plist::Value(value)));
    }

    void archivingNothingShouldStoreNothing()
    {
        VelUserDefaults defaults(u"com.example.Archive"_s);
        archiveObject(defaults, plist::Value(), u"Nothing"_s);
        QVERIFY(!defaults.hasPersistentValueForKey(u"Nothing"_s));
        QVERIFY(unarchivedObjectForKey(defaults, u"Nothing"_s).isNone());
        QVERIFY(defaults.setObject(u"not data"_s, u"Text"_s));
        QVERIFY(unarchivedObjectForKey(defaults, u"Text"_s).isNone());
        QVERIFY(defaults.setObject(plist::Value::fromData("garbage"), u"Garbage"_s));
        QVERIFY(unarchivedObjectForKey(defaults, u"Garbage"_s).isNone());
    }

    void sharedNumbersShouldBeTheSameObjectEveryTime()
    {
        QCOMPARE(&singleton0Number(), &singleton0Number());
        QCOMPARE(&singleton1Number(), &singleton1Number());
        QCOMPARE(singleton0Number().toInteger(), 0);
        QCOMPARE(singleton1Number().toInteger(), 1);
    }

    void dictionaryFromFileShouldReadEveryFormat_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isDictionary");
        plist::DictionaryPtr d = plist::Dictionary::create();
        d->set(u"NSServices"_s, plist::Array::create());
        QTest::newRow("xml") << plist::writeXml(plist::Value(d)) << true;
        QTest::newRow("binary") << plist::writeBinary(plist::Value(d)) << true;
        QTest::newRow("old-style text") << "{ NSServices = (); }"_ba << true;
        QTest::newRow("array at the top") << plist::writeXml(plist::Value(plist::Array::create())) << false;
        QTest::newRow("garbage") << "<plist><dict><key>"_ba << false;
    }

    void dictionaryFromFileShouldReadEveryFormat()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isDictionary);
        const QString path = m_home->path() + u"/Info.plist"_s;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const plist::DictionaryPtr read = deeplyMutableDictionaryWithContentsOfFile(path);
        QCOMPARE(bool(read), isDictionary);
        if (read) {
            read->value(u"NSServices").toArray()->append(u"mutable"_s);
            QCOMPARE(read->value(u"NSServices").toArray()->size(), 1);
        }
    }

    void dictionaryFromAMissingFileShouldBeNone()
    {
        QCOMPARE(deeplyMutableDictionaryWithContentsOfFile(m_home->path() + u"/missing"_s), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestVelDefaultsHelpers)
#include "tst_veldefaultshelpers.moc"
