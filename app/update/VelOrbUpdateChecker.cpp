#include "VelOrbUpdateChecker.h"

#include "VelDateLine.h"
#include "VelUpdateAlert.h"
#include "VelWebAddress.h"
#include "bundles/VelBundle.h"
#include "defaults/VelUserDefaults.h"
#include "gui/VelDesktop.h"
#include "util/VelDefaultsArchiving.h"
#include "util/VelFormat.h"
#include "util/gui/VelColorDefaults.h"

#include <QAbstractButton>
#include <QAction>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>

namespace {

const QString kCheckAtStartupKey = QStringLiteral("VelOrbUpdateCheckerCheckAtStartup");
const QString kLastCheckDateKey = QStringLiteral("VelOrbUpdateCheckerLastCheckDate");
const QString kStatusKey = QStringLiteral("VelOrbUpdateCheckerStatus");
const QString kStatusDateKey = QStringLiteral("VelOrbUpdateCheckerStatusDate");
const QString kStatusVersionKey = QStringLiteral("VelOrbUpdateCheckerStatusVersion");
const QString kStatusColorKey = QStringLiteral("VelOrbUpdateCheckerStatusColor");

const QString kProductWebSiteKey = QStringLiteral("VelProductWebSite");
const QString kFeedPath = QStringLiteral("/velmora/version.plist");
const QString kProductPagePath = QStringLiteral("/velmora");
const QString kReleaseNotesPath = QStringLiteral("/velmora/log.html");

// Seconds from 1 January 1970 to 1 January 2001, both UTC.
constexpr double kReferenceDateOffset = 978307200.0;

QString localized(const char *englishText)
{
    return VelLocalizedString(QString::fromUtf8(englishText));
}

// A feed value that is not text can name no address; it still replaces the
// address of an earlier feed, leaving the default in use.
QVariant addressFromFeed(const plist::Value &value)
{
    if (const QString *text = value.asString())
        return *text;
    return {};
}

QColor defaultTextColor()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QGuiApplication::palette().color(QPalette::WindowText);
    return QColor(Qt::black);
}

} // namespace

VelOrbUpdateChecker::Environment VelOrbUpdateChecker::Environment::forBundle(const QString &bundlePath)
{
    const VelBundle bundle(bundlePath);
    Environment environment;
    const plist::Value version = bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleShortVersionString"));
    if (version.isString())
        environment.applicationVersion = version.toString();
    const plist::Value site = bundle.objectForInfoDictionaryKey(kProductWebSiteKey);
    if (site.isString())
        environment.productSite = QUrl(site.toString());
    environment.resourceBundlePath = bundle.bundlePath();
    return environment;
}

VelOrbUpdateChecker::VelOrbUpdateChecker(Environment environment, QObject *parent)
    : QObject(parent)
    , m_environment(std::move(environment))
{
}

VelOrbUpdateChecker::~VelOrbUpdateChecker() = default;

VelOrbUpdateChecker &VelOrbUpdateChecker::updateChecker()
{
    static VelOrbUpdateChecker *const singletonVelOrbUpdateChecker
        = new VelOrbUpdateChecker(Environment::forBundle(VelBundle::mainBundle().bundlePath()));
    return *singletonVelOrbUpdateChecker;
}

VelUserDefaults &VelOrbUpdateChecker::defaults() const
{
    return m_environment.defaults ? *m_environment.defaults : VelUserDefaults::standardUserDefaults();
}

double VelOrbUpdateChecker::referenceDateSecondsNow()
{
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - kReferenceDateOffset;
}

bool VelOrbUpdateChecker::checkAtStartup() const
{
    return defaults().boolForKey(kCheckAtStartupKey);
}

void VelOrbUpdateChecker::toggleCheckAtStartup(bool on)
{
    plist::DictionaryPtr values = plist::Dictionary::create();
    values->set(kCheckAtStartupKey, on);
    values->set(kLastCheckDateKey, 0.0);
    defaults().setObjects(values);
    if (m_autoUpdateCheckingSwitch && m_autoUpdateCheckingSwitch->isChecked() != on)
        m_autoUpdateCheckingSwitch->setChecked(on);
}

