// Shortcuts in the bundle's one-character notation and in the notation of
// the user's Services settings.

#include <model/VelKeyEquivalentNotation.h>

#include <QTest>

using namespace Qt::StringLiterals;

class TestKeyEquivalentNotation : public QObject {
    Q_OBJECT

private slots:
    void shouldReadWhatAPersonTypesInEitherNotation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pbs");
        QTest::newRow("lower-case letter is command") << u"m"_s << u"@m"_s;
        QTest::newRow("upper-case letter is shift-command") << u"M"_s << u"@$m"_s;
        QTest::newRow("digit") << u"1"_s << u"@1"_s;
        QTest::newRow("a modifier sign alone is a key") << u"$"_s << u"@$"_s;
        QTest::newRow("pbs notation as written") << u"@$m"_s << u"@$m"_s;
        QTest::newRow("modifiers in any order") << u"^~$@k"_s << u"@$~^k"_s;
        QTest::newRow("upper-case letter in pbs notation adds shift") << u"@M"_s << u"@$m"_s;
        QTest::newRow("space bar") << u"@~Space"_s << u"@~Space"_s;
        QTest::newRow("nothing removes the shortcut") << QString() << QString();
    }

    void shouldReadWhatAPersonTypesInEitherNotation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pbs);
        const std::optional<VelKeyCombination> key = VelKeyCombinationFromUserText(typed);
        QVERIFY(key);
        QCOMPARE(key->pbsNotation(), pbs);
    }

    void shouldRefuseTextThatIsNoKey_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("two keys") << u"ab"_s;
        QTest::newRow("a word") << u"@Tab"_s;
        QTest::newRow("unknown modifier") << u"@!m"_s;
    }

    void shouldRefuseTextThatIsNoKey()
    {
        QFETCH(QString, typed);
        QVERIFY(!VelKeyCombinationFromUserText(typed));
    }

    void shouldTreatBothNotationsOfOneShortcutAsTheSame()
    {
        QCOMPARE(VelKeyCombinationFromBundleKey(u"M"_s), *VelKeyCombinationFromPbsNotation(u"@$m"_s));
        QVERIFY(VelKeyCombinationFromBundleKey(u"m"_s) != *VelKeyCombinationFromPbsNotation(u"@$m"_s));
        QVERIFY(VelKeyCombinationFromBundleKey(u"mm"_s).isEmpty());
        QVERIFY(VelKeyCombinationFromBundleKey(std::nullopt).isEmpty());
    }

    void shouldDescribeTheShortcutInTheCataloguesStyle_data()
    {
        QTest::addColumn<QString>("pbs");
        QTest::addColumn<QString>("description");
        QTest::newRow("command") << u"@k"_s << u"[command]-[k]"_s;
        QTest::newRow("shift-command") << u"@$k"_s << u"[shift]-[command]-[K]"_s;
        QTest::newRow("control-option-command") << u"@~^k"_s << u"[command]-[option]-[control]-[k]"_s;
        QTest::newRow("space") << u"@Space"_s << u"[command]-[Space]"_s;
        QTest::newRow("none") << QString() << QString();
    }

    void shouldDescribeTheShortcutInTheCataloguesStyle()
    {
        QFETCH(QString, pbs);
        QFETCH(QString, description);
        QCOMPARE(VelKeyCombinationFromPbsNotation(pbs)->description(), description);
    }
};

QTEST_GUILESS_MAIN(TestKeyEquivalentNotation)
#include "tst_keyequivalentnotation.moc"
