#include "VelUiLoader.h"

#include "VelApplicationsTableView.h"
#include "VelAwakeFromNib.h"
#include "VelContextButton.h"
#include "VelFakeTableHeaderView.h"
#include "VelGradientView.h"
#include "VelLightGradientView.h"
#include "VelLinkTextField.h"
#include "VelMainWindow.h"
#include "VelMainWindowFooterView.h"
#include "VelServicesOutlineView.h"
#include "VelServicesTableView.h"
#include "VelShadowedTextField.h"
#include "VelSolomonButton.h"
#include "VelSplitView.h"

#include <functional>

namespace {

using Factory = std::function<QWidget *(QWidget *parent)>;

template <typename Widget> std::pair<QString, Factory> factory(const char *className)
{
    return {QLatin1StringView(className), [](QWidget *parent) -> QWidget * { return new Widget(parent); }};
}

const QHash<QString, Factory> &factories()
{
    static const QHash<QString, Factory> singletonFactories = {
        factory<VelApplicationsTableView>("VelApplicationsTableView"),
        factory<VelContextButton>("VelContextButton"),
        factory<VelFakeTableHeaderView>("VelFakeTableHeaderView"),
        factory<VelGradientView>("VelGradientView"),
        factory<VelLightGradientView>("VelLightGradientView"),
        factory<VelLinkTextField>("VelLinkTextField"),
        factory<VelMainWindow>("VelMainWindow"),
        factory<VelMainWindowFooterView>("VelMainWindowFooterView"),
        factory<VelServicesOutlineView>("VelServicesOutlineView"),
        factory<VelServicesTableView>("VelServicesTableView"),
        factory<VelShadowedTextField>("VelShadowedTextField"),
        factory<VelSolomonButton>("VelSolomonButton"),
        factory<VelSplitView>("VelSplitView"),
    };
    return singletonFactories;
}

} // namespace

QStringList VelUiLoader::customWidgetClasses()
{
    return factories().keys();
}

QWidget *VelUiLoader::createWidget(const QString &className, QWidget *parent, const QString &name)
{
    const auto found = factories().constFind(className);
    if (found == factories().constEnd())
        return QUiLoader::createWidget(className, parent, name);
    QWidget *widget = found.value()(parent);
    widget->setObjectName(name);
    return widget;
}

QWidget *VelUiLoader::loadAndAwake(QIODevice *device, QWidget *parent)
{
    QWidget *root = load(device, parent);
    if (!root)
        return nullptr;
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : widgets) {
        if (auto *sleeper = dynamic_cast<VelAwakeFromNib *>(widget))
            sleeper->awakeFromNib();
    }
    return root;
}
