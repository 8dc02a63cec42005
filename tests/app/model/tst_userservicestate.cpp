// A service's state in the user's scope: the user's pbs.plist entry where
// there is one, else the Mac's default rule.

#include "VelTestVolume.h"

#include <model/VelServiceEntry.h>
#include <model/VelUserServiceState.h>

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

plist::DictionaryPtr service(const QString &title, const QString &key = QString(), bool requiredContext = false)
{
    plist::DictionaryPtr item = plist::Dictionary::create();
    item->set(u"default"_s, title);
    plist::DictionaryPtr entry = plist::Dictionary::create();
    entry->set(u"NSMenuItem"_s, item);
    entry->set(u"NSMessage"_s, u"doIt"_s);
    if (!key.isEmpty()) {
        plist::DictionaryPtr keyItem = plist::Dictionary::create();
        keyItem->set(u"default"_s, key);
        entry->set(u"NSKeyEquivalent"_s, keyItem);
    }
    if (requiredContext)
        entry->set(u"NSRequiredContext"_s, plist::Dictionary::create());
    return entry;
}

plist::DictionaryPtr modes(bool servicesMenu)
{
    plist::DictionaryPtr d = plist::Dictionary::create();
    d->set(u"ServicesMenu"_s, servicesMenu);
    d->set(u"TouchBar"_s, !servicesMenu);
    return d;
}

using State = std::optional<bool>;

} // namespace

Q_DECLARE_METATYPE(plist::DictionaryPtr)
Q_DECLARE_METATYPE(std::optional<bool>)

