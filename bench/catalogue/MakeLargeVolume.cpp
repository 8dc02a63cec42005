// Writes a large Mac volume for the catalogue benchmark: 5,000 applications,
// 2,000 of them with 1 to 8 services, one Info.plist in ten binary, a third of
// the providers with a ServicesMenu.strings translation.
//
//   catalogue-make-volume DIR [APPLICATIONS]

#include <plist/PropertyList.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

namespace {

const char *const kFolders[] = {"Text", "Mail", "Files", "Images", "Development", "Web", "Notes", "Search"};
const char *const kVerbs[] = {"Open", "Send", "Convert", "Look Up", "Share", "Summarize", "Encode", "Reveal"};

plist::DictionaryPtr makeEntry(int app, int index, QRandomGenerator &random)
{
    plist::DictionaryPtr entry = plist::Dictionary::create();
    plist::DictionaryPtr menuItem = plist::Dictionary::create();
    const QString folder = QString::fromLatin1(kFolders[random.bounded(8)]);
    menuItem->set(QStringLiteral("default"),
        QStringLiteral("%1/%2 with App %3 #%4")
            .arg(folder, QString::fromLatin1(kVerbs[index % 8]))
            .arg(app)
            .arg(index));
    entry->set(QStringLiteral("NSMenuItem"), menuItem);
    entry->set(QStringLiteral("NSMessage"), QStringLiteral("service%1").arg(index));
    entry->set(QStringLiteral("NSPortName"), QStringLiteral("App%1").arg(app));
    plist::ArrayPtr sendTypes = plist::Array::create();
    sendTypes->append(QStringLiteral("NSStringPboardType"));
    sendTypes->append(QStringLiteral("public.utf8-plain-text"));
    entry->set(QStringLiteral("NSSendTypes"), sendTypes);
    if (random.bounded(3) == 0) {
        plist::DictionaryPtr key = plist::Dictionary::create();
        key->set(QStringLiteral("default"), QString(QChar(u'a' + random.bounded(26))));
        entry->set(QStringLiteral("NSKeyEquivalent"), key);
    }
    return entry;
}

plist::DictionaryPtr makeInfo(int app)
{
    plist::DictionaryPtr info = plist::Dictionary::create();
    info->set(QStringLiteral("CFBundleDevelopmentRegion"), QStringLiteral("English"));
    info->set(QStringLiteral("CFBundleExecutable"), QStringLiteral("App %1").arg(app));
    info->set(QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.app%1").arg(app));
    info->set(QStringLiteral("CFBundleInfoDictionaryVersion"), QStringLiteral("6.0"));
    info->set(QStringLiteral("CFBundleName"), QStringLiteral("App %1").arg(app));
    info->set(QStringLiteral("CFBundlePackageType"), QStringLiteral("APPL"));
    info->set(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.%1").arg(app % 10));
    info->set(QStringLiteral("LSMinimumSystemVersion"), QStringLiteral("10.4"));
    plist::ArrayPtr documentTypes = plist::Array::create();
    for (int i = 0; i < 3; ++i) {
        plist::DictionaryPtr type = plist::Dictionary::create();
        type->set(QStringLiteral("CFBundleTypeName"), QStringLiteral("Document %1").arg(i));
        type->set(QStringLiteral("CFBundleTypeRole"), QStringLiteral("Editor"));
        plist::ArrayPtr extensions = plist::Array::create();
        extensions->append(QStringLiteral("ext%1").arg(i));
        type->set(QStringLiteral("CFBundleTypeExtensions"), extensions);
        documentTypes->append(type);
    }
    info->set(QStringLiteral("CFBundleDocumentTypes"), documentTypes);
    return info;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray stringsFor(const plist::ArrayPtr &services)
{
    QString text = QStringLiteral("/* Services menu */\n");
    for (const plist::Value &item : *services) {
        const QString title = item.toDictionary()->value(u"NSMenuItem").toDictionary()->value(u"default").toString();
        text += QStringLiteral("\"%1\" = \"%1 (translated)\";\n").arg(title);
    }
    QByteArray utf16("\xff\xfe", 2);
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return utf16;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: catalogue-make-volume DIR [APPLICATIONS]\n");
        return 2;
    }
    const QString root = args[1];
    const int applications = args.size() > 2 ? args[2].toInt() : 5000;
    const int providers = applications * 2 / 5;
    QRandomGenerator random(20261207);
    QDir().mkpath(root + QStringLiteral("/Users/bench/Library/Preferences"));
    for (int app = 0; app < applications; ++app) {
        const QString bundle = QStringLiteral("%1/Applications/Group %2/App %3.app").arg(root).arg(app % 50).arg(app);
        plist::DictionaryPtr info = makeInfo(app);
        if (app < providers) {
            plist::ArrayPtr services = plist::Array::create();
            const int count = 1 + random.bounded(8);
            for (int i = 0; i < count; ++i)
                services->append(makeEntry(app, i, random));
            info->set(QStringLiteral("NSServices"), services);
            if (app % 3 == 0
                && !writeFile(bundle + QStringLiteral("/Contents/Resources/English.lproj/ServicesMenu.strings"),
                    stringsFor(services)))
                return 1;
        }
        const QByteArray bytes = app % 10 == 0 ? plist::writeBinary(info) : plist::writeXml(info);
        if (!writeFile(bundle + QStringLiteral("/Contents/Info.plist"), bytes)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(bundle));
            return 1;
        }
    }
    std::printf("wrote %d applications, %d with services, under %s\n", applications, providers, qPrintable(root));
    return 0;
}
