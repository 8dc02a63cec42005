#pragma once

// Info.plist files of typical size for the saving benchmarks: bundle keys,
// document types and four services, each provider's own.

#include <plist/PlistValue.h>

#include <QString>

namespace bench {

inline plist::DictionaryPtr makeService(int provider, int index)
{
    auto menuItem = plist::Dictionary::create();
    menuItem->set(QStringLiteral("default"), QStringLiteral("Provider %1/Service %2").arg(provider).arg(index));
    auto keyEquivalent = plist::Dictionary::create();
    keyEquivalent->set(QStringLiteral("default"), QString(QChar(u'A' + index % 26)));
    auto service = plist::Dictionary::create();
    service->set(QStringLiteral("NSMenuItem"), plist::Value(menuItem));
    service->set(QStringLiteral("NSKeyEquivalent"), plist::Value(keyEquivalent));
    service->set(QStringLiteral("NSMessage"), QStringLiteral("service%1").arg(index));
    service->set(QStringLiteral("NSPortName"), QStringLiteral("Provider%1").arg(provider));
    auto types = plist::Array::create(
        {plist::Value(QStringLiteral("NSStringPboardType")), plist::Value(QStringLiteral("NSFilenamesPboardType"))});
    service->set(QStringLiteral("NSSendTypes"), plist::Value(types));
    return service;
}

// An Info.plist of typical size: bundle keys, document types, services.
inline plist::DictionaryPtr makeInfo(int provider)
{
    auto info = plist::Dictionary::create();
    info->set(QStringLiteral("CFBundleDevelopmentRegion"), QStringLiteral("English"));
    info->set(QStringLiteral("CFBundleExecutable"), QStringLiteral("Provider%1").arg(provider));
    info->set(QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.provider%1").arg(provider));
    info->set(QStringLiteral("CFBundleName"), QStringLiteral("Provider %1").arg(provider));
    info->set(QStringLiteral("CFBundlePackageType"), QStringLiteral("APPL"));
    info->set(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.%1").arg(provider % 10));
    info->set(QStringLiteral("CFBundleVersion"), qint64(provider));
    info->set(QStringLiteral("LSMinimumSystemVersion"), QStringLiteral("10.4"));
    auto documentTypes = plist::Array::create();
    for (int i = 0; i < 6; ++i) {
        auto type = plist::Dictionary::create();
        type->set(QStringLiteral("CFBundleTypeName"), QStringLiteral("Document %1").arg(i));
        type->set(QStringLiteral("CFBundleTypeRole"), QStringLiteral("Editor"));
        type->set(QStringLiteral("CFBundleTypeExtensions"),
            plist::Value(plist::Array::create({plist::Value(QStringLiteral("ext%1").arg(i))})));
        documentTypes->append(plist::Value(type));
    }
    info->set(QStringLiteral("CFBundleDocumentTypes"), plist::Value(documentTypes));
    auto services = plist::Array::create();
    for (int i = 0; i < 4; ++i)
        services->append(plist::Value(makeService(provider, i)));
    info->set(QStringLiteral("NSServices"), plist::Value(services));
    return info;
}

} // namespace bench
