#include "VelTestVolume.h"

#include <model/VelFileRepresentation.h>
#include <model/VelServiceCatalogue.h>
#include <model/VelServiceEntry.h>
#include <model/VelServiceKeys.h>

#include <defaults/VelUserDefaults.h>
#include <log/VelLog.h>
#include <plist/PropertyList.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using plist::DictionaryPtr;

namespace {

VelProviderPtr providerAt(const QString &path)
{
    return VelFileRepresentation::fileRepresentationWithPath(path);
}

QStringList titlesOf(const VelProviderPtr &provider)
{
    QStringList titles;
    for (const plist::Value &item : *provider->services())
        titles << serviceMenuItemTitle(item.toDictionary()).value_or(u"<none>"_s);
    return titles;
}

} // namespace

class TestFileRepresentation : public QObject {
    Q_OBJECT

    QTemporaryDir m_tools;

private slots:
    void initTestCase()
    {
        // A stand-in signature tool: bundles with a _CodeSignature folder are signed.
        const QString tool = m_tools.path() + u"/codesign"_s;
        QFile script(tool);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "echo \"$@\" >> \"$(dirname \"$0\")/calls\"\n"
                     "if [ -d \"$2/Contents/_CodeSignature\" ]; then echo \"Executable=$2/Contents/MacOS/x\"; "
                     "else printf '%s: code object is not signed at all\\n' \"$2\" >&2; fi\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("VELMORA_CODESIGN", tool.toLocal8Bit());
    }

    void cleanup() { VelServiceCatalogue::shared().setApplications({}); }

    void infoPlistShouldBeFoundUnderItsFourNamesInOrder()
    {
        VelTest::Volume volume;
        const QString lower = volume.addBundle(
            u"/A.app"_s, VelTest::infoWithServices(VelTest::list({})), VelTest::PlistFormat::Xml, u"info.plist"_s);
        QCOMPARE(providerAt(lower)->infoDictionaryPath(), lower + u"/Contents/info.plist"_s);
        volume.addBundle(u"/A.app"_s, VelTest::infoWithServices(VelTest::list({})), VelTest::PlistFormat::Xml,
            u"Info-macos.plist"_s);
        QCOMPARE(providerAt(lower)->infoDictionaryPath(), lower + u"/Contents/Info-macos.plist"_s);
        volume.addBundle(u"/A.app"_s, VelTest::infoWithServices(VelTest::list({})));
        QCOMPARE(providerAt(lower)->infoDictionaryPath(), lower + u"/Contents/Info.plist"_s);

        volume.writeFile(u"/B.app/Info.plist"_s, plist::writeXml(VelTest::infoWithServices(VelTest::list({}))));
        QCOMPARE(providerAt(volume.path(u"/B.app"_s))->infoDictionaryPath(), std::nullopt);
        QVERIFY(!providerAt(volume.path(u"/B.app"_s))->services());
        QVERIFY(!providerAt(volume.path(u"/Missing.app"_s)));
    }

