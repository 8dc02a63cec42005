// Quitting: closing the main window quits, and unsaved changes are offered
// for saving in a sheet first. Also the wiring of the window's menus and
// buttons to the commands.

#include "VelTidyController.h"

#include "VelServicesOutlineModel.h"

#include <bundles/VelBundle.h>
#include <ui/VelApplicationsTableView.h>
#include <ui/VelContextButton.h>
#include <ui/VelServicesOutlineView.h>
#include <ui/VelServicesTableView.h>

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>

bool VelTidyController::windowShouldClose(QWidget *window)
{
    if (window && window == m_mainWindow) {
        // The window never closes by itself: quitting decides.
        terminate();
        return false;
    }
    return true;
}

void VelTidyController::terminate()
{
    if (applicationShouldTerminate() == VelTerminateReply::Now)
        replyToApplicationShouldTerminate(true);
}

VelTerminateReply VelTidyController::applicationShouldTerminate()
{
    // The question waits for the save: its outcome decides whether there
    // is anything left to ask about.
    if (m_saving) {
        m_terminateWhenSaveEnds = true;
        return VelTerminateReply::Later;
    }
    if (!m_saveButton || !m_saveButton->isEnabled())
        return VelTerminateReply::Now;
    if (m_terminationPending)
        return VelTerminateReply::Later;
    m_terminationPending = true;

    auto *sheet = new QMessageBox(m_mainWindow);
    sheet->setObjectName(QStringLiteral("saveChangesSheet"));
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setIcon(QMessageBox::Warning);
    sheet->setText(
        VelLocalizedString(QStringLiteral("Do you want to save the changes you have applied before leaving?")));
    sheet->setInformativeText(VelLocalizedString(QStringLiteral("If you don't save, your changes will be lost.")));
    QPushButton *saveButton = sheet->addButton(VelLocalizedString(QStringLiteral("Save")), QMessageBox::AcceptRole);
    QPushButton *dontSaveButton
        = sheet->addButton(VelLocalizedString(QStringLiteral("Don't Save")), QMessageBox::DestructiveRole);
    QPushButton *cancelButton = sheet->addButton(VelLocalizedString(QStringLiteral("Cancel")), QMessageBox::RejectRole);
    saveButton->setObjectName(QStringLiteral("saveChangesSaveButton"));
    dontSaveButton->setObjectName(QStringLiteral("saveChangesDontSaveButton"));
    cancelButton->setObjectName(QStringLiteral("saveChangesCancelButton"));
    sheet->setDefaultButton(saveButton);
    sheet->setEscapeButton(cancelButton);
    connect(sheet, &QMessageBox::finished, this, [this, sheet, saveButton, dontSaveButton] {
        const QAbstractButton *clicked = sheet->clickedButton();
        const int code = clicked == saveButton ? VelAlertDefaultReturn
            : clicked == dontSaveButton        ? VelAlertAlternateReturn
                                               : VelAlertOtherReturn;
        sheetDidEndShouldSave(code);
    });
    m_saveChangesSheet = sheet;
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
    return VelTerminateReply::Later;
}

void VelTidyController::sheetDidEndShouldSave(int returnCode)
{
    if (returnCode == VelAlertOtherReturn) {
        replyToApplicationShouldTerminate(false);
        return;
    }
    // Saving's own failures do not keep the application running.
    if (returnCode == VelAlertDefaultReturn) {
        save();
        if (m_saving) {
            m_quitWhenSaveEnds = true;
            return;
        }
    }
    replyToApplicationShouldTerminate(true);
}

void VelTidyController::replyToApplicationShouldTerminate(bool shouldTerminate)
{
    m_terminationPending = false;
    if (!shouldTerminate)
        return;
    emit applicationWillTerminate();
    QCoreApplication::quit();
}

void VelTidyController::connectCommands()
{
    const std::pair<const char *, void (VelTidyController::*)()> actions[] = {
        {"actionAbout", &VelTidyController::about},
        {"actionPreferences", &VelTidyController::preferences},
        {"actionQuit", &VelTidyController::terminate},
        {"actionReload", &VelTidyController::reload},
        {"actionEnableAll", &VelTidyController::enableSelectedApplicationServices},
        {"actionDisableAll", &VelTidyController::disableSelectedApplicationServices},
        {"actionRevertAll", &VelTidyController::revertSelectedApplication},
        {"actionExpandAll", &VelTidyController::expandAllServices},
        {"actionCollapseAll", &VelTidyController::collapseAllServices},
        {"actionHomePage", &VelTidyController::goHome},
        {"actionDonate", &VelTidyController::donate},
    };
    for (const auto &[name, command] : actions) {
        if (QAction *action = m_mainWindow->findChild<QAction *>(QLatin1StringView(name)))
            connect(action, &QAction::triggered, this, command);
    }
    connect(m_reloadButton, &QPushButton::clicked, this, &VelTidyController::reload);
    connect(m_saveButton, &QPushButton::clicked, this, &VelTidyController::save);

    const auto popUpMenu = [this](QWidget *view, const QPoint &globalPosition) {
        QMenu *menu = contextMenuForView(view);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(globalPosition);
    };
    connect(m_servicesTableView, &QWidget::customContextMenuRequested, this, [this, popUpMenu](const QPoint &at) {
        popUpMenu(m_servicesTableView, m_servicesTableView->viewport()->mapToGlobal(at));
    });
    connect(m_servicesOutlineView, &QWidget::customContextMenuRequested, this, [this, popUpMenu](const QPoint &at) {
        popUpMenu(m_servicesOutlineView, m_servicesOutlineView->viewport()->mapToGlobal(at));
    });
    if (auto *button = m_mainWindow->findChild<QToolButton *>(QStringLiteral("contextButton"))) {
        connect(button, &QToolButton::clicked, this,
            [button, popUpMenu] { popUpMenu(button, button->mapToGlobal(QPoint(0, button->height()))); });
        if (auto *contextButton = qobject_cast<VelContextButton *>(button))
            contextButton->setMenuSource([this](QWidget *asking) { return contextMenuForView(asking); });
    }
    // The revert button of a provider row and the inspector button of a
    // service cell.
    if (auto *providers = qobject_cast<VelApplicationsTableView *>(m_applicationsTableView)) {
        connect(providers, &VelApplicationsTableView::revertRequested, this, [this](const QModelIndex &index) {
            if (index.row() >= 1 && size_t(index.row() - 1) < applications().size())
                revertApplication(applications()[size_t(index.row() - 1)]);
        });
    }
    if (auto *table = qobject_cast<VelServicesTableView *>(m_servicesTableView))
        connect(table, &VelServicesTableView::inspectorRequested, this, &VelTidyController::showInspectorForEntry);
    if (auto *outline = qobject_cast<VelServicesOutlineView *>(m_servicesOutlineView))
        connect(outline, &VelServicesOutlineView::inspectorRequested, this, &VelTidyController::showInspectorForEntry);

    // A double click on a key equivalent opens the inspector; nothing is
    // edited in place.
    const QList<QAbstractItemView *> servicesViews {m_servicesTableView, m_servicesOutlineView};
    for (QAbstractItemView *view : servicesViews) {
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
            if (index.column() == 1)
                showInspectorForEntry(index);
        });
    }
}
