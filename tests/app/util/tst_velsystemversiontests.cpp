#include "files/VelMacVolume.h"
#include "util/VelSystemVersionTests.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestVelSystemVersionTests : public QObject {
    Q_OBJECT

private slots:
    void init() { VelResetSystemVersionForTesting(); }

    void cleanup()
    {
        qunsetenv("VELMORA_SYSTEM_VERSION");
        VelMacVolume::clearOverrides();
    }

    void versionTests_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("tiger");
        QTest::addColumn<bool>("leopard");
        QTest::newRow("10.3.9") << "10.3.9"_ba << false << false;
        QTest::newRow("10.4.0") << "10.4.0"_ba << true << false;
        QTest::newRow("10.4.11") << "10.4.11"_ba << true << false;
        QTest::newRow("10.5.0") << "10.5.0"_ba << true << true;
        QTest::newRow("11.2") << "11.2"_ba << true << true;
    }

    void versionTests()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, tiger);
        QFETCH(bool, leopard);
        qputenv("VELMORA_SYSTEM_VERSION", version);
        QCOMPARE(VelSystemIsTigerOrNewer(), tiger);
        QCOMPARE(VelSystemIsLeopardOrNewer(), leopard);
    }

    void failedLookupShouldLeave1020AndNotBeRepeated()
    {
        QTemporaryDir emptyVolume;
        VelMacVolume::setRootOverride(emptyVolume.path());
        QVERIFY(!VelSystemIsLeopardOrNewer());
        QVERIFY(!VelSystemIsTigerOrNewer());
        QCOMPARE(VelSystemVersion(), 0x1020u);
        qputenv("VELMORA_SYSTEM_VERSION", "10.5.0");
        QVERIFY(!VelSystemIsLeopardOrNewer());
        QCOMPARE(VelSystemVersion(), 0x1020u);
    }

    void versionShouldBeLookedUpOnlyOnce()
    {
        qputenv("VELMORA_SYSTEM_VERSION", "10.5.0");
        QVERIFY(VelSystemIsLeopardOrNewer());
        qputenv("VELMORA_SYSTEM_VERSION", "10.3.0");
        QVERIFY(VelSystemIsTigerOrNewer());
    }
};

QTEST_GUILESS_MAIN(TestVelSystemVersionTests)
#include "tst_velsystemversiontests.moc"
