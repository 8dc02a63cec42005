// Real Info.plist and strings files from public projects, read as the Mac
// reads them. Skipped when the shared corpus is not beside the source tree.

#include "plist/PropertyList.h"

#include <QDir>
#include <QTest>

using namespace plist;
using namespace Qt::StringLiterals;

namespace {

QString corpusFolder()
{
    const QString shared = qEnvironmentVariable("VELMORA_SHARED_DIR", QStringLiteral(VELMORA_SOURCE_DIR "/../shared"));
    return shared + u"/corpus/real"_s;
}

QStringList corpusFiles()
{
    QStringList files;
    const QDir root(corpusFolder());
    for (const QString &project : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        for (const QString &name : QDir(root.filePath(project)).entryList(QDir::Files, QDir::Name))
            files << project + u'/' + name;
    }
    return files;
}

// The only files of the corpus that are no property list the Mac reads: a
// JSON string catalogue, and a GNUstep plist with an unquoted "*", which
// CoreFoundation does not accept.
const QStringList kNotPropertyLists = {
    u"coteditor__CotEditor/CotEditor__Localizables__ServicesMenu.xcstrings"_s,
    u"remacs__remacs/nextstep__templates__Info-gnustep.plist.in"_s,
};

} // namespace

class TestRealCorpus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QDir(corpusFolder()).exists())
            QSKIP("the shared corpus is not available");
    }

    void shouldReadEveryPropertyListOfTheCorpus_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &file : corpusFiles()) {
            if (file != u"INDEX.md")
                QTest::newRow(qPrintable(file)) << file;
        }
    }

    void shouldReadEveryPropertyListOfTheCorpus()
    {
        QFETCH(QString, file);
        Format format = Format::Binary;
        const Value v = readFile(corpusFolder() + u'/' + file, &format);
        if (kNotPropertyLists.contains(file)) {
            QVERIFY(v.isNone());
            return;
        }
        QVERIFY(v.isDictionary());
        QVERIFY(!v.toDictionary()->isEmpty());
        const bool xml = !file.contains(u".strings"_s) || file.startsWith(u"jjgod__TextEditPlus/"_s)
            || file.startsWith(u"tempelmann__TextEdit/"_s);
        QCOMPARE(format, xml ? Format::Xml : Format::Text);
    }

    void shouldReadStringsFilesAsTheMacDoes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("ascii, one line, no newline")
            << u"scrod__nv/en.lproj__ServicesMenu.strings"_s << u"NV: New Note With Selection"_s
            << u"NV: New Note With Selection"_s;
        QTest::newRow("utf-16le with bom, emoji keys")
            << u"CommanderPho__symboliclinker/English.lproj__ServicesMenu.strings"_s << u"🔗 Make Symbolic Link"_s
            << u"🔗 Make Symbolic Link"_s;
        QTest::newRow("utf-16be with bom") << u"JackieXie168__skim/fr.lproj__ServicesMenu.strings"_s
                                           << u"Open URL in Skim"_s << u"Ouvrir l’URL avec Skim"_s;
        QTest::newRow("utf-16le with bom, cyrillic") << u"JackieXie168__skim/ru.lproj__ServicesMenu.strings"_s
                                                     << u"Open File in Skim"_s << u"Открыть файл в Skim"_s;
        QTest::newRow("escaped quotes and backslashes")
            << u"MaddTheSane__LaTexIt/en.lproj__ServicesMenu.strings"_s << u"LaTeXiT/Typeset LaTeX Maths eqnarray"_s
            << u"LaTeXiT/\"Eqnarray\" Latexisation (\\begin{eqnarray*}…\\end{eqnarray*})"_s;
        QTest::newRow("no spaces around the equals sign")
            << u"MaddTheSane__LaTexIt/en.lproj__ServicesMenu.strings"_s << u"SERVICE_DESCRIPTION_EQNARRAY"_s
            << u"“Eqnarray” Latexisation (\\begin{eqnarray*}…\\end{eqnarray*})"_s;
        QTest::newRow("values that differ from the keys")
            << u"iamleeg__NewBean/en.lproj__ServicesMenu.strings"_s << u"Bean/HTML Snippit with Styles from Selection"_s
            << u"Bean/HTML+CSS Snippit from Selection"_s;
        QTest::newRow("unquoted identifier key") << u"Blady-Com__Tempodo-Localization/en.lproj__ServicesMenu.strings"_s
                                                 << u"TMCreateTaskString"_s << u"Create Task in Tempodo"_s;
        QTest::newRow("unquoted keys, utf-8") << u"ImageOptim__ImageOptim/imageoptim__ja.lproj__InfoPlist.strings"_s
                                              << u"CFBundleName"_s << u"イメージオプティム"_s;
        QTest::newRow("multi-line value, utf-16be")
            << u"scrod__nv/build__Deployment__nvALT.app__Contents__Resources__English.lproj__InfoPlist.strings@b637fb76"_s
            << u"NSHumanReadableCopyright"_s
            << u"nvALT © Brett Terpstra 2010\n\nNotational Velocity © Zachary Schneirov, 2010"_s;
        QTest::newRow("line comments") << u"coteditor__CotEditor/CotEditor__de.lproj__ServicesMenu.strings"_s
                                       << u"Open File in CotEditor"_s << u"Datei in CotEditor öffnen"_s;
        QTest::newRow("utf-8 with bom") << u"ararog__ITranslate/pt.lproj__ServicesMenu.strings"_s
                                        << u"ITranslate/English To Portuguese"_s
                                        << u"ITranslate/Inglês para Português"_s;
        QTest::newRow("utf-8 with bom, no spaces") << u"tkurita__QuickDMG/en.lproj__ServicesMenu.strings"_s
                                                   << u"Create Disk Image"_s << u"Create Disk Image"_s;
        QTest::newRow("comments and format specifiers")
            << u"jtbandes__delete-immediately/English.lproj__Localizable.strings"_s << u"CONFIRM_DELETE_SINGLE"_s
            << u"Are you sure you want to immediately delete “%@”?"_s;
        QTest::newRow("xml in a strings file")
            << u"jjgod__TextEditPlus/English.lproj__ServicesMenu.strings"_s << u"Open Selected File in TextEdit"_s
            << u"Open Selected File in TextEdit"_s;
        QTest::newRow("utf-16be xml declaring utf-8")
            << u"tempelmann__TextEdit/English.lproj__ServicesMenu.strings"_s << u"Open Selected File in TextEdit"_s
            << u"Open Selected File in TextEdit"_s;
    }

    void shouldReadStringsFilesAsTheMacDoes()
    {
        QFETCH(QString, file);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const Value v = readFile(corpusFolder() + u'/' + file);
        QVERIFY(v.isDictionary());
        QCOMPARE(v.toDictionary()->value(key).toString(), value);
    }

    void shouldKeepInfoPlistValues()
    {
        const Value v
            = readFile(corpusFolder() + u"/CommanderPho__symboliclinker/PhoSymbolicLinkerService-Info.plist"_s);
        const ArrayPtr services = v.toDictionary() ? v.toDictionary()->value(u"NSServices").toArray() : nullptr;
        QVERIFY(services);
        QCOMPARE(services->size(), 2);
        const DictionaryPtr item = services->at(0).toDictionary()->value(u"NSMenuItem").toDictionary();
        QVERIFY(item);
        QVERIFY(item->value(u"default").toString().startsWith(u"🔗"_s));
    }
};

QTEST_GUILESS_MAIN(TestRealCorpus)
#include "tst_realcorpus.moc"
