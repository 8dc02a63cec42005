#pragma once

// The real main window on a small sample volume, for the window tests. The
// controller is one per process, so every test program shares it and each
// test reloads it on a volume of its own.

#include "VelTestVolume.h"

#include <controller/VelProvidersTableModel.h>
#include <controller/VelServicesOutlineModel.h>
#include <controller/VelServicesTableModel.h>
#include <controller/VelTidyController.h>
#include <model/VelServiceEntry.h>

#include <QAbstractItemModelTester>
#include <QTest>

namespace WindowTest {

// Alpha and Beta share the "Text" submenu (Alpha nests "Case" in it), Beta has
// "Mail"; Delta lives on another volume; Gamma offers only an untitled service.
// Six titled services in all.
struct SampleVolume {
    VelTest::Volume volume;
    QString alpha;
    QString beta;
    QString gamma;
    QString delta;

    SampleVolume()
    {
        using VelTest::entry;
        alpha = volume.addProvider(QStringLiteral("/Applications/Alpha.app"),
            {VelTest::entryWithKey(QStringLiteral("Text/Count Words"), QStringLiteral("w")),
                entry(QStringLiteral("Send Alpha")), entry(QStringLiteral("Text/Case/Upper"))});
        beta = volume.addProvider(QStringLiteral("/Applications/Beta.app"),
            {entry(QStringLiteral("Text/Reverse")), entry(QStringLiteral("Mail/Send File"))});
        gamma = volume.addProvider(QStringLiteral("/Library/Services/Gamma.service"), {entry(QString())});
        delta = volume.addProvider(
            QStringLiteral("/Volumes/Backup/Applications/Delta.app"), {entry(QStringLiteral("Delta Service"))});
    }
};

inline VelTidyController *window()
{
    VelTidyController *controller = VelTidyController::init();
    if (!controller->mainWindow() && !controller->loadMainInterface())
        return nullptr;
    return controller;
}

// Every model of the window is watched for the whole program.
inline void attachModelTesters(VelTidyController *controller, QObject *owner)
{
    const QList<QAbstractItemModel *> models
        = {controller->providersModel(), controller->servicesModel(), controller->outlineModel()};
    for (QAbstractItemModel *model : models)
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, owner);
}

inline int rowOfProvider(VelTidyController *controller, const QString &name)
{
    for (size_t i = 0; i < controller->applications().size(); ++i) {
        if (controller->applications()[i]->name() == name)
            return int(i) + 1;
    }
    return -1;
}

inline VelProviderPtr provider(VelTidyController *controller, const QString &name)
{
    const int row = rowOfProvider(controller, name);
    return row > 0 ? controller->applications()[size_t(row - 1)] : nullptr;
}

// Selects a providers row as a click would; a negative row clears the selection.
inline void selectProvidersRow(VelTidyController *controller, int row)
{
    if (row < 0)
        controller->applicationsTableView()->clearSelection();
    else
        controller->applicationsTableView()->selectRow(row);
}

inline void selectProvider(VelTidyController *controller, const QString &name)
{
    selectProvidersRow(controller, name.isEmpty() ? 0 : rowOfProvider(controller, name));
}

// The top-level outline row whose title begins with the text.
inline QModelIndex outlineRow(VelTidyController *controller, const QString &title)
{
    const QAbstractItemModel *model = controller->outlineModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (index.data().toString().startsWith(title))
            return index;
    }
    return {};
}

// Presses the space bar on the cell, as a user toggles a check box from the keyboard.
inline void pressSpaceOn(QAbstractItemView *view, const QModelIndex &index)
{
    view->setFocus();
    view->setCurrentIndex(index);
    QTest::keyClick(view, Qt::Key_Space);
}

inline int enabledServiceCount(const VelProviderPtr &provider)
{
    int enabled = 0;
    for (const plist::Value &value : *provider->services())
        enabled += isServiceEnabled(value.toDictionary()) ? 1 : 0;
    return enabled;
}

} // namespace WindowTest
