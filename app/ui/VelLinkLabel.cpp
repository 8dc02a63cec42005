#include "VelLinkLabel.h"

#include <util/gui/VelShowInFinder.h>

#include <QLabel>
#include <QUrl>

namespace {

const char *const kLinkedPathProperty = "velLinkedPath";

} // namespace

void VelSetStringValue(QLabel *label, const QString &text)
{
    if (!label)
        return;
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setProperty(kLinkedPathProperty, QString());
    label->setAccessibleDescription(QString());
}

void VelSetStringValueLink(QLabel *label, const QString &text, const QString &linkedPath)
{
    if (!label)
        return;
    // The path travels as a file URL, so no character of it can end the
    // attribute or be read as markup.
    const QString href = QUrl::fromLocalFile(linkedPath).toString(QUrl::FullyEncoded).toHtmlEscaped();
    label->setTextFormat(Qt::RichText);
    label->setText(text.toHtmlEscaped() + QStringLiteral(" <a href=\"") + href
        + QStringLiteral("\" style=\"text-decoration:none\">&#x2192;</a>"));
    label->setProperty(kLinkedPathProperty, linkedPath);
    label->setAccessibleDescription(linkedPath);
}

QString VelLinkedPath(const QLabel *label)
{
    return label ? label->property(kLinkedPathProperty).toString() : QString();
}

void VelConnectLinkToFileManager(QLabel *label)
{
    if (!label)
        return;
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(label, &QLabel::linkActivated, label, [label](const QString &) {
        const QString path = VelLinkedPath(label);
        if (!path.isEmpty())
            showInFinder(path);
    });
}
