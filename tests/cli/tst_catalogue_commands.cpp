// velmoractl's catalogue commands and in-memory edits (--dry-run) on a copy of
// the sample Mac volume.

#include "VelmoractlVolume.h"

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

QJsonObject serviceTitled(const QJsonArray &services, const QString &readablePath)
{
    for (const QJsonValue &s : services) {
        if (s[u"readablePath"].toString() == readablePath)
            return s.toObject();
    }
    return {};
}

QJsonObject itemNamed(const QJsonArray &items, const QString &name)
{
    for (const QJsonValue &item : items) {
        if (item[u"folder"].toString() == name || item[u"title"].toString() == name)
            return item.toObject();
    }
    return {};
}

// An application whose services share menu item titles.
bool writeTwinApplication(const SampleVolume &volume, const QStringList &titles)
{
    plist::ArrayPtr services = plist::Array::create();
    for (const QString &title : titles) {
        plist::DictionaryPtr item = plist::Dictionary::create();
        item->set(u"default"_s, title);
        plist::DictionaryPtr service = plist::Dictionary::create();
        service->set(u"NSMenuItem"_s, item);
        service->set(u"NSPortName"_s, u"Twin"_s);
        service->set(u"NSMessage"_s, u"run"_s);
        services->append(service);
    }
    plist::DictionaryPtr info = plist::Dictionary::create();
    info->set(u"CFBundleIdentifier"_s, u"com.example.twin"_s);
    info->set(u"NSServices"_s, services);
    const QString contents = volume.path(u"/Applications/Twin.app/Contents"_s);
    return QDir().mkpath(contents) && plist::writeXmlFile(info, contents + u"/Info.plist"_s);
}