bool VelOrbUpdateChecker::automaticCheckIsDue() const
{
    if (!checkAtStartup())
        return false;
    if (defaults().objectForKey(kLastCheckDateKey).isNone())
        return true;
    // Written so that a date in the future also counts as recent.
    const double secondsFromNow = defaults().doubleForKey(kLastCheckDateKey) - referenceDateSecondsNow();
    return !(secondsFromNow > -kVelOrbUpdateCheckerInterval);
}

bool VelOrbUpdateChecker::checkForUpdatesWithAutomaticRequest(bool automatic)
{
    if (automatic && !automaticCheckIsDue())
        return false;
    if (m_checking)
        return false;
    m_checking = true;
    emit checkingChanged(true);
    dictionaryFromNSURLConnectionAsync(
        feedURL(), this, [this, automatic](plist::DictionaryPtr feed) { finishCheck(feed, automatic); },
        m_environment.fetchTimeoutMilliseconds);
    return true;
}

void VelOrbUpdateChecker::checkForUpdates()
{
    checkForUpdatesWithAutomaticRequest(false);
}

void VelOrbUpdateChecker::finishCheck(const plist::DictionaryPtr &feed, bool automatic)
{
    m_checking = false;
    const QString *published = feed ? feed->value(u"productVersion").asString() : nullptr;
    if (!published || published->isEmpty()) {
        setStatus(localized("Connection failed."), localized("Last attempt: %B %1d, %Y - %1I:%M%p"),
            QColor::fromRgbF(0.4f, 0.0f, 0.0f, 1.0f));
        emit checkingChanged(false);
        return;
    }
    if (feed->contains(u"productPageURL"))
        m_productPageAddress = addressFromFeed(feed->value(u"productPageURL"));
    if (feed->contains(u"productReleaseNotesURL"))
        m_releaseNotesAddress = addressFromFeed(feed->value(u"productReleaseNotesURL"));
    if (automatic)
        defaults().setObject(referenceDateSecondsNow(), kLastCheckDateKey);

    const QString dateFormat = localized("Last check: %B %1d, %Y - %1I:%M%p");
    if (*published == m_environment.applicationVersion) {
        setStatus(localized("Velmora is up to date."), dateFormat, QColor());
    } else {
        setStatus(VelFormat(localized("Velmora %@ is now available!"), {*published}), dateFormat,
            QColor::fromRgbF(0.0f, 0.3f, 0.0f, 1.0f));
        showAlert();
    }
    emit checkingChanged(false);
}

bool VelOrbUpdateChecker::isCurrentStatus() const
{
    const plist::Value stored = defaults().objectForKey(kStatusVersionKey);
    const QString *version = stored.asString();
    return version && *version == m_environment.applicationVersion;
}

QString VelOrbUpdateChecker::status() const
{
    return isCurrentStatus() ? defaults().stringForKey(kStatusKey) : QString();
}

QString VelOrbUpdateChecker::statusDate() const
{
    return isCurrentStatus() ? defaults().stringForKey(kStatusDateKey) : QString();
}

QColor VelOrbUpdateChecker::statusColor() const
{
    const QColor stored = isCurrentStatus() ? colorForKey(defaults(), kStatusColorKey) : QColor();
    return stored.isValid() ? stored : defaultTextColor();
}

void VelOrbUpdateChecker::setStatus(
    const std::optional<QString> &status, const QString &dateFormat, const QColor &color)
{
    VelUserDefaults &stored = defaults();
    if (!status) {
        for (const QString &key : {kStatusKey, kStatusDateKey, kStatusVersionKey, kStatusColorKey})
            tryToRemoveObjectForKey(stored, key);
    } else {
        plist::DictionaryPtr values = plist::Dictionary::create();
        values->set(kStatusKey, *status);
        values->set(kStatusDateKey, VelFormatDateLine(dateFormat, QDateTime::currentDateTime(), QLocale()));
        values->set(kStatusVersionKey, m_environment.applicationVersion);
        stored.setObjects(values);
        if (color.isValid())
            setColorForKey(stored, color, kStatusColorKey);
        else
            tryToRemoveObjectForKey(stored, kStatusColorKey);
    }
    showStatus();
    emit statusChanged();
}

