#include "VelUpdateAlert.h"

#include "VelWebAddress.h"
#include "bundles/VelBundle.h"
#include "gui/VelBeep.h"
#include "gui/VelDesktop.h"
#include "log/VelLog.h"
#include "ui/VelInterfaceFile.h"
#include "util/net/VelURLFetch.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLabel>
#include <QScreen>
#include <QStringConverter>
#include <QTextBrowser>
#include <QWidget>

#include <memory>

namespace {

const QString kInterfaceName = QStringLiteral("Update");

QString htmlText(const QByteArray &body)
{
    const std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForHtml(body);
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    return decoder(body);
}

} // namespace

VelUpdateAlert::VelUpdateAlert(QString resourceBundlePath, int fetchTimeoutMilliseconds, QObject *parent)
    : QObject(parent)
    , m_resourceBundlePath(std::move(resourceBundlePath))
    , m_fetchTimeoutMilliseconds(fetchTimeoutMilliseconds)
{
}

VelUpdateAlert::~VelUpdateAlert()
{
    delete m_alertWindow;
}

bool VelUpdateAlert::show(const QString &message, const QUrl &releaseNotesURL)
{
    if (!m_alertWindow && !load()) {
        VelLog(QStringLiteral("cannot load <Update.nib>"));
        VelBeep();
        return false;
    }
    if (!m_alertWindow->isVisible()) {
        const QScreen *screen = m_alertWindow->screen();
        if (screen)
            m_alertWindow->move(screen->availableGeometry().center() - m_alertWindow->rect().center());
    }
    m_messageTextField->setText(message);
    loadReleaseNotes(releaseNotesURL);
    m_alertWindow->show();
    m_alertWindow->raise();
    m_alertWindow->activateWindow();
    return true;
}

bool VelUpdateAlert::load()
{
    std::unique_ptr<QWidget> window(VelLoadInterfaceFile(VelBundle(m_resourceBundlePath), kInterfaceName, nullptr));
    if (!window)
        return false;
    auto *message = window->findChild<QLabel *>(QStringLiteral("alertWindowMessageTextField"));
    auto *notes = window->findChild<QTextBrowser *>(QStringLiteral("alertWindowReleaseNotesWebView"));
    auto *download = window->findChild<QAbstractButton *>(QStringLiteral("alertWindowDownloadButton"));
    if (!message || !notes || !download)
        return false;

    // An ordinary window: it neither floats above others nor hides while
    // another application is active.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    window->setWindowModality(Qt::NonModal);
    // The message quotes the feed's version: text, never markup.
    message->setTextFormat(Qt::PlainText);
    download->setText(VelLocalizedString(QStringLiteral("Download...")));
    VelSizeButtonToFitWithExtraWidth(*download, 10);

    notes->setOpenLinks(false);
    connect(notes, &QTextBrowser::anchorClicked, this, [notes](const QUrl &link) {
        const QUrl target = notes->document()->baseUrl().resolved(link);
        if (VelIsWebAddress(target))
            VelOpenURL(target);
    });
    QWidget *alert = window.get();
    connect(download, &QAbstractButton::clicked, this, [this, alert] {
        emit downloadRequested();
        alert->close();
    });
    if (auto *buttons = window->findChild<QDialogButtonBox *>())
        connect(buttons, &QDialogButtonBox::rejected, alert, &QWidget::close);

    m_messageTextField = message;
    m_releaseNotesView = notes;
    m_downloadButton = download;
    m_alertWindow = window.release();
    return true;
}

void VelUpdateAlert::loadReleaseNotes(const QUrl &url)
{
    const quint64 request = ++m_releaseNotesRequest;
    m_releaseNotesView->clear();
    m_releaseNotesView->document()->setBaseUrl(url);
    if (!VelIsWebAddress(url))
        return;
    dataFromNSURLConnectionAsync(
        url, this,
        [this, request](std::optional<QByteArray> body) {
            if (request != m_releaseNotesRequest || !m_releaseNotesView)
                return;
            if (!body)
                return;
            const QUrl base = m_releaseNotesView->document()->baseUrl();
            m_releaseNotesView->setHtml(htmlText(*body));
            m_releaseNotesView->document()->setBaseUrl(base);
        },
        m_fetchTimeoutMilliseconds);
}

void VelSizeButtonToFitWithExtraWidth(QAbstractButton &button, int extraWidth)
{
    const int rightEdge = button.x() + button.width();
    const int width = button.sizeHint().width() + extraWidth;
    button.setFixedWidth(width);
    button.move(rightEdge - width, button.y());
}
