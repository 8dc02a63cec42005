#pragma once

// The update checker: fetches the version feed from the product web site,
// compares its version with the running one, and keeps a one-line status
// with a date line and a colour in the user defaults. A version that differs
// in any way opens the "Update" alert with the release notes.
//
// The fetch runs asynchronously: a check returns at once and the status
// changes (statusChanged) when the answer, a failure or the time-out comes.

#include "util/net/VelURLFetch.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <optional>

class QAbstractButton;
class QAction;
class QLabel;
class QWidget;
class VelUpdateAlert;
class VelUserDefaults;

class VelOrbUpdateChecker : public QObject {
    Q_OBJECT

public:
    // What a checker works with; the shared checker's comes from the main bundle.
    struct Environment {
        // Null: the application's own domain.
        VelUserDefaults *defaults = nullptr;
        // The running CFBundleShortVersionString.
        QString applicationVersion;
        // Scheme and host of the product web site; the paths are fixed.
        QUrl productSite;
        // The bundle whose resources hold the "Update" interface file.
        QString resourceBundlePath;
        int fetchTimeoutMilliseconds = kVelURLFetchTimeoutMilliseconds;

        // The version, the site (Info.plist key "VelProductWebSite") and the
        // resources of a bundle, with the standard defaults and time-out.
        [[nodiscard]] static Environment forBundle(const QString &bundlePath);
    };

    explicit VelOrbUpdateChecker(Environment environment, QObject *parent = nullptr);
    ~VelOrbUpdateChecker() override;

    // The shared checker, made on first use from the main bundle and never
    // destroyed; every window that shows the checker uses this one.
    [[nodiscard]] static VelOrbUpdateChecker &updateChecker();

    [[nodiscard]] const Environment &environment() const { return m_environment; }

    [[nodiscard]] bool checkAtStartup() const;
    // Also makes the next automatic check due at once, whichever way it went.
    void toggleCheckAtStartup(bool on);

    // An automatic request does nothing unless checks at start-up are on
    // and the last successful automatic check is a week old. Answers whether
    // a fetch started; none starts while another check is waiting.
    bool checkForUpdatesWithAutomaticRequest(bool automatic);
    // A check on the user's command.
    void checkForUpdates();
    [[nodiscard]] bool isChecking() const { return m_checking; }

    // The stored status belongs to the version that stored it; for any other
    // version these answer "", "" and the default text colour.
    [[nodiscard]] bool isCurrentStatus() const;
    [[nodiscard]] QString status() const;
    [[nodiscard]] QString statusDate() const;
    [[nodiscard]] QColor statusColor() const;
    // No status removes the stored one; an invalid colour stores none. The
    // date format is filled with the current local time.
    void setStatus(const std::optional<QString> &status, const QString &dateFormat, const QColor &color);

    // A QUrl is answered unchanged; a string naming an absolute http or https
    // address becomes that URL; anything else gives the default.
    [[nodiscard]] static QUrl URLFromAddress(const QVariant &address, const QString &defaultURLString);
    [[nodiscard]] QUrl feedURL() const;
    [[nodiscard]] QUrl productPageURL() const;
    [[nodiscard]] QUrl releaseNotesURL() const;

    void visitWebSite();
    // Shows the "Update" alert with the status and the release notes.
    void showAlert();
    [[nodiscard]] QWidget *alertWindow() const;

    // Connects a loaded form's switch ("autoUpdateCheckingSwitch"), status
    // line ("statusTextField") and date line ("statusDateTextField"), each
    // optional, and shows the stored state in them.
    void awakeFromNib(QWidget *form);

    // "Check Now" and "Visit Web Site", for menus and buttons.
    [[nodiscard]] QAction *checkForUpdatesAction();
    [[nodiscard]] QAction *visitWebSiteAction();

    // Seconds since 1 January 2001 00:00:00 UTC, the stored dates' scale.
    [[nodiscard]] static double referenceDateSecondsNow();

signals:
    void statusChanged();
    void checkingChanged(bool checking);

private:
    [[nodiscard]] VelUserDefaults &defaults() const;
    [[nodiscard]] bool automaticCheckIsDue() const;
    void finishCheck(const plist::DictionaryPtr &feed, bool automatic);
    void showStatus();
    [[nodiscard]] QUrl siteURL(const QString &path) const;

    Environment m_environment;
    QVariant m_productPageAddress;
    QVariant m_releaseNotesAddress;
    bool m_checking = false;
    VelUpdateAlert *m_alert = nullptr;
    QAction *m_checkForUpdatesAction = nullptr;
    QAction *m_visitWebSiteAction = nullptr;
    QPointer<QAbstractButton> m_autoUpdateCheckingSwitch;
    QPointer<QLabel> m_statusTextField;
    QPointer<QLabel> m_statusDateTextField;
};

inline constexpr double kVelOrbUpdateCheckerInterval = 604800.0;