void VelOrbUpdateChecker::showStatus()
{
    if (m_statusTextField) {
        m_statusTextField->setText(status());
        const QColor stored = isCurrentStatus() ? colorForKey(defaults(), kStatusColorKey) : QColor();
        if (stored.isValid()) {
            QPalette palette = m_statusTextField->palette();
            palette.setColor(QPalette::WindowText, stored);
            m_statusTextField->setPalette(palette);
        } else {
            // An empty palette gives the label back the one it inherits.
            m_statusTextField->setPalette(QPalette());
        }
    }
    if (m_statusDateTextField)
        m_statusDateTextField->setText(statusDate());
}

QUrl VelOrbUpdateChecker::URLFromAddress(const QVariant &address, const QString &defaultURLString)
{
    if (address.typeId() == QMetaType::QUrl)
        return address.toUrl();
    if (address.typeId() == QMetaType::QString) {
        const QUrl url(address.toString(), QUrl::StrictMode);
        if (VelIsWebAddress(url))
            return url;
    }
    return QUrl(defaultURLString);
}

QUrl VelOrbUpdateChecker::siteURL(const QString &path) const
{
    return m_environment.productSite.resolved(QUrl(path));
}

QUrl VelOrbUpdateChecker::feedURL() const
{
    return siteURL(kFeedPath);
}

QUrl VelOrbUpdateChecker::productPageURL() const
{
    return URLFromAddress(m_productPageAddress, siteURL(kProductPagePath).toString());
}

QUrl VelOrbUpdateChecker::releaseNotesURL() const
{
    return URLFromAddress(m_releaseNotesAddress, siteURL(kReleaseNotesPath).toString());
}

void VelOrbUpdateChecker::visitWebSite()
{
    VelOpenURL(productPageURL());
}

void VelOrbUpdateChecker::showAlert()
{
    if (!m_alert) {
        m_alert = new VelUpdateAlert(m_environment.resourceBundlePath, m_environment.fetchTimeoutMilliseconds, this);
        connect(m_alert, &VelUpdateAlert::downloadRequested, this, &VelOrbUpdateChecker::visitWebSite);
    }
    m_alert->show(status(), releaseNotesURL());
}

QWidget *VelOrbUpdateChecker::alertWindow() const
{
    return m_alert ? m_alert->alertWindow() : nullptr;
}

void VelOrbUpdateChecker::awakeFromNib(QWidget *form)
{
    if (!form)
        return;
    if (auto *checkBox = form->findChild<QAbstractButton *>(QStringLiteral("autoUpdateCheckingSwitch"))) {
        m_autoUpdateCheckingSwitch = checkBox;
        checkBox->setCheckable(true);
        checkBox->setChecked(checkAtStartup());
        // Clicks only: showing the stored state must not count as a toggle.
        connect(checkBox, &QAbstractButton::clicked, this, &VelOrbUpdateChecker::toggleCheckAtStartup,
            Qt::UniqueConnection);
    }
    // The status may quote the feed; it is shown as text, never as markup.
    if (auto *line = form->findChild<QLabel *>(QStringLiteral("statusTextField"))) {
        m_statusTextField = line;
        line->setTextFormat(Qt::PlainText);
    }
    if (auto *line = form->findChild<QLabel *>(QStringLiteral("statusDateTextField"))) {
        m_statusDateTextField = line;
        line->setTextFormat(Qt::PlainText);
    }
    showStatus();
}

QAction *VelOrbUpdateChecker::checkForUpdatesAction()
{
    if (!m_checkForUpdatesAction) {
        m_checkForUpdatesAction = new QAction(localized("Check Now"), this);
        m_checkForUpdatesAction->setObjectName(QStringLiteral("checkForUpdatesAction"));
        m_checkForUpdatesAction->setEnabled(!m_checking);
        connect(m_checkForUpdatesAction, &QAction::triggered, this, &VelOrbUpdateChecker::checkForUpdates);
        connect(this, &VelOrbUpdateChecker::checkingChanged, m_checkForUpdatesAction,
            [action = m_checkForUpdatesAction](bool checking) { action->setEnabled(!checking); });
    }
    return m_checkForUpdatesAction;
}

QAction *VelOrbUpdateChecker::visitWebSiteAction()
{
    if (!m_visitWebSiteAction) {
        m_visitWebSiteAction = new QAction(localized("Visit Web Site"), this);
        m_visitWebSiteAction->setObjectName(QStringLiteral("visitWebSiteAction"));
        connect(m_visitWebSiteAction, &QAction::triggered, this, &VelOrbUpdateChecker::visitWebSite);
    }
    return m_visitWebSiteAction;
}
