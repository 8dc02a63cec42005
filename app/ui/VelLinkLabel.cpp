#include "VelLinkLabel.h"

#include "VelLinkTextField.h"

#include <util/gui/VelShowInFinder.h>

#include <QLabel>
#include <QUrl>

namespace {

const char *const kLinkedPathProperty = "velLinkedPath";

} // namespace

void VelSetStringValue(QLabel *label, const QString &text)
{
    if (auto *field = qobject_cast<VelLinkTextField *>(label)) {
        field->setStringValue(text);
        return;
    }
    if (!label)
        return;
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setProperty(kLinkedPathProperty, QString());
    label->setAccessibleDescription(QString());
}

void VelSetStringValueLink(QLabel *label, const QString &text, const QString &linkedPath)
{
    if (auto *field = qobject_cast<VelLinkTextField *>(label)) {
        field->setStringValue(text, linkedPath);
        field->setAccessibleDescription(linkedPath);
        return;
    }
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
    if (const auto *field = qobject_cast<const VelLinkTextField *>(label)) {
        const QUrl &url = field->linkedURL();
        return url.isLocalFile() ? url.toLocalFile() : url.toString();
    }
    return label ? label->property(kLinkedPathProperty).toString() : QString();
}

void VelConnectLinkToFileManager(QLabel *label)
{
    // A link text field opens its own link.
    if (!label || qobject_cast<VelLinkTextField *>(label))
        return;
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(label, &QLabel::linkActivated, label, [label](const QString &) {
        const QString path = VelLinkedPath(label);
        if (!path.isEmpty())
            showInFinder(path);
    });
}
