#include "VelInterfaceFile.h"

#include "VelUiLoader.h"

#include <bundles/VelBundle.h>

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>

namespace {

QString translated(const QString &text)
{
    return text.isEmpty() ? text : VelLocalizedString(text);
}

void localizeAction(QAction *action)
{
    action->setText(translated(action->text()));
    action->setToolTip(translated(action->toolTip()));
    if (QMenu *menu = action->menu())
        menu->setTitle(translated(menu->title()));
}

void localizeWidget(QWidget *widget)
{
    widget->setWindowTitle(translated(widget->windowTitle()));
    widget->setToolTip(translated(widget->toolTip()));
    widget->setAccessibleName(translated(widget->accessibleName()));
    widget->setAccessibleDescription(translated(widget->accessibleDescription()));
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(translated(label->text()));
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(translated(button->text()));
    else if (auto *group = qobject_cast<QGroupBox *>(widget))
        group->setTitle(translated(group->title()));
    else if (auto *menu = qobject_cast<QMenu *>(widget))
        menu->setTitle(translated(menu->title()));
}

} // namespace

void VelLocalizeInterface(QWidget *root)
{
    if (!root)
        return;
    localizeWidget(root);
    for (QWidget *widget : root->findChildren<QWidget *>())
        localizeWidget(widget);
    // Actions are translated once each, wherever they are shown.
    for (QAction *action : root->findChildren<QAction *>())
        localizeAction(action);
}

QWidget *VelLoadInterfaceFile(const QString &name, QWidget *parent)
{
    return VelLoadInterfaceFile(VelBundle::mainBundle(), name, parent);
}

QWidget *VelLoadInterfaceFile(const VelBundle &bundle, const QString &name, QWidget *parent)
{
    const QString path = bundle.pathForResource(name, QStringLiteral("ui"));
    if (path.isEmpty())
        return nullptr;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    VelUiLoader loader;
    QWidget *root = loader.loadAndAwake(&file, parent);
    VelLocalizeInterface(root);
    return root;
}
