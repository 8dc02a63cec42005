#pragma once

// Bundles: a folder X with X/Contents/Info.plist and X/Contents/Resources/.
// Resources are looked up in the resources folder itself, then in its
// <language>.lproj folders in the user's order of preferred languages
// ("en.lproj" and "English.lproj" style names alike), then Base.lproj, then
// the bundle's development region and English.

#include "plist/PlistValue.h"

#include <QString>
#include <QStringList>

#include <memory>

#include <dirent.h>

class VelBundle {
public:
    // The path need not exist; such a bundle simply has nothing in it.
    explicit VelBundle(const QString &path);

    // The running program's bundle: the X of X/Contents/MacOS/program, else
    // the bundle named by VELMORA_BUNDLE, else a Velmora.app beside the
    // program's folder (a build tree), else the program's folder.
    [[nodiscard]] static const VelBundle &mainBundle();
    [[nodiscard]] static QString mainBundlePathForExecutable(const QString &executablePath);

    [[nodiscard]] const QString &bundlePath() const;
    [[nodiscard]] QString contentsPath() const;
    [[nodiscard]] QString resourcePath() const;
    [[nodiscard]] QString infoDictionaryPath() const;

    // Read once, and shared rather than copied: treat it as read-only. An
    // empty dictionary when the bundle has none.
    [[nodiscard]] plist::DictionaryPtr infoDictionary() const;
    [[nodiscard]] plist::Value objectForInfoDictionaryKey(const QString &key) const;
    [[nodiscard]] QString bundleIdentifier() const;

    // The folders searched for resources, in order; only those that exist.
    [[nodiscard]] QStringList resourceSearchFolders() const;
    // The first file named name.type (name alone when type is empty) in the
    // search folders; empty when there is none.
    [[nodiscard]] QString pathForResource(const QString &name, const QString &type) const;

    // The translation of key in the string table (Localizable when empty);
    // else value when not empty, else key.
    [[nodiscard]] QString localizedStringForKey(const QString &key, const QString &value, const QString &table) const;

private:
    // Visits the search folders in order until the visitor answers true;
    // answers whether it did.
    template <typename Visit> bool forEachResourceFolder(Visit visit) const;
    // dir is the open resources folder.
    void listLocalizationFolders(DIR *dir, const QString &resources) const;

    struct State;
    std::shared_ptr<State> m_state;
};

// The user's preferred languages, most preferred first: the global default
// AppleLanguages, else LANGUAGE, LC_ALL, LC_MESSAGES or LANG, else English.
[[nodiscard]] QStringList VelPreferredLanguages();

// The folder names (without ".lproj") that may hold a language's resources,
// best first: "de_DE" gives de_DE, de-DE, de, German.
[[nodiscard]] QStringList VelLocalizationFolderNames(const QString &language);

// The application's translation of an English user-interface text (the text
// itself when there is none), from the main bundle's Localizable.strings.
[[nodiscard]] QString VelLocalizedString(const QString &englishText);
