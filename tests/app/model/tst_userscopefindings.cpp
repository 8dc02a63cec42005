// What the user scope finds across the volume: settings left stale, and
// shortcuts that clash.

#include <model/VelPbsStatusFile.h>
#include <model/VelShortcutClashes.h>
#include <model/VelStaleUserEntries.h>

#include <plist/PropertyList.h>

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestUserScopeFindings : public QObject {
    Q_OBJECT

private slots:
    void shouldCallStaleOnlyWhatABundleCouldHaveMatched_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("stale");
        QTest::newRow("matches a service") << u"com.example.a - Text/Count - count"_s << false;
        QTest::newRow("old title of a service") << u"com.example.a - Text/Tally - count"_s << true;
        QTest::newRow("bundle gone, message still declared") << u"com.example.gone - Count - count"_s << true;
        QTest::newRow("workflow renamed") << u"(null) - Old Name - runWorkflowAsService"_s << true;
        QTest::newRow("Shortcuts") << u"(null) - 0F3C5D7A-2B6E-4C1D-9A8F-1E2D3C4B5A69 - runShortcutAsService"_s
                                   << false;
        QTest::newRow("message no bundle declares") << u"com.example.b - Other - otherMessage"_s << false;
        QTest::newRow("not a three-part key") << u"ServicesShortcutsPresent"_s << false;
    }

    void shouldCallStaleOnlyWhatABundleCouldHaveMatched()
    {
        QFETCH(QString, key);
        QFETCH(bool, stale);
        plist::DictionaryPtr status = plist::Dictionary::create();
        status->set(key, plist::Dictionary::create());
        plist::DictionaryPtr root = plist::Dictionary::create();
        root->set(u"NSServicesStatus"_s, status);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"pbs.plist"_s);
        QVERIFY(plist::writeFileAtomically(path, plist::writeBinary(plist::Value(root))));
        VelPbsStatusFile file;
        QString error;
        QVERIFY(file.load(path, &error) == VelPbsStatusFile::LoadResult::Loaded);
        const VelVolumeServiceKeys volume {
            {u"com.example.a - Text/Count - count"_s, u"(null) - New Name - runWorkflowAsService"_s},
            {u"count"_s, u"runWorkflowAsService"_s, u"runShortcutAsService"_s}};
        QCOMPARE(VelStaleUserEntryKeys(file, volume), stale ? QStringList {key} : QStringList());
    }

    void shouldFindShortcutsHeldByMoreThanOneService_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("clashes");
        QTest::newRow("one each") << QStringList {u"@a"_s, u"@b"_s} << QStringList();
        QTest::newRow("same key twice") << QStringList {u"@a"_s, u"@b"_s, u"@a"_s} << QStringList {u"@a"_s};
        QTest::newRow("bundle M is pbs @$m") << QStringList {u"M"_s, u"@$m"_s} << QStringList {u"@$m"_s};
        QTest::newRow("shift makes it another key") << QStringList {u"m"_s, u"M"_s} << QStringList();
        QTest::newRow("no shortcut never clashes") << QStringList {QString(), QString()} << QStringList();
        QTest::newRow("in order of first holder")
            << QStringList {u"@~x"_s, u"@b"_s, u"@b"_s, u"~@x"_s} << QStringList {u"@~x"_s, u"@b"_s};
    }

    void shouldFindShortcutsHeldByMoreThanOneService()
    {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, clashes);
        std::vector<VelShortcutHolder> holders;
        for (const QString &key : keys)
            holders.push_back({*VelKeyCombinationFromUserText(key), u"P"_s, u"/P.app"_s, u"T"_s, u"user"_s, u"user"_s});
        QStringList found;
        for (const VelShortcutClash &clash : VelFindShortcutClashes(holders)) {
            found << clash.key.pbsNotation();
            QVERIFY(clash.holders.size() >= 2);
        }
        QCOMPARE(found, clashes);
    }
};

QTEST_GUILESS_MAIN(TestUserScopeFindings)
#include "tst_userscopefindings.moc"