    // Only a name that exists (links followed) wins; what is read, what is
    // reported and what is logged always concern that one file.
    void lookupShouldSkipNamesThatDoNotExist_data()
    {
        QTest::addColumn<QString>("odd"); // what stands at Contents/Info.plist, or Contents itself
        QTest::addColumn<QString>("found"); // the name found, "" for none
        QTest::addColumn<bool>("logged");
        QTest::newRow("link loop beside info.plist") << u"loop"_s << u"info.plist"_s << false;
        QTest::newRow("dangling link beside info.plist") << u"dangling"_s << u"info.plist"_s << false;
        QTest::newRow("link to a real file") << u"link"_s << u"Info.plist"_s << false;
        QTest::newRow("folder in its place") << u"folder"_s << u"Info.plist"_s << true;
        QTest::newRow("plain file for Contents") << u"contents file"_s << u""_s << false;
    }
    void lookupShouldSkipNamesThatDoNotExist()
    {
        QFETCH(QString, odd);
        QFETCH(QString, found);
        QFETCH(bool, logged);
        VelTest::Volume volume;
        const QString bundle = volume.path(u"/A.app"_s);
        const QString contents = bundle + u"/Contents/"_s;
        if (odd == u"contents file"_s) {
            volume.writeFile(u"/A.app/Contents"_s, "NSServices");
        } else {
            volume.addBundle(u"/A.app"_s, VelTest::infoWithServices(VelTest::list({VelTest::entry(u"Lower"_s)})),
                VelTest::PlistFormat::Xml, u"info.plist"_s);
            volume.addBundle(u"/Other.app"_s, VelTest::infoWithServices(VelTest::list({VelTest::entry(u"Linked"_s)})));
        }
        if (odd == u"loop"_s)
            QVERIFY(volume.makeLink(u"/A.app/Contents/Info.plist"_s, contents + u"Info.plist"_s));
        if (odd == u"dangling"_s)
            QVERIFY(volume.makeLink(u"/A.app/Contents/Info.plist"_s, contents + u"Gone.plist"_s));
        if (odd == u"link"_s)
            QVERIFY(volume.makeLink(u"/A.app/Contents/Info.plist"_s, volume.path(u"/Other.app/Contents/Info.plist"_s)));
        if (odd == u"folder"_s)
            QVERIFY(volume.makeFolder(u"/A.app/Contents/Info.plist"_s));

        VelLogCapture log;
        const VelProviderPtr provider = providerAt(bundle);
        const bool hasServices = bool(provider->services());
        QCOMPARE(
            provider->infoDictionaryPath(), found.isEmpty() ? std::nullopt : std::optional<QString>(contents + found));
        QCOMPARE(hasServices, !logged && !found.isEmpty());
        if (hasServices)
            QCOMPARE(titlesOf(provider), QStringList {odd == u"link"_s ? u"Linked"_s : u"Lower"_s});
        QCOMPARE(log.messages(),
            logged ? QStringList {u"could not parse info dictionary <%1>"_s.arg(contents + found)} : QStringList());
    }

    void unparsableInfoPlistShouldBeLoggedAndRetried()
    {
        VelTest::Volume volume;
        const QString path = volume.path(u"/Bad.app"_s);
        const QString info = volume.writeFile(
            u"/Bad.app/Contents/Info.plist"_s, "<plist><array><string>NSServices</string></array></plist>");
        VelProviderPtr provider = providerAt(path);
        VelLogCapture log;
        QVERIFY(!provider->services());
        QCOMPARE(log.messages(), QStringList {u"could not parse info dictionary <%1>"_s.arg(info)});
        QVERIFY(!provider->services());
        QCOMPARE(log.messages().size(), 2);

        volume.addProvider(u"/Bad.app"_s, {VelTest::entry(u"Now"_s)});
        QVERIFY(provider->services());
    }

