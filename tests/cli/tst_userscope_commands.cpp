// velmoractl in user scope, on a copy of the sample Mac volume with a
// pbs.plist made by each test, and the commands that concern both scopes.

#include "VelmoractlVolume.h"

#include "VelTestVolume.h"

#include <plist/PropertyList.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kJotter = u"com.example.Jotter - Jotter/Jot Down - jot"_s;
const QString kOpenPdf = u"net.sourceforge.skimmer - Skimmer/Open PDF - openPDF"_s;
const QString kReveal = u"com.apple.finder - Finder/Reveal - revealFiles"_s;
const QString kShortcut = u"(null) - 6D1A7F0E-3C2B-4E5A-8F9D-0B1C2D3E4F50 - runShortcutAsService"_s;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sample volume with the user's settings; edits are saved without asking
// for rights, since the copy belongs to the test.
class UserVolume : public SampleVolume {
public:
    [[nodiscard]] QString pbsPath() const { return home() + u"/Library/Preferences/pbs.plist"_s; }

    // The user's settings as the Mac writes them: binary, with entries
    // under NSServicesStatus and top-level keys of the Mac's own.
    bool writeStatus(const plist::DictionaryPtr &status) const
    {
        const plist::DictionaryPtr root = VelTest::dictionary({{u"NSServicesStatus"_s, status},
            {u"ServicesShortcutsPresent"_s, true}, {u"FinderOrdering"_s, plist::Array::create()}});
        return QDir().mkpath(QFileInfo(pbsPath()).path())
            && plist::writeFileAtomically(pbsPath(), plist::writeBinary(plist::Value(root)));
    }
    [[nodiscard]] plist::DictionaryPtr status() const
    {
        const plist::DictionaryPtr root = plist::readFile(pbsPath()).toDictionary();
        return root ? root->value(u"NSServicesStatus").toDictionary() : nullptr;
    }

    Run run(const QStringList &arguments) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"VELMORA_AUTHORIZATION"_s, u"direct"_s);
        return SampleVolume::run(arguments, environment);
    }
};

