#pragma once

// Fixtures shared by the update checker's tests: version feeds, a bundle
// with or without the "Update" interface file, and a fresh defaults domain
// per test in a scratch home folder.

#include "VelLoopbackServer.h"

#include "defaults/VelUserDefaults.h"
#include "files/VelMacVolume.h"
#include "plist/PropertyList.h"
#include "update/VelOrbUpdateChecker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

inline QByteArray versionFeed(const std::vector<std::pair<QString, plist::Value>> &entries)
{
    plist::DictionaryPtr feed = plist::Dictionary::create();
    for (const auto &[key, value] : entries)
        feed->set(key, value);
    return plist::writeXml(plist::Value(feed));
}

inline QByteArray versionFeed(const QString &version)
{
    return versionFeed({{QStringLiteral("productVersion"), version}});
}

// A bundle whose resources hold the project's Update.ui, or nothing.
inline QString makeResourceBundle(const QString &folder, bool withInterfaceFile)
{
    const QString bundle = folder + QStringLiteral("/Velmora.app");
    const QString resources = bundle + QStringLiteral("/Contents/Resources");
    QDir().mkpath(resources);
    if (withInterfaceFile)
        QFile::copy(
            QStringLiteral(VELMORA_SOURCE_DIR "/app/update/Update.ui"), resources + QStringLiteral("/Update.ui"));
    return bundle;
}

// Every test gets a scratch home, its own defaults domain and a server; the
// main bundle (string tables) is an empty one, so texts stay English.
class VelUpdateFixture {
public:
    VelUpdateFixture()
    {
        VelMacVolume::setHomeOverride(m_home.path());
        m_bundle = makeResourceBundle(m_home.path(), true);
        m_bareBundle = makeResourceBundle(m_home.path() + QStringLiteral("/bare"), false);
        qputenv("VELMORA_BUNDLE", m_bareBundle.toUtf8());
        for (const char *variable : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(variable);
    }

    void start()
    {
        m_server = std::make_unique<VelLoopbackServer>();
        m_defaults = std::make_unique<VelUserDefaults>(QStringLiteral("com.example.update%1").arg(++m_domains));
    }

    [[nodiscard]] VelOrbUpdateChecker::Environment environment(const QString &version = QStringLiteral("2.0")) const
    {
        VelOrbUpdateChecker::Environment environment;
        environment.defaults = m_defaults.get();
        environment.applicationVersion = version;
        environment.productSite = m_server->site();
        environment.resourceBundlePath = m_bundle;
        return environment;
    }

    [[nodiscard]] VelLoopbackServer &server() { return *m_server; }
    [[nodiscard]] VelUserDefaults &defaults() { return *m_defaults; }
    [[nodiscard]] const QString &bareBundle() const { return m_bareBundle; }

private:
    QTemporaryDir m_home;
    QString m_bundle;
    QString m_bareBundle;
    std::unique_ptr<VelLoopbackServer> m_server;
    std::unique_ptr<VelUserDefaults> m_defaults;
    int m_domains = 0;
};