class TestUserServiceState : public QObject {
    Q_OBJECT

private slots:
    void shouldTakeTheEnabledStateFromTheEntryElseTheDefault_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<bool>("requiredContext");
        QTest::addColumn<plist::DictionaryPtr>("entry");
        QTest::addColumn<State>("enabled");
        QTest::addColumn<QString>("source");
        const plist::DictionaryPtr none;
        QTest::newRow("another vendor without entry is off")
            << u"com.example.a"_s << false << none << State(false) << u"default"_s;
        QTest::newRow("NSRequiredContext makes it on")
            << u"com.example.a"_s << true << none << State(true) << u"default"_s;
        QTest::newRow("no identifier follows the same rule")
            << u"(null)"_s << true << none << State(true) << u"default"_s;
        QTest::newRow("Apple's own without entry is unknown")
            << u"com.apple.finder"_s << true << none << State() << u"default"_s;
        QTest::newRow("boolean") << u"com.apple.finder"_s << false
                                 << VelTest::dictionary({{u"enabled_services_menu"_s, true}}) << State(true)
                                 << u"user"_s;
        QTest::newRow("integer 0") << u"com.example.a"_s << true
                                   << VelTest::dictionary({{u"enabled_services_menu"_s, 0}}) << State(false)
                                   << u"user"_s;
        QTest::newRow("integer 1") << u"com.example.a"_s << false
                                   << VelTest::dictionary({{u"enabled_services_menu"_s, 1}}) << State(true)
                                   << u"user"_s;
        QTest::newRow("string 0") << u"com.example.a"_s << true
                                  << VelTest::dictionary({{u"enabled_services_menu"_s, u"0"_s}}) << State(false)
                                  << u"user"_s;
        QTest::newRow("string 1") << u"com.example.a"_s << false
                                  << VelTest::dictionary({{u"enabled_services_menu"_s, u"1"_s}}) << State(true)
                                  << u"user"_s;
        QTest::newRow("presentation_modes alone")
            << u"com.example.a"_s << false << VelTest::dictionary({{u"presentation_modes"_s, modes(true)}})
            << State(true) << u"user"_s;
        QTest::newRow("enabled_services_menu wins over presentation_modes")
            << u"com.example.a"_s << false
            << VelTest::dictionary({{u"enabled_services_menu"_s, false}, {u"presentation_modes"_s, modes(true)}})
            << State(false) << u"user"_s;
        QTest::newRow("partial entry keeps the default state")
            << u"com.example.a"_s << true << VelTest::dictionary({{u"key_equivalent"_s, u"@k"_s}}) << State(true)
            << u"user"_s;
        QTest::newRow("partial entry of Apple's own stays unknown")
            << u"com.apple.mail"_s << false << VelTest::dictionary({{u"key_equivalent"_s, u"@k"_s}}) << State()
            << u"user"_s;
        QTest::newRow("a flag of another type counts as missing")
            << u"com.example.a"_s << true << VelTest::dictionary({{u"enabled_services_menu"_s, plist::Array::create()}})
            << State(true) << u"user"_s;
    }

    void shouldTakeTheEnabledStateFromTheEntryElseTheDefault()
    {
        QFETCH(QString, identifier);
        QFETCH(bool, requiredContext);
        QFETCH(plist::DictionaryPtr, entry);
        QFETCH(State, enabled);
        QFETCH(QString, source);
        const VelUserServiceState state
            = VelEffectiveUserState(entry.get(), identifier, service(u"A/B"_s, QString(), requiredContext));
        QCOMPARE(state.enabled, enabled);
        QCOMPARE(VelUserStateSourceName(state.source), source);
    }

    void shouldTakeTheShortcutFromTheEntryElseTheBundle_data()
    {
        QTest::addColumn<plist::DictionaryPtr>("entry");
        QTest::addColumn<QString>("pbs");
        QTest::newRow("bundle's upper-case key") << plist::DictionaryPtr() << u"@$m"_s;
        QTest::newRow("entry without key_equivalent")
            << VelTest::dictionary({{u"enabled_services_menu"_s, true}}) << u"@$m"_s;
        QTest::newRow("entry's own") << VelTest::dictionary({{u"key_equivalent"_s, u"@~^x"_s}}) << u"@~^x"_s;
        QTest::newRow("empty string removes it")
            << VelTest::dictionary({{u"key_equivalent"_s, QString()}}) << QString();
    }

    void shouldTakeTheShortcutFromTheEntryElseTheBundle()
    {
        QFETCH(plist::DictionaryPtr, entry);
        QFETCH(QString, pbs);
        const VelUserServiceState state
            = VelEffectiveUserState(entry.get(), u"com.example.a"_s, service(u"T"_s, u"M"_s));
        QCOMPARE(state.keyEquivalent.pbsNotation(), pbs);
    }

    void shouldReportAServiceTheBundleWithholdsAsOff()
    {
        const plist::DictionaryPtr withheld = service(u"T"_s, QString(), true);
        withheld->set(u"Quillfen.Velmora.IsDisabled"_s, true);
        const plist::DictionaryPtr on = VelTest::dictionary({{u"enabled_services_menu"_s, true}});
        const VelUserServiceState state = VelEffectiveUserState(on.get(), u"com.example.a"_s, withheld);
        QCOMPARE(state.enabled, State(false));
        QCOMPARE(state.source, VelUserStateSource::Bundle);
    }

    void shouldKeyTheServiceByIdentifierRawTitleAndMessage()
    {
        QCOMPARE(VelPbsServiceKey(u"com.apple.finder"_s, service(u"Finder/Reveal"_s)),
            u"com.apple.finder - Finder/Reveal - doIt"_s);
        plist::DictionaryPtr info = plist::Dictionary::create();
        QCOMPARE(VelPbsIdentifier(info.get()), u"(null)"_s);
        info->set(u"CFBundleIdentifier"_s, u"com.example.a"_s);
        QCOMPARE(VelPbsIdentifier(info.get()), u"com.example.a"_s);
        QVERIFY(!VelPbsServiceKey(u"x"_s, plist::Dictionary::create()));
    }

    void shouldSplitAKeyWhoseTitleHoldsTheSeparator()
    {
        const std::optional<VelPbsKeyParts> parts = VelSplitPbsServiceKey(u"(null) - Make - Plain Text - run"_s);
        QVERIFY(parts);
        QCOMPARE(parts->identifier, u"(null)"_s);
        QCOMPARE(parts->title, u"Make - Plain Text"_s);
        QCOMPARE(parts->message, u"run"_s);
        QVERIFY(!VelSplitPbsServiceKey(u"com.example - only"_s));
    }
};

QTEST_GUILESS_MAIN(TestUserServiceState)
#include "tst_userservicestate.moc"