// The titles of a saved Info that are kept but no longer in the menu.
QStringList disabledTitles(const plist::DictionaryPtr &info)
{
    const auto titles = [](const plist::ArrayPtr &entries) {
        QStringList list;
        for (const plist::Value &entry : *entries)
            list << entry.toDictionary()->value(u"NSMenuItem"_s).toDictionary()->value(u"default"_s).toString();
        return list;
    };
    const QStringList enabled = titles(info->value(u"NSServices"_s).toArray());
    QStringList disabled;
    for (const QString &title : titles(info->value(u"Quillfen.Velmora.AllNSServices"_s).toArray())) {
        if (!enabled.contains(title))
            disabled << title;
    }
    return disabled;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCatalogueCommands : public QObject {
    Q_OBJECT

private slots:
    void providersShouldListTheSampleVolumeInNameOrder()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const Run run = volume.run({u"--json"_s, u"providers"_s});
        QCOMPARE(run.exitCode, 0);
        QStringList names;
        for (const QJsonValue &p : run.json().array())
            names << p[u"name"].toString();
        QCOMPARE(names,
            (QStringList {u"Chess"_s, u"Clipper"_s, u"Encoder"_s, u"Finder"_s, u"Grabber"_s, u"Jotter"_s, u"Lingo"_s,
                u"Mail"_s, u"Notes"_s, u"OldMail"_s, u"Postbox"_s, u"Reverser"_s, u"Skimmer"_s, u"Spotlight"_s,
                u"Stickies"_s, u"Summary Service"_s, u"Terminal"_s, u"TextEdit"_s, u"Tool 2"_s, u"WordCount"_s}));
        const QJsonObject notes = run.json().array()[8].toObject();
        QCOMPARE(notes[u"path"].toString(), volume.path(u"/Applications/Notes.app"_s));
        QCOMPARE(notes[u"services"].toInt(), 2);
        QCOMPARE(notes[u"revertable"].toBool(), true);
        QCOMPARE(notes[u"dirty"].toBool(), false);
        QCOMPARE(notes[u"signed"].toBool(), false);
    }

    void servicesShouldDescribeEveryEntry()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const Run postbox = volume.run({u"--json"_s, u"services"_s, u"Postbox"_s});
        QCOMPARE(postbox.exitCode, 0);
        const QJsonArray services = postbox.json()[u"services"].toArray();
        const QJsonObject archive = serviceTitled(services, u"Postbox -> Archive Selected Text"_s);
        QCOMPARE(archive[u"title"].toString(), u"Postbox/Archive Text"_s);
        QCOMPARE(archive[u"localizedTitle"].toString(), u"Postbox/Archive Selected Text"_s);
        QCOMPARE(archive[u"originalTitle"].toString(), u"Postbox/Archive Text"_s);
        QCOMPARE(archive[u"keyEquivalent"].toString(), u"a"_s);
        QCOMPARE(archive[u"keyDescription"].toString(), u"[command]-[a]"_s);
        QCOMPARE(archive[u"enabled"].toBool(), true);
        QCOMPARE(archive[u"editable"].toBool(), true);

        const Run grabber = volume.run({u"--json"_s, u"services"_s, volume.path(u"/Applications/Grabber.app"_s)});
        const QJsonObject untitled
            = serviceTitled(grabber.json()[u"services"].toArray(), u"Untitled Service: [Grabber grabSelection]"_s);
        QVERIFY(untitled[u"title"].isNull());
        QVERIFY(untitled[u"localizedTitle"].isNull());
        QVERIFY(untitled[u"keyEquivalent"].isNull());
        QCOMPARE(untitled[u"editable"].toBool(), false);

        const Run stickies = volume.run({u"--json"_s, u"services"_s, u"Stickies"_s});
        const QJsonObject converted = serviceTitled(stickies.json()[u"services"].toArray(), u"Make New Sticky Note"_s);
        QCOMPARE(converted[u"enabled"].toBool(), false);
    }

    void unknownOrSharedProviderNamesShouldBeErrors()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const Run unknown = volume.run({u"services"_s, u"Nowhere"_s});
        QCOMPARE(unknown.exitCode, 3);
        QVERIFY(unknown.err.contains("Nowhere"));

        QVERIFY(QProcess::execute(u"cp"_s,
                    {u"-a"_s, volume.path(u"/Library/Services/Encoder.service"_s),
                        volume.path(u"/Users/jane/Library/Services/Encoder.service"_s)})
            == 0);
        const Run shared = volume.run({u"services"_s, u"Encoder"_s});
        QCOMPARE(shared.exitCode, 3);
        QVERIFY(shared.err.contains(volume.path(u"/Library/Services/Encoder.service"_s).toUtf8()));
        QVERIFY(shared.err.contains(volume.path(u"/Users/jane/Library/Services/Encoder.service"_s).toUtf8()));
        QCOMPARE(volume.run({u"services"_s, volume.path(u"/Library/Services/Encoder.service"_s)}).exitCode, 0);

        QCOMPARE(volume.run({u"services"_s}).exitCode, 2);
        QCOMPARE(volume.run({u"menu"_s, u"extra"_s}).exitCode, 2);
    }

    void menuShouldMergeSubmenusOfAllProviders()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const Run run = volume.run({u"--json"_s, u"menu"_s});
        QCOMPARE(run.exitCode, 0);
        const QJsonArray top = run.json().array();
        const QJsonObject mail = itemNamed(top, u"Mail"_s);
        QStringList mailProviders;
        for (const QJsonValue &child : mail[u"children"].toArray())
            mailProviders << child[u"provider"].toString();
        QCOMPARE(mailProviders, (QStringList {u"Mail"_s, u"Mail"_s, u"Mail"_s, u"OldMail"_s, u"Postbox"_s}));
        const QJsonObject text = itemNamed(top, u"Text"_s);
        QCOMPARE(text[u"children"].toArray().size(), 6);
        const QJsonObject translated = itemNamed(text[u"children"].toArray(), u"Translate with Lingo"_s);
        QCOMPARE(translated[u"provider"].toString(), u"Lingo"_s);
        QCOMPARE(translated[u"readablePath"].toString(), u"Text -> Translate with Lingo"_s);
        QCOMPARE(translated[u"path"].toString(), volume.path(u"/Applications/Lingo.app"_s));

        const QJsonObject sticky = itemNamed(top, u"Make New Sticky Note"_s);
        QCOMPARE(sticky[u"enabled"].toBool(), false);
        QCOMPARE(itemNamed(top, u"Notes"_s)[u"enabled"].toBool(), true);
        QVERIFY(itemNamed(top, u"Print Center"_s).isEmpty());
        QVERIFY(itemNamed(top, u"Linked"_s).isEmpty());
        QVERIFY(itemNamed(top, u"Hidden"_s).isEmpty());
        QVERIFY(itemNamed(top, u"Plain"_s).isEmpty());
        QVERIFY(itemNamed(top, u"Trashed"_s).isEmpty());

        const Run plain = volume.run({u"menu"_s});
        QVERIFY(plain.out.contains("[x] Mail/\n    [x] Send File  (Mail)\n"));
        QVERIFY(plain.out.contains("[ ] Make New Sticky Note  (Stickies)\n"));
    }

    void statusShouldCountTitledServices()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const Run run = volume.run({u"--json"_s, u"status"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.json()[u"text"].toString(), u"30 of 33 services"_s);
        QCOMPARE(volume.run({u"status"_s}).out, QByteArray("30 of 33 services\n"));
    }

    void bootVolumeOnlyShouldLeaveOtherVolumesOut()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        QFile prefs(volume.path(u"/Users/jane/Library/Preferences/com.quillfen.velmora.plist"_s));
        plist::DictionaryPtr defaults = plist::Dictionary::create();
        defaults->set(u"Boot Volume Services Only"_s, u"YES"_s);
        QVERIFY(plist::writeXmlFile(defaults, prefs.fileName()));
        const Run run = volume.run({u"--json"_s, u"providers"_s});
        QVERIFY(!run.out.contains("OldMail"));
        QVERIFY(run.out.contains("\"Mail\""));
    }

    void dryRunShouldPrintTheChangeListAndChangeNothing()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const QString info = volume.path(u"/Applications/Mail.app/Contents/Info.plist"_s);
        const QByteArray before = fileBytes(info);
        const Run run = volume.run({u"--dry-run"_s, u"disable"_s, u"Mail"_s, u"Mail/Send File"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(fileBytes(info), before);
        const plist::ArrayPtr changes = plist::readXml(run.out).toArray();
        QVERIFY(changes);
        QCOMPARE(changes->size(), 1);
        const plist::DictionaryPtr change = changes->at(0).toDictionary();
        QCOMPARE(change->value(u"Info Path").toString(), info);
        QCOMPARE(change->value(u"Package Path").toString(), volume.path(u"/Applications/Mail.app"_s));
        const plist::DictionaryPtr written = change->value(u"Info").toDictionary();
        QCOMPARE(written->value(u"NSServices").toArray()->size(), 2);
        QCOMPARE(written->value(u"Quillfen.Velmora.AllNSServices").toArray()->size(), 3);
    }

    void servicesShouldBeMatchedByTitleThenTranslationThenPath()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        for (const QString &name :
            {u"Lingo/Look Up"_s, u"Lingo/Look Up in Dictionary"_s, u"Lingo -> Look Up in Dictionary"_s}) {
            const Run run = volume.run({u"--dry-run"_s, u"shortcut"_s, u"Lingo"_s, name, u""_s});
            QCOMPARE(run.exitCode, 0);
            const plist::DictionaryPtr info
                = plist::readXml(run.out).toArray()->at(0).toDictionary()->value(u"Info").toDictionary();
            for (const plist::Value &entry : *info->value(u"NSServices").toArray())
                QVERIFY(!entry.toDictionary()->contains(u"NSKeyEquivalent"));
        }
        const Run missing = volume.run({u"--dry-run"_s, u"enable"_s, u"Lingo"_s, u"Nothing"_s});
        QCOMPARE(missing.exitCode, 3);
    }

    void servicesShouldBeMatchedByTheirOwnMenuItemTitleLast_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("service");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("disabled");
        QTest::addColumn<QStringList>("candidates");
        QTest::newRow("unique item title") << u"Mail"_s << u"Send File"_s << 0 << u"Mail/Send File"_s << QStringList();
        QTest::newRow("stored title before item title")
            << u"Twin"_s << u"Archive"_s << 0 << u"Archive"_s << QStringList();
        QTest::newRow("item title of two services")
            << u"Twin"_s << u"Send"_s << 3 << QString() << QStringList {u"Mail -> Send"_s, u"Text -> Send"_s};
        QTest::newRow("folder name") << u"Mail"_s << u"Mail"_s << 3 << QString() << QStringList();
    }

    void servicesShouldBeMatchedByTheirOwnMenuItemTitleLast()
    {
        QFETCH(QString, provider);
        QFETCH(QString, service);
        QFETCH(int, exitCode);
        QFETCH(QString, disabled);
        QFETCH(QStringList, candidates);
        SampleVolume volume;
        QVERIFY(volume.isValid());
        QVERIFY(writeTwinApplication(volume, {u"Mail/Send"_s, u"Text/Send"_s, u"Archive"_s, u"Mail/Archive"_s}));
        const Run run = volume.run({u"--dry-run"_s, u"disable"_s, provider, service});
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            const plist::DictionaryPtr info
                = plist::readXml(run.out).toArray()->at(0).toDictionary()->value(u"Info").toDictionary();
            QCOMPARE(disabledTitles(info), QStringList {disabled});
            return;
        }
        QVERIFY(run.out.isEmpty());
        const QStringList lines = QString::fromUtf8(run.err).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + candidates.size());
        QVERIFY(lines[0].contains(service));
        for (qsizetype i = 0; i < candidates.size(); ++i)
            QCOMPARE(lines[i + 1].trimmed(), candidates[i]);
    }

    void renameShouldStoreTheOriginalWhenTheTranslationIsGivenBack()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const Run renamed
            = volume.run({u"--dry-run"_s, u"rename"_s, u"Lingo"_s, u"Lingo/Look Up"_s, u"Words/Define"_s});
        QCOMPARE(renamed.exitCode, 0);
        QVERIFY(renamed.out.contains("<string>Words/Define</string>"));
        // Giving back the translation of the original title changes nothing.
        const Run same = volume.run(
            {u"--dry-run"_s, u"rename"_s, u"Lingo"_s, u"Lingo/Look Up"_s, u"Lingo/Look Up in Dictionary"_s});
        QCOMPARE(same.exitCode, 0);
        QCOMPARE(plist::readXml(same.out).toArray()->size(), 0);
    }

    void editsOfServicesThatMayNotBeEditedShouldBeRefused()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const Run untitled
            = volume.run({u"--dry-run"_s, u"disable"_s, u"Grabber"_s, u"Untitled Service: [Grabber grabSelection]"_s});
        QCOMPARE(untitled.exitCode, 4);
        QVERIFY(untitled.err.contains("no menu item title"));

        QTemporaryDir tools;
        const QString tool = tools.filePath(u"codesign"_s);
        QFile script(tool);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"Executable=$2\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"VELMORA_CODESIGN"_s, tool);
        const Run signedRun = volume.run({u"--dry-run"_s, u"disable"_s, u"Mail"_s, u"Mail/Send File"_s}, environment);
        QCOMPARE(signedRun.exitCode, 4);
        QVERIFY(signedRun.err.contains("Edit Signed Applications"));
    }

    void editsShouldBeSavedThroughTheWorker()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        QProcessEnvironment direct = QProcessEnvironment::systemEnvironment();
        direct.insert(u"VELMORA_AUTHORIZATION"_s, u"direct"_s);
        const Run saved = volume.run({u"disable"_s, u"Mail"_s, u"Mail/Send File"_s}, direct);
        QCOMPARE(saved.exitCode, 0);
        QCOMPARE(saved.out, QByteArray("saved 1 provider\n"));
        const Run after = volume.run({u"--json"_s, u"services"_s, u"Mail"_s});
        QCOMPARE(
            serviceTitled(after.json()[u"services"].toArray(), u"Mail -> Send File"_s)[u"enabled"].toBool(), false);

        const Run json = volume.run({u"--json"_s, u"revert"_s}, direct);
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(json.json()[u"result"].toString(), u"saved"_s);
        QCOMPARE(json.json()[u"entries"].toInt(), 4); // Mail, Notes, Clipper and Stickies go back
        QCOMPARE(json.json()[u"confirmed"].toInt(), 4);
        QCOMPARE(volume.run({u"status"_s}).out, QByteArray("33 services\n"));

        QProcessEnvironment deny = QProcessEnvironment::systemEnvironment();
        deny.insert(u"VELMORA_AUTHORIZATION"_s, u"deny"_s);
        const Run denied = volume.run({u"--json"_s, u"disable-all"_s, u"Finder"_s}, deny);
        QCOMPARE(denied.exitCode, 5);
        QCOMPARE(denied.json()[u"result"].toString(), u"not-authorized"_s);
        QCOMPARE(denied.json()[u"entries"].toInt(), 1);
        QCOMPARE(denied.json()[u"confirmed"].toInt(), 0);
        QVERIFY(!denied.err.isEmpty());
    }

    void savingWithNothingChangedShouldSaySo()
    {
        SampleVolume volume;
        QVERIFY(volume.isValid());
        const Run run = volume.run({u"enable"_s, u"Mail"_s, u"Mail/Send File"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("nothing to save\n"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogueCommands)
#include "tst_catalogue_commands.moc"
