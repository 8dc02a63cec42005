#pragma once

// Requests to the desktop: open a URL in its application, and show a file in
// the file manager.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// Opens the URL with the desktop's application for it; answers whether the
// desktop accepted the request.
bool VelOpenURL(const QUrl &url);

// Asks the desktop's file manager to show the item selected (the freedesktop
// FileManager1 interface over D-Bus); where no file manager answers, opens
// the containing folder instead. Answers whether either request was accepted.
bool VelRevealInFileManager(const QString &path);

// While one of these lives, desktop requests are recorded here and accepted
// without reaching the desktop. Captures nest like log captures.
class VelDesktopCapture {
public:
    VelDesktopCapture();
    ~VelDesktopCapture();
    VelDesktopCapture(const VelDesktopCapture &) = delete;
    VelDesktopCapture &operator=(const VelDesktopCapture &) = delete;

    [[nodiscard]] const QList<QUrl> &openedUrls() const { return m_openedUrls; }
    [[nodiscard]] const QStringList &revealedPaths() const { return m_revealedPaths; }

private:
    friend bool VelOpenURL(const QUrl &url);
    friend bool VelRevealInFileManager(const QString &path);

    QList<QUrl> m_openedUrls;
    QStringList m_revealedPaths;
    VelDesktopCapture *m_previous = nullptr;
};
