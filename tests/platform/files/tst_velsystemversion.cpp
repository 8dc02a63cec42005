#include "files/VelMacVolume.h"
#include "files/VelSystemVersion.h"
#include "plist/PropertyList.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestVelSystemVersion : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        VelMacVolume::clearOverrides();
        qunsetenv("VELMORA_SYSTEM_VERSION");
    }

    void coding_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("code");
        QTest::newRow("10.2") << u"10.2"_s << 0x1020;
        QTest::newRow("10.3.9") << u"10.3.9"_s << 0x1039;
        QTest::newRow("10.4.0") << u"10.4.0"_s << 0x1040;
        QTest::newRow("10.4.11 clamps the last digit") << u"10.4.11"_s << 0x1049;
        QTest::newRow("10.5") << u"10.5"_s << 0x1050;
        QTest::newRow("10.9.5") << u"10.9.5"_s << 0x1095;
        QTest::newRow("10.10.5") << u"10.10.5"_s << 0x1099;
        QTest::newRow("11.2") << u"11.2"_s << 0x1099;
        QTest::newRow("14") << u"14"_s << 0x1099;
        QTest::newRow("9.2.2") << u"9.2.2"_s << 0x0922;
        QTest::newRow("white space") << u" 10.6.8\n"_s << 0x1068;
    }

    void coding()
    {
        QFETCH(QString, version);
        QFETCH(int, code);
        const std::optional<unsigned> coded = VelSystemVersionCode(version);
        QVERIFY(coded);
        QCOMPARE(int(*coded), code);
    }

    void textThatIsNoVersionShouldGiveNone_data()
    {
        QTest::addColumn<QString>("version");
        QTest::newRow("empty") << QString();
        QTest::newRow("word") << u"Tiger"_s;
        QTest::newRow("trailing dot") << u"10.4."_s;
        QTest::newRow("four parts") << u"10.4.1.1"_s;
        QTest::newRow("negative") << u"10.-4"_s;
        QTest::newRow("plus") << u"10.+4"_s;
    }

    void textThatIsNoVersionShouldGiveNone()
    {
        QFETCH(QString, version);
        QVERIFY(!VelSystemVersionCode(version));
    }

    void environmentShouldComeBeforeTheVolume()
    {
        QTemporaryDir volume;
        VelMacVolume::setRootOverride(volume.path());
        plist::DictionaryPtr info = plist::Dictionary::create();
        info->set(u"ProductVersion"_s, u"10.5.8"_s);
        QVERIFY(QDir().mkpath(volume.filePath(u"System/Library/CoreServices"_s)));
        QVERIFY(plist::writeXmlFile(
            plist::Value(info), volume.filePath(u"System/Library/CoreServices/SystemVersion.plist"_s)));
        QCOMPARE(VelLookUpSystemVersion(), std::optional<unsigned>(0x1058));
        qputenv("VELMORA_SYSTEM_VERSION", "10.4.11");
        QCOMPARE(VelLookUpSystemVersion(), std::optional<unsigned>(0x1049));
    }

    void volumeWithoutVersionShouldGiveNone()
    {
        QTemporaryDir volume;
        VelMacVolume::setRootOverride(volume.path());
        QVERIFY(!VelLookUpSystemVersion());
        QVERIFY(QDir().mkpath(volume.filePath(u"System/Library/CoreServices"_s)));
        plist::DictionaryPtr info = plist::Dictionary::create();
        info->set(u"ProductVersion"_s, 10);
        QVERIFY(plist::writeXmlFile(
            plist::Value(info), volume.filePath(u"System/Library/CoreServices/SystemVersion.plist"_s)));
        QVERIFY(!VelLookUpSystemVersion());
    }
};

QTEST_GUILESS_MAIN(TestVelSystemVersion)
#include "tst_velsystemversion.moc"