    // Every spelling of the key that a reader accepts must make the file
    // worth parsing; spellings the readers refuse are listed too, so that a
    // reader learning one of them breaks a row here.
    void onlyFilesThatMayDeclareServicesShouldBeParsedForServices_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("readsAsServices"); // some key holds "NSServices"
        QTest::addColumn<bool>("may");
        const auto xml = [](const QByteArray &key) {
            return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n\t<key>" + key
                + "</key>\n\t<array/>\n</dict>\n</plist>\n";
        };
        const auto text = [](const QByteArray &key) { return "{\n\t" + key + " = ();\n}\n"; };
        const auto utf16 = [](const QByteArray &utf8, QStringConverter::Encoding encoding, bool bom) {
            QStringEncoder encoder(encoding, bom ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
            return QByteArray(encoder.encode(QString::fromUtf8(utf8)));
        };
        const auto binary = [](const QString &key) {
            plist::DictionaryPtr d = plist::Dictionary::create();
            d->set(key, plist::Array::create());
            return plist::writeBinary(d);
        };

        QTest::newRow("XML literal") << xml("NSServices") << true << true;
        QTest::newRow("XML stored list") << xml("Quillfen.Korvane.AllNSServices") << true << true;
        QTest::newRow("XML decimal reference") << xml("NS&#83;ervices") << true << true;
        QTest::newRow("XML hexadecimal reference") << xml("&#x4e;SServices") << true << true;
        QTest::newRow("XML reference with leading zeros") << xml("NSServ&#x00069;ces") << true << true;
        QTest::newRow("XML CDATA section") << xml("NS<![CDATA[Services]]>") << true << true;
        QTest::newRow("XML empty CDATA section") << xml("NSSer<![CDATA[]]>vices") << true << true;
        QTest::newRow("XML comment") << xml("NS<!-- x -->Services") << true << true;
        QTest::newRow("XML empty comment") << xml("NSServ<!---->ices") << true << true;
        QTest::newRow("XML with a byte-order mark") << "\xEF\xBB\xBF" + xml("NSServices") << true << true;
        QTest::newRow("XML in UTF-16LE") << utf16(xml("NSServices"), QStringConverter::Utf16LE, true) << true << true;
        QTest::newRow("XML in UTF-16BE") << utf16(xml("NSServices"), QStringConverter::Utf16BE, true) << true << true;
        QTest::newRow("XML in UTF-16LE without a mark")
            << utf16(xml("NS&#83;ervices"), QStringConverter::Utf16LE, false) << true << true;
        QTest::newRow("text unquoted") << text("NSServices") << true << true;
        QTest::newRow("text quoted") << text("'NSServices'") << true << true;
        QTest::newRow("text octal escape") << text("\"NS\\123ervices\"") << true << true;
        QTest::newRow("text unicode escape") << text("\"\\U004eSServices\"") << true << true;
        QTest::newRow("text escaped plain letter") << text("\"N\\SServices\"") << true << true;
        QTest::newRow("strings file") << QByteArray("\"NS\\U0053ervices\" = \"x\";\n") << true << true;
        QTest::newRow("text in UTF-16LE") << utf16(text("NSServices"), QStringConverter::Utf16LE, true) << true << true;
        QTest::newRow("text in UTF-16BE without a mark")
            << utf16(text("NSServices"), QStringConverter::Utf16BE, false) << true << true;
        QTest::newRow("binary ASCII key") << binary(u"NSServices"_s) << true << true;
        QTest::newRow("binary UTF-16 key") << binary(u"\u00e9NSServices"_s) << true << true;

        QTest::newRow("XML processing instruction") << xml("NS<?x?>Services") << false << false;
        QTest::newRow("XML undeclared entity") << xml("NS&Sx;ervices") << false << false;
        QTest::newRow("XML upper-case hexadecimal mark") << xml("&#X4e;SServices") << false << true;
        QTest::newRow("XML overlong UTF-8") << xml("\xC1\x8ESServices") << false << false;
        QTest::newRow("text overlong UTF-8") << text("\xC1\x8ESServices") << false << false;
        QTest::newRow("text comment inside a key") << text("NS/* x */Services") << false << false;
        QTest::newRow("another case") << xml("nsservices") << false << false;
        QTest::newRow("no services") << xml("CFBundleName") << false << false;
        QTest::newRow("XML with a DOCTYPE and no services")
            << QByteArray("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                          "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist><dict/></plist>")
            << false << false;
        QTest::newRow("empty") << QByteArray() << false << false;
    }

    void onlyFilesThatMayDeclareServicesShouldBeParsedForServices()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, readsAsServices);
        QFETCH(bool, may);
        const plist::DictionaryPtr info = plist::read(bytes).toDictionary();
        bool declares = false;
        for (const QString &key : info ? info->keys() : QStringList())
            declares = declares || key.endsWith(u"NSServices"_s);
        QCOMPARE(declares, readsAsServices);
        QCOMPARE(VelMayDeclareServices(bytes), may);
    }

    void unparsableFileShouldBeLoggedWhenAskedForItsDictionary()
    {
        VelTest::Volume volume;
        const QString path = volume.path(u"/Broken.app"_s);
        const QString info = volume.writeFile(u"/Broken.app/Contents/Info.plist"_s, "<plist><dict><key>A</key>");
        VelLogCapture log;
        VelProviderPtr provider = providerAt(path);
        QVERIFY(!provider->services()); // cannot declare services: not parsed
        QVERIFY(log.messages().isEmpty());
        QVERIFY(!provider->infoDictionary());
        QCOMPARE(log.messages(), QStringList {u"could not parse info dictionary <%1>"_s.arg(info)});
    }

    void infoPlistThatIsNotAFileShouldBeLoggedNotWaitedFor()
    {
        VelTest::Volume volume;
        volume.makeFolder(u"/Fifo.app/Contents"_s);
        const QString info = volume.path(u"/Fifo.app/Contents/Info.plist"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(info).constData(), 0600), 0);
        VelLogCapture log;
        QVERIFY(!providerAt(volume.path(u"/Fifo.app"_s))->services());
        QCOMPARE(log.messages(), QStringList {u"could not parse info dictionary <%1>"_s.arg(info)});
    }

    void sourceListShouldBeChosenInOrder()
    {
        VelTest::Volume volume;
        DictionaryPtr info = VelTest::infoWithServices(VelTest::list({VelTest::entry(u"Plain"_s)}));
        info->set(VelKey::OldAllServices, VelTest::list({VelTest::entry(u"Older"_s)}));
        VelProviderPtr provider = providerAt(volume.addBundle(u"/A.app"_s, info));
        QCOMPARE(titlesOf(provider), QStringList {u"Older"_s});
        const DictionaryPtr loaded = provider->infoDictionary();
        QVERIFY(!loaded->contains(VelKey::OldAllServices));
        QVERIFY(loaded->value(VelKey::AllServices).toArray() == provider->services());

        info->set(VelKey::AllServices, VelTest::list({VelTest::entry(u"Current"_s)}));
        QCOMPARE(titlesOf(providerAt(volume.addBundle(u"/B.app"_s, info))), QStringList {u"Current"_s});

        VelProviderPtr empty = providerAt(volume.addProvider(u"/C.app"_s, {}));
        QVERIFY(empty->services());
        QCOMPARE(empty->services()->size(), 0);
        QVERIFY(!providerAt(volume.addBundle(u"/D.app"_s, VelTest::infoWithServices(nullptr)))->services());
    }

    void malformedSourceListShouldBeLoggedAndLeftAlone()
    {
        VelTest::Volume volume;
        DictionaryPtr info = VelTest::infoWithServices(nullptr);
        info->set(VelKey::Services, u"not a list"_s);
        const QString path = volume.addBundle(u"/A.app"_s, info);
        VelLogCapture log;
        QVERIFY(!providerAt(path)->services());
        QCOMPARE(log.messages().size(), 1);
        QVERIFY(log.messages()[0].contains(path + u"/Contents/Info.plist"_s));

        plist::ArrayPtr mixed = VelTest::list({VelTest::entry(u"Fine"_s)});
        mixed->append(u"stray"_s);
        info->set(VelKey::OldAllServices, mixed);
        VelProviderPtr provider = providerAt(volume.addBundle(u"/B.app"_s, info));
        QVERIFY(!provider->services());
        QVERIFY(provider->infoDictionary()->contains(VelKey::OldAllServices)); // not converted
    }

    void plainModeShouldConvertTheOldDisabledMenuItem()
    {
        VelTest::Volume volume;
        DictionaryPtr old = VelTest::entry(QString());
        DictionaryPtr disabledItem = plist::Dictionary::create();
        disabledItem->set(u"default"_s, u"Hidden"_s);
        old->set(VelKey::MenuItemDisabled, disabledItem);
        VelProviderPtr provider = providerAt(volume.addProvider(u"/A.app"_s, {old, VelTest::entry(u"Shown"_s)}));
        const DictionaryPtr hidden = provider->serviceAtIndex(0);
        QCOMPARE(serviceMenuItemTitle(hidden), u"Hidden"_s);
        QVERIFY(!hidden->contains(VelKey::MenuItemDisabled));
        QVERIFY(!isServiceEnabled(hidden));
        QVERIFY(hidden->value(VelKey::WasDisabled).toBoolean());
        const DictionaryPtr shown = provider->serviceAtIndex(1);
        QVERIFY(!shown->contains(VelKey::IsDisabled));
        QVERIFY(!shown->contains(VelKey::WasDisabled));
        QVERIFY(!provider->isDirty());
    }

    void storedListModeShouldConvertOlderMarksOnlyWhenTheyDisable()
    {
        VelTest::Volume volume;
        DictionaryPtr disabled = VelTest::entry(u"A"_s);
        disabled->set(VelKey::OldIsDisabled, u"YES"_s);
        disabled->set(VelKey::OldWasDisabled, true);
        disabled->set(VelKey::OldApplicationName, u"X"_s);
        disabled->set(VelKey::ApplicationName, u"X"_s);
        DictionaryPtr kept = VelTest::entry(u"B"_s);
        kept->set(VelKey::OldIsDisabled, false);
        kept->set(VelKey::OldApplicationName, u"X"_s);
        DictionaryPtr info = VelTest::infoWithServices(nullptr);
        info->set(VelKey::AllServices, VelTest::list({disabled, kept}));
        VelProviderPtr provider = providerAt(volume.addBundle(u"/A.app"_s, info));

        const DictionaryPtr a = provider->serviceAtIndex(0);
        QVERIFY(!isServiceEnabled(a));
        QVERIFY(a->value(VelKey::WasDisabled).toBoolean());
        for (const QString &key :
            {VelKey::OldIsDisabled, VelKey::OldWasDisabled, VelKey::OldApplicationName, VelKey::ApplicationName})
            QVERIFY2(!a->contains(key), qPrintable(key));
        const DictionaryPtr b = provider->serviceAtIndex(1);
        QVERIFY(isServiceEnabled(b));
        QVERIFY(b->contains(VelKey::OldIsDisabled));
        QVERIFY(b->contains(VelKey::OldApplicationName));
        QCOMPARE(b->value(VelKey::WasDisabled).toBoolean(), false);
    }

    void loadingShouldRecordStoredStateButKeepOriginals()
    {
        VelTest::Volume volume;
        DictionaryPtr e = VelTest::entryWithKey(u"Now"_s, u"n"_s);
        e->set(VelKey::OriginalMenuItemTitle, u"Before"_s);
        e->set(VelKey::OriginalKeyEquivalent, u""_s);
        e->set(VelKey::PreviousMenuItemTitle, u"Stale"_s);
        e->set(VelKey::IsDisabled, true);
        e->set(VelKey::WasDisabled, false);
        DictionaryPtr info = VelTest::infoWithServices(nullptr);
        info->set(VelKey::AllServices, VelTest::list({e, VelTest::entry(QString())}));
        VelProviderPtr provider = providerAt(volume.addBundle(u"/A.app"_s, info));
        QVERIFY(provider->services());
        DictionaryPtr titled;
        DictionaryPtr untitled;
        for (const plist::Value &item : *provider->services())
            (serviceMenuItemTitle(item.toDictionary()) ? titled : untitled) = item.toDictionary();
        QCOMPARE(titled->value(VelKey::OriginalMenuItemTitle).toString(), u"Before"_s);
        QCOMPARE(titled->value(VelKey::PreviousMenuItemTitle).toString(), u"Now"_s);
        QCOMPARE(titled->value(VelKey::OriginalKeyEquivalent).toString(), u""_s);
        QCOMPARE(titled->value(VelKey::PreviousKeyEquivalent).toString(), u"n"_s);
        QCOMPARE(titled->value(VelKey::WasDisabled).toBoolean(), true);
        QCOMPARE(untitled->value(VelKey::OriginalMenuItemTitle).toString(), u""_s);
        QCOMPARE(untitled->value(VelKey::PreviousKeyEquivalent).toString(), u""_s);
    }

    void servicesShouldBeSortedByReadablePathIgnoringCase()
    {
        VelTest::Volume volume;
        VelProviderPtr provider = providerAt(volume.addProvider(
            u"/A.app"_s, {VelTest::entry(u"zeta"_s), VelTest::entry(u"Alpha/Two"_s), VelTest::entry(u"alpha/one"_s)}));
        QCOMPARE(titlesOf(provider), (QStringList {u"alpha/one"_s, u"Alpha/Two"_s, u"zeta"_s}));
        // The Info.plist dictionary holds the same, reordered array.
        QVERIFY(provider->infoDictionary()->value(VelKey::Services).toArray() == provider->services());
    }

    void untitledServicesShouldBeNamedFromPortAndMessage()
    {
        VelTest::Volume volume;
        VelProviderPtr provider = providerAt(volume.addProvider(u"/A.app"_s, {}));
        QCOMPARE(provider->menuPathComponentsOfService(VelTest::entry(QString(), u"Grabber"_s, u"grab"_s)),
            QStringList {u"Untitled Service: [Grabber grab]"_s});
        QCOMPARE(provider->menuPathComponentsOfService(VelTest::entry(QString(), QString(), u"grab"_s)),
            QStringList {u"Untitled Service: [? grab]"_s});
        QCOMPARE(provider->menuPathComponentsOfService(VelTest::entry(QString(), u"Grabber"_s, QString())),
            QStringList {u"Untitled Service"_s});
        QCOMPARE(provider->menuPathComponentsFromMenuPath(u""_s, VelTest::entry(QString(), QString(), QString())),
            QStringList {u"Untitled Service"_s});
    }

    void menuPathsShouldSplitAtEverySlash_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("components");
        QTest::addColumn<QString>("readable");
        QTest::newRow("two levels") << u"Text/Word Count"_s << QStringList {u"Text"_s, u"Word Count"_s}
                                    << u"Text -> Word Count"_s;
        QTest::newRow("leading slash") << u"/A"_s << QStringList {QString(), u"A"_s} << u" -> A"_s;
        QTest::newRow("doubled slash") << u"A//B"_s << QStringList {u"A"_s, QString(), u"B"_s} << u"A ->  -> B"_s;
        QTest::newRow("trailing slash") << u"A/"_s << QStringList {u"A"_s, QString()} << u"A -> "_s;
    }

    void menuPathsShouldSplitAtEverySlash()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, components);
        QFETCH(QString, readable);
        VelTest::Volume volume;
        VelProviderPtr provider = providerAt(volume.addProvider(u"/A.app"_s, {VelTest::entry(title)}));
        const DictionaryPtr e = provider->serviceAtIndex(0);
        QCOMPARE(provider->menuPathComponentsOfService(e), components);
        QCOMPARE(provider->readableMenuPathOfService(e), readable);
    }

    void titlesShouldBeTranslatedUntilTheUserChangesThem()
    {
        VelTest::Volume volume;
        const QString path = volume.addProvider(u"/A.app"_s, {VelTest::entry(u"Lingo/Translate"_s)});
        volume.addStrings(u"/A.app"_s, u"English"_s, {{u"Lingo/Translate"_s, u"Text/Translate with Lingo"_s}}, true);
        VelProviderPtr provider = providerAt(path);
        const DictionaryPtr e = provider->serviceAtIndex(0);
        QCOMPARE(provider->localizedMenuItemTitleOfService(e), u"Text/Translate with Lingo"_s);
        QCOMPARE(provider->menuPathComponentsOfService(e), (QStringList {u"Text"_s, u"Translate with Lingo"_s}));
        QCOMPARE(provider->localizedMenuItemTitle(u"Unknown"_s), u"Unknown"_s);
        QCOMPARE(provider->localizedMenuItemTitle(std::nullopt), std::nullopt);

        setServiceMenuItemTitle(e, u"Lingo/Mine"_s);
        QCOMPARE(provider->localizedMenuItemTitleOfService(e), u"Lingo/Mine"_s);
        QCOMPARE(provider->originalLocalizedMenuItemTitleOfService(e), u"Text/Translate with Lingo"_s);
        setServiceMenuItemTitle(e, u"Lingo/Translate"_s);
        QCOMPARE(provider->localizedMenuItemTitleOfService(e), u"Text/Translate with Lingo"_s);
    }

    void resourcesFolderShouldWinOverLocalisationFolders()
    {
        VelTest::Volume volume;
        const QString path = volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)});
        volume.addStrings(u"/A.app"_s, u"en"_s, {{u"T"_s, u"From en"_s}});
        VelProviderPtr provider = providerAt(path);
        QCOMPARE(provider->localizedMenuItemTitle(u"T"_s), u"From en"_s);
        volume.addStrings(u"/A.app"_s, QString(), {{u"T"_s, u"From Resources"_s}});
        QCOMPARE(providerAt(path)->localizedMenuItemTitle(u"T"_s), u"From Resources"_s);
    }

    void changedStringsFileShouldBeReadAgain()
    {
        VelTest::Volume volume;
        const QString path = volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)});
        volume.addStrings(u"/A.app"_s, QString(), {{u"T"_s, u"First"_s}});
        VelProviderPtr provider = providerAt(path);
        QCOMPARE(provider->localizedMenuItemTitle(u"T"_s), u"First"_s);
        volume.addStrings(u"/A.app"_s, QString(), {{u"T"_s, u"Second, longer"_s}});
        QCOMPARE(provider->localizedMenuItemTitle(u"T"_s), u"Second, longer"_s);
    }

    void malformedStringsFileShouldBeLoggedAndIgnored()
    {
        VelTest::Volume volume;
        const QString path = volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)});
        volume.writeFile(u"/A.app/Contents/Resources/ServicesMenu.strings"_s, plist::writeXml(VelTest::list({})));
        VelLogCapture log;
        QCOMPARE(providerAt(path)->localizedMenuItemTitle(u"T"_s), u"T"_s);
        QCOMPARE(log.messages().size(), 1);
        QVERIFY(log.messages()[0].startsWith(u"<%1> has a malformed ServicesMenu.strings localization:\n"_s.arg(path)));

        volume.writeFile(u"/A.app/Contents/Resources/ServicesMenu.strings"_s, "\"unterminated = ");
        QCOMPARE(providerAt(path)->localizedMenuItemTitle(u"T"_s), u"T"_s);
        QCOMPARE(log.messages().size(), 1);
    }

    void nameShouldDropTheLastExtension()
    {
        VelTest::Volume volume;
        QCOMPARE(providerAt(volume.addProvider(u"/Applications/Tool 2.5.app"_s, {}))->name(), u"Tool 2"_s);
        QCOMPARE(providerAt(volume.addProvider(u"/Applications/Plain"_s, {}))->name(), u"Plain"_s);
        volume.writeFile(u"/Users/tester/Library/Preferences/.GlobalPreferences.plist"_s,
            "<plist><dict><key>AppleShowAllExtensions</key><true/></dict></plist>");
        QCOMPARE(providerAt(volume.path(u"/Applications/Tool 2.5.app"_s))->name(), u"Tool 2.5"_s);
    }

    void serviceAtIndexShouldAnswerNoneOutOfRange()
    {
        VelTest::Volume volume;
        VelProviderPtr provider = providerAt(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)}));
        QVERIFY(provider->serviceAtIndex(0));
        QVERIFY(!provider->serviceAtIndex(1));
        QVERIFY(!provider->serviceAtIndex(-1));
    }

    void signatureShouldDecideEditabilityUnlessSignedEditingIsAllowed()
    {
        VelTest::Volume volume;
        const QString signedPath
            = volume.addProvider(u"/Signed.app"_s, {VelTest::entry(u"S"_s), VelTest::entry(QString())});
        volume.makeFolder(u"/Signed.app/Contents/_CodeSignature"_s);
        const QString openPath = volume.addProvider(u"/Open.app"_s, {VelTest::entry(u"O"_s)});
        VelProviderPtr signedProvider = providerAt(signedPath);
        VelProviderPtr openProvider = providerAt(openPath);
        QVERIFY(signedProvider->isSigned());
        QVERIFY(!openProvider->isSigned());

        DictionaryPtr titled = signedProvider->serviceAtIndex(0);
        DictionaryPtr untitled = signedProvider->serviceAtIndex(1);
        if (serviceMenuItemTitle(untitled))
            std::swap(titled, untitled);
        QVERIFY(!signedProvider->isServiceEditable(titled));
        QVERIFY(openProvider->isServiceEditable(openProvider->serviceAtIndex(0)));

        VelUserDefaults::standardUserDefaults().setBool(true, u"Edit Signed Applications"_s);
        QVERIFY(signedProvider->isServiceEditable(titled));
        QVERIFY(!signedProvider->isServiceEditable(untitled));
        VelUserDefaults::standardUserDefaults().removeObjectForKey(u"Edit Signed Applications"_s);
    }

    void signatureToolShouldRunOncePerProvider()
    {
        VelTest::Volume volume;
        QFile::remove(m_tools.path() + u"/calls"_s);
        VelProviderPtr provider = providerAt(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)}));
        QVERIFY(provider->services()); // loading asks already
        QVERIFY(!provider->isSigned());
        QVERIFY(!provider->isSigned());
        QFile calls(m_tools.path() + u"/calls"_s);
        QVERIFY(calls.open(QIODevice::ReadOnly));
        QCOMPARE(calls.readAll().count('\n'), 1);

        QFile::remove(calls.fileName());
        VelProviderPtr empty = providerAt(volume.addProvider(u"/B.app"_s, {}));
        QVERIFY(empty->services());
        QVERIFY(!QFile::exists(calls.fileName())); // no services, no signature test
    }
};

QTEST_GUILESS_MAIN(TestFileRepresentation)
#include "tst_filerepresentation.moc"
