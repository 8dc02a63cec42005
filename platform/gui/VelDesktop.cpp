#include "VelDesktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>

namespace {

VelDesktopCapture *currentCapture = nullptr;

bool askFileManagerToShow(const QString &path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList {QUrl::fromLocalFile(path).toString()} << QString();
    constexpr int kTimeoutMilliseconds = 3000;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMilliseconds);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

bool VelOpenURL(const QUrl &url)
{
    if (currentCapture) {
        currentCapture->m_openedUrls.append(url);
        return true;
    }
    return QDesktopServices::openUrl(url);
}

bool VelRevealInFileManager(const QString &path)
{
    if (currentCapture) {
        currentCapture->m_revealedPaths.append(path);
        return true;
    }
    if (askFileManagerToShow(path))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

VelDesktopCapture::VelDesktopCapture()
    : m_previous(currentCapture)
{
    currentCapture = this;
}

VelDesktopCapture::~VelDesktopCapture()
{
    for (VelDesktopCapture **link = &currentCapture; *link; link = &(*link)->m_previous) {
        if (*link == this) {
            *link = m_previous;
            break;
        }
    }
}
