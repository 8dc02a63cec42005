#include "VelInspectorWindow.h"

#include <bundles/VelBundle.h>
#include <util/VelFormat.h>

#include <QEvent>
#include <QLineEdit>
#include <QVBoxLayout>

VelInspectorWindow::VelInspectorWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("inspectorSheet"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void VelInspectorWindow::setContent(QWidget *content)
{
    content->setParent(this);
    layout()->addWidget(content);
    setWindowTitle(content->windowTitle());
    setAccessibleName(content->accessibleName());
}

void VelInspectorWindow::setKeyEquivalentTextField(QLineEdit *field)
{
    if (m_keyEquivalentTextField) {
        m_keyEquivalentTextField->removeEventFilter(this);
        m_keyEquivalentTextField->disconnect(this);
    }
    m_keyEquivalentTextField = field;
    if (!field)
        return;
    field->installEventFilter(this);
    // Only the user's edits: the field's own text changes set below do not
    // come back here.
    connect(field, &QLineEdit::textEdited, this, &VelInspectorWindow::controlTextDidChange);
}

bool VelInspectorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_keyEquivalentTextField && event->type() == QEvent::KeyPress)
        m_keyEquivalentTextField->selectAll();
    return QDialog::eventFilter(watched, event);
}

void VelInspectorWindow::controlTextDidChange()
{
    if (!m_keyEquivalentTextField)
        return;
    const QString typed = m_keyEquivalentTextField->text();
    if (typed.size() != 1) {
        m_keyEquivalent.reset();
        m_keyEquivalentTextField->clear();
        return;
    }
    const bool lowerCase = typed == typed.toLower();
    const QString format = lowerCase ? QStringLiteral("[command]-[%@]") : QStringLiteral("[shift]-[command]-[%@]");
    m_keyEquivalentTextField->setText(VelFormat(VelLocalizedString(format), {lowerCase ? typed.toUpper() : typed}));
    m_keyEquivalent = typed;
}