QJsonObject serviceWithKey(const QJsonArray &services, const QString &pbsKey)
{
    for (const QJsonValue &s : services) {
        if (s[u"pbsKey"].toString() == pbsKey)
            return s.toObject();
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(plist::DictionaryPtr)

class TestUserScopeCommands : public QObject {
    Q_OBJECT

private slots:
    void servicesShouldReportTheStateAndWhereItComesFrom_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("pbsKey");
        QTest::addColumn<plist::DictionaryPtr>("entry");
        QTest::addColumn<QJsonValue>("enabled");
        QTest::addColumn<QString>("source");
        const plist::DictionaryPtr none;
        QTest::newRow("Apple's own without entry") << u"Finder"_s << kReveal << none << QJsonValue() << u"default"_s;
        QTest::newRow("Apple's own with entry")
            << u"Finder"_s << kReveal << VelTest::dictionary({{u"enabled_services_menu"_s, 1}}) << QJsonValue(true)
            << u"user"_s;
        QTest::newRow("another vendor without entry")
            << u"Skimmer"_s << kOpenPdf << none << QJsonValue(false) << u"default"_s;
        QTest::newRow("flag as a string")
            << u"Jotter"_s << kJotter << VelTest::dictionary({{u"enabled_services_menu"_s, u"1"_s}}) << QJsonValue(true)
            << u"user"_s;
    }

    void servicesShouldReportTheStateAndWhereItComesFrom()
    {
        QFETCH(QString, provider);
        QFETCH(QString, pbsKey);
        QFETCH(plist::DictionaryPtr, entry);
        QFETCH(QJsonValue, enabled);
        QFETCH(QString, source);
        UserVolume volume;
        QVERIFY(volume.isValid());
        plist::DictionaryPtr status = plist::Dictionary::create();
        if (entry)
            status->set(pbsKey, entry);
        QVERIFY(volume.writeStatus(status));
        const Run run = volume.run({u"--scope"_s, u"user"_s, u"--json"_s, u"services"_s, provider});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.json()[u"scope"].toString(), u"user"_s);
        const QJsonObject service = serviceWithKey(run.json()[u"services"].toArray(), pbsKey);
        QCOMPARE(service[u"enabled"], enabled);
        QCOMPARE(service[u"source"].toString(), source);
        QCOMPARE(service[u"scope"].toString(), u"user"_s);
    }

    void anEditShouldWriteThePbsPlistAndLeaveTheBundleAlone()
    {
        UserVolume volume;
        QVERIFY(volume.isValid());
        const QString info = volume.path(u"/Applications/Skimmer.app/Contents/Info.plist"_s);
        const QByteArray infoBefore = fileBytes(info);
        const Run run = volume.run({u"--scope"_s, u"user"_s, u"enable"_s, u"Skimmer"_s, u"Open PDF"_s});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("defaults import pbs " + volume.pbsPath().toUtf8()));
        QVERIFY(run.out.contains("/System/Library/CoreServices/pbs -update"));
        QVERIFY(fileBytes(volume.pbsPath()).startsWith("bplist00"));
        const plist::DictionaryPtr entry = volume.status()->value(kOpenPdf).toDictionary();
        QVERIFY(entry);
        QCOMPARE(entry->value(u"enabled_services_menu").toBoolean(), true);
        QCOMPARE(fileBytes(info), infoBefore);
    }

    void shortcutShouldAcceptBothNotations_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("bundle notation") << u"K"_s << u"@$k"_s;
        QTest::newRow("pbs notation") << u"@~^k"_s << u"@~^k"_s;
        QTest::newRow("removed") << QString() << QString();
    }

    void shortcutShouldAcceptBothNotations()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        UserVolume volume;
        QVERIFY(volume.isValid());
        const Run run = volume.run({u"--scope"_s, u"user"_s, u"shortcut"_s, u"Jotter"_s, u"Jot Down"_s, typed});
        QCOMPARE(run.exitCode, 0);
        const plist::DictionaryPtr entry = volume.status()->value(kJotter).toDictionary();
        QVERIFY(entry->value(u"key_equivalent").isString());
        QCOMPARE(entry->value(u"key_equivalent").toString(), stored);
    }

    void shortcutShouldRefuseTextThatIsNoKey()
    {
        UserVolume volume;
        QVERIFY(volume.isValid());
        const Run run = volume.run({u"--scope"_s, u"user"_s, u"shortcut"_s, u"Jotter"_s, u"Jot Down"_s, u"xy"_s});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(!QFile::exists(volume.pbsPath()));
    }

    void dryRunShouldPrintThePbsPlistAndWriteNothing()
    {
        UserVolume volume;
        QVERIFY(volume.isValid());
        QVERIFY(volume.writeStatus(
            VelTest::dictionary({{kShortcut, VelTest::dictionary({{u"key_equivalent"_s, u"@~Space"_s}})}})));
        const QByteArray before = fileBytes(volume.pbsPath());
        const Run run
            = volume.run({u"--scope"_s, u"user"_s, u"--dry-run"_s, u"disable"_s, u"Finder"_s, u"Finder -> Reveal"_s});
        QCOMPARE(run.exitCode, 0);
        const plist::DictionaryPtr printed = plist::read(run.out).toDictionary();
        QVERIFY(printed);
        const plist::DictionaryPtr status = printed->value(u"NSServicesStatus").toDictionary();
        QCOMPARE(status->value(kReveal).toDictionary()->value(u"enabled_services_menu").toBoolean(), false);
        QVERIFY(status->contains(kShortcut));
        QVERIFY(printed->contains(u"ServicesShortcutsPresent"));
        QCOMPARE(fileBytes(volume.pbsPath()), before);
    }

    void anUnreadablePbsPlistShouldFailAndStayAsItIs_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("menu") << QStringList {u"menu"_s};
        QTest::newRow("enable") << QStringList {u"enable"_s, u"Jotter"_s, u"Jot Down"_s};
        QTest::newRow("prune") << QStringList {u"prune"_s};
    }

    void anUnreadablePbsPlistShouldFailAndStayAsItIs()
    {
        QFETCH(QStringList, command);
        UserVolume volume;
        QVERIFY(volume.isValid());
        QVERIFY(QDir().mkpath(QFileInfo(volume.pbsPath()).path()));
        const QByteArray garbage = "bplist00 this is not a property list";
        QVERIFY(plist::writeFileAtomically(volume.pbsPath(), garbage));
        const Run run = volume.run(QStringList {u"--scope"_s, u"user"_s} + command);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(volume.pbsPath().toUtf8()));
        QCOMPARE(fileBytes(volume.pbsPath()), garbage);
    }

    void revertShouldRemoveTheProvidersEntriesOnly()
    {
        UserVolume volume;
        QVERIFY(volume.isValid());
        QVERIFY(volume.writeStatus(
            VelTest::dictionary({{kJotter, VelTest::dictionary({{u"enabled_services_menu"_s, true}})},
                {kOpenPdf, VelTest::dictionary({{u"key_equivalent"_s, u"@p"_s}})}})));
        const Run run = volume.run({u"--scope"_s, u"user"_s, u"revert"_s, u"Jotter"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(volume.status()->keys(), QStringList {kOpenPdf});
    }

    void pruneShouldRemoveStaleEntriesAndNothingElse()
    {
        UserVolume volume;
        QVERIFY(volume.isValid());
        const QString stale = u"com.example.Jotter - Jotter/Jot It - jot"_s;
        const QString foreign = u"com.example.Other - Other - otherMessage"_s;
        QVERIFY(
            volume.writeStatus(VelTest::dictionary({{kJotter, VelTest::dictionary({{u"key_equivalent"_s, u"@j"_s}})},
                {stale, VelTest::dictionary({{u"enabled_services_menu"_s, 0}})},
                {kShortcut, VelTest::dictionary({{u"enabled_services_menu"_s, 1}})},
                {foreign, VelTest::dictionary({{u"enabled_services_menu"_s, 1}})}})));
        const Run listed = volume.run({u"--json"_s, u"stale"_s});
        QCOMPARE(listed.exitCode, 0);
        const QJsonArray staleEntries = listed.json()[u"stale"].toArray();
        QCOMPARE(staleEntries.size(), 1);
        QCOMPARE(staleEntries[0][u"pbsKey"].toString(), stale);
        const Run pruned = volume.run({u"prune"_s});
        QCOMPARE(pruned.exitCode, 0);
        QCOMPARE(volume.status()->keys(), (QStringList {kJotter, kShortcut, foreign}));
        QVERIFY(plist::readFile(volume.pbsPath()).toDictionary()->contains(u"ServicesShortcutsPresent"));
    }

    void renameShouldReportOrCarryTheUsersEntry_data()
    {
        QTest::addColumn<bool>("carry");
        QTest::newRow("reported") << false;
        QTest::newRow("carried") << true;
    }

    void renameShouldReportOrCarryTheUsersEntry()
    {
        QFETCH(bool, carry);
        UserVolume volume;
        QVERIFY(volume.isValid());
        QVERIFY(volume.writeStatus(
            VelTest::dictionary({{kJotter, VelTest::dictionary({{u"key_equivalent"_s, u"@~j"_s}})}})));
        QStringList arguments {u"rename"_s, u"Jotter"_s, u"Jot Down"_s, u"Jotter/Jot It"_s};
        if (carry)
            arguments << u"--carry-user-settings"_s;
        const Run run = volume.run(arguments);
        QCOMPARE(run.exitCode, 0);
        const QString renamed = u"com.example.Jotter - Jotter/Jot It - jot"_s;
        QVERIFY(run.err.contains(kJotter.toUtf8()));
        QCOMPARE(run.err.contains("--carry-user-settings"), !carry);
        QCOMPARE(volume.status()->keys(), QStringList {carry ? renamed : kJotter});
        QCOMPARE(volume.status()->value(carry ? renamed : kJotter).toDictionary()->value(u"key_equivalent").toString(),
            u"@~j"_s);
    }

    void renameShouldNotSaveACarryOverItCannotRead_data()
    {
        QTest::addColumn<bool>("carry");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("carry asked: nothing saved") << true << 1;
        QTest::newRow("no carry asked: a warning") << false << 0;
    }

    void renameShouldNotSaveACarryOverItCannotRead()
    {
        QFETCH(bool, carry);
        QFETCH(int, exitCode);
        UserVolume volume;
        QVERIFY(volume.isValid());
        QVERIFY(QDir().mkpath(QFileInfo(volume.pbsPath()).path()));
        const QByteArray garbage = "{ unreadable";
        QVERIFY(plist::writeFileAtomically(volume.pbsPath(), garbage));
        const QString info = volume.path(u"/Users/jane/Applications/Jotter.app/Contents/Info.plist"_s);
        const QByteArray infoBefore = fileBytes(info);
        QStringList arguments {u"rename"_s, u"Jotter"_s, u"Jot Down"_s, u"Jotter/Jot It"_s};
        if (carry)
            arguments << u"--carry-user-settings"_s;
        const Run run = volume.run(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.err.contains(volume.pbsPath().toUtf8()));
        QCOMPARE(fileBytes(info) == infoBefore, carry);
        QCOMPARE(fileBytes(volume.pbsPath()), garbage);
    }

    void renameShouldHaveNoUserScope()
    {
        UserVolume volume;
        QVERIFY(volume.isValid());
        const Run run = volume.run({u"--scope"_s, u"user"_s, u"rename"_s, u"Jotter"_s, u"Jot Down"_s, u"X"_s});
        QCOMPARE(run.exitCode, 2);
    }

    void conflictsShouldListShortcutsHeldTwiceInTheChosenScope_data()
    {
        QTest::addColumn<QString>("scope");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("providers");
        // The bundles give Skimmer's snapshot Command-S; the user gives
        // Jotter's and Skimmer's services Shift-Command-J.
        QTest::newRow("system") << u"system"_s << u"@s"_s << QStringList {u"Saver"_s, u"Skimmer"_s};
        QTest::newRow("user") << u"user"_s << u"@$j"_s << QStringList {u"Jotter"_s, u"Skimmer"_s};
    }

    void conflictsShouldListShortcutsHeldTwiceInTheChosenScope()
    {
        QFETCH(QString, scope);
        QFETCH(QString, key);
        QFETCH(QStringList, providers);
        UserVolume volume;
        QVERIFY(volume.isValid());
        const plist::DictionaryPtr saveService
            = VelTest::dictionary({{u"NSMenuItem"_s, VelTest::dictionary({{u"default"_s, u"Saver/Save"_s}})},
                {u"NSKeyEquivalent"_s, VelTest::dictionary({{u"default"_s, u"s"_s}})}, {u"NSMessage"_s, u"save"_s}});
        plist::ArrayPtr services = plist::Array::create();
        services->append(saveService);
        const QString contents = volume.path(u"/Applications/Saver.app/Contents"_s);
        QVERIFY(QDir().mkpath(contents));
        QVERIFY(plist::writeXmlFile(
            VelTest::dictionary({{u"CFBundleIdentifier"_s, u"com.example.saver"_s}, {u"NSServices"_s, services}}),
            contents + u"/Info.plist"_s));
        QVERIFY(volume.writeStatus(VelTest::dictionary({{kJotter,
                                                            VelTest::dictionary({{u"enabled_services_menu"_s, true}})},
            {kOpenPdf, VelTest::dictionary({{u"enabled_services_menu"_s, true}, {u"key_equivalent"_s, u"@$j"_s}})}})));
        const Run run = volume.run({u"--scope"_s, scope, u"--json"_s, u"conflicts"_s});
        QCOMPARE(run.exitCode, 0);
        const QJsonArray conflicts = run.json()[u"conflicts"].toArray();
        QCOMPARE(conflicts.size(), 1);
        QCOMPARE(conflicts[0][u"pbsKeyEquivalent"].toString(), key);
        QStringList holders;
        for (const QJsonValue &holder : conflicts[0][u"holders"].toArray()) {
            holders << holder[u"provider"].toString();
            QCOMPARE(holder[u"scope"].toString(), scope);
        }
        QCOMPARE(holders, providers);
        const Run menu = volume.run({u"--scope"_s, scope, u"menu"_s});
        QCOMPARE(menu.out.count("(clash)"), 2);
    }

    void anUnknownScopeShouldBeAUsageError()
    {
        UserVolume volume;
        QVERIFY(volume.isValid());
        QCOMPARE(volume.run({u"--scope"_s, u"everyone"_s, u"menu"_s}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestUserScopeCommands)
#include "tst_userscope_commands.moc"
