#pragma once

// A temporary Mac volume for tests: bundles with Info.plist files written as
// XML or binary, strings files, plain files and links, and the volume set as
// the root and home of the process while the object lives.

#include <plist/PlistValue.h>

#include <QString>
#include <QTemporaryDir>

#include <initializer_list>
#include <utility>

namespace VelTest {

enum class PlistFormat { Xml, Binary };

// One service entry, as a provider declares it.
[[nodiscard]] plist::DictionaryPtr entry(const QString &title, const QString &port = QStringLiteral("Port"),
    const QString &message = QStringLiteral("doService"));
[[nodiscard]] plist::DictionaryPtr entryWithKey(const QString &title, const QString &key);
[[nodiscard]] plist::ArrayPtr list(std::initializer_list<plist::DictionaryPtr> entries);
// A dictionary of the given keys and values, in order.
[[nodiscard]] plist::DictionaryPtr dictionary(std::initializer_list<std::pair<QString, plist::Value>> fields);
// A minimal Info.plist with the given services under "NSServices".
[[nodiscard]] plist::DictionaryPtr infoWithServices(const plist::ArrayPtr &services);

class Volume {
public:
    Volume();
    ~Volume();
    Volume(const Volume &) = delete;
    Volume &operator=(const Volume &) = delete;

    [[nodiscard]] bool isValid() const { return m_dir.isValid(); }
    [[nodiscard]] QString root() const { return m_dir.path(); }
    [[nodiscard]] QString home() const { return root() + QStringLiteral("/Users/tester"); }
    // A path on the volume: "/Applications/X.app" → <root>/Applications/X.app.
    [[nodiscard]] QString path(const QString &macPath) const { return root() + macPath; }

    // Writes <bundle>/Contents/<infoName>; answers the bundle's real path.
    QString addBundle(const QString &macPath, const plist::DictionaryPtr &info, PlistFormat format = PlistFormat::Xml,
        const QString &infoName = QStringLiteral("Info.plist"));
    QString addProvider(const QString &macPath, std::initializer_list<plist::DictionaryPtr> entries);
    // Writes raw bytes to a file on the volume, creating its folders.
    QString writeFile(const QString &macPath, const QByteArray &bytes);
    // A strings file in the bundle's Resources (lproj empty) or <lproj>.lproj.
    QString addStrings(const QString &bundleMacPath, const QString &lproj,
        std::initializer_list<std::pair<QString, QString>> pairs, bool utf16 = false);
    bool makeFolder(const QString &macPath);
    bool makeLink(const QString &macPath, const QString &target);

private:
    QTemporaryDir m_dir;
};

// Whether the entry carries any of Velmora's current marker keys.
[[nodiscard]] bool hasMarkerKey(const plist::DictionaryPtr &entry);

// Reads a whole property list file; none when it cannot be read.
[[nodiscard]] plist::Value readPlist(const QString &path);

} // namespace VelTest
