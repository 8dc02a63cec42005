#pragma once

// The "Update" alert: a window from the interface file of that name, loaded
// on first use from the resources of a bundle and then kept. It shows a
// message and the release notes page, rendered as HTML; its download button
// asks for the product page.

#include <QAbstractButton>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

class VelUpdateAlert : public QObject {
    Q_OBJECT

public:
    VelUpdateAlert(QString resourceBundlePath, int fetchTimeoutMilliseconds, QObject *parent = nullptr);
    ~VelUpdateAlert() override;

    // Loads the window the first time; when the interface file cannot be
    // loaded, logs "cannot load <Update.nib>", beeps and answers false.
    // Otherwise shows the message, starts loading the release notes and
    // brings the window to the front, centred when it was not on screen.
    bool show(const QString &message, const QUrl &releaseNotesURL);

    [[nodiscard]] QWidget *alertWindow() const { return m_alertWindow; }
    [[nodiscard]] QLabel *alertWindowMessageTextField() const { return m_messageTextField; }
    [[nodiscard]] QTextBrowser *alertWindowReleaseNotesWebView() const { return m_releaseNotesView; }
    [[nodiscard]] QAbstractButton *alertWindowDownloadButton() const { return m_downloadButton; }

signals:
    void downloadRequested();

private:
    [[nodiscard]] bool load();
    void loadReleaseNotes(const QUrl &url);

    QString m_resourceBundlePath;
    int m_fetchTimeoutMilliseconds;
    QPointer<QWidget> m_alertWindow;
    QPointer<QLabel> m_messageTextField;
    QPointer<QTextBrowser> m_releaseNotesView;
    QPointer<QAbstractButton> m_downloadButton;
    // Only the latest request for release notes may fill the view.
    quint64 m_releaseNotesRequest = 0;
};

// Resizes the button to its natural width plus the extra width, keeping its
// right edge where it was; the width is fixed so that a layout keeps it too.
void VelSizeButtonToFitWithExtraWidth(QAbstractButton &button, int extraWidth);
