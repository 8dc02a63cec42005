#pragma once

// The application's one controller: start-up and quitting, the status line,
// the Save button and the progress indicator, the answers behind the three
// lists of the main window, and the commands of menus and buttons. The
// catalogue is the model; the item models in this folder turn the
// controller's answers into what Qt's views ask for, and the controller tells
// them when to announce a change. Widgets reach it through controller().

#include "VelWorkerRun.h"

#include <model/VelChangeList.h>
#include <model/VelServiceCatalogue.h>
#include <ui/VelInspectorWindow.h>

#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>

class QMenu;
class VelEventPump;
class VelProvidersTableModel;
class VelServicesOutlineModel;
class VelServicesTableModel;
class VelWorkerRunner;

// Which of the two tables asks.
enum class VelTableKind { Providers, Services };

// The answers to a termination request, with the platform's values.
enum class VelTerminateReply { Cancel = 0, Now = 1, Later = 2 };

// Return codes of an alert sheet's buttons.
enum VelAlertReturn { VelAlertDefaultReturn = 1, VelAlertAlternateReturn = 0, VelAlertOtherReturn = -1 };

// Column identifiers: the key equivalent column is "key"; every other
// identifier means the service column.
inline const QString VelKeyColumn = QStringLiteral("key");
inline const QString VelServiceColumn = QStringLiteral("service");

// How a row of the providers table is drawn.
struct VelProviderCell {
    QImage image;
    VelProviderPtr revertTarget; // none unless the provider can revert
    bool dirty = false;
    QColor textColor;
    QFont font;
};

// How a service cell (services table or outline) is drawn: what the controller
// gives the cell before it draws.
struct VelServiceCellSettings {
    QString title;
    plist::DictionaryPtr inspectorTarget; // none unless the service is editable
    bool enabled = false;
};

class VelTidyController : public QObject {
    Q_OBJECT

public:
    // The single instance; none before init() created it.
    [[nodiscard]] static VelTidyController *controller();
    // The single instance, created on the first call.
    static VelTidyController *init();
    ~VelTidyController() override;

    // Loads the main window's interface file and connects the fields to the
    // widgets named like them. Answers false when the file is missing or
    // lacks one of the widgets.
    bool loadMainInterface();
    // Closes and deletes the main window and the sheets; the fields go empty.
    void releaseInterface();

    // The model.
    [[nodiscard]] const std::vector<VelProviderPtr> &applications() const;
    [[nodiscard]] const plist::ArrayPtr &services() const;
    [[nodiscard]] VelServiceCatalogue &catalogue() const { return m_catalogue; }
    [[nodiscard]] QString versionString() const;

    // Start-up.
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    // Start-up's step 8: whoever checks for updates installs the check here;
    // it is called with "automatic request" true when the user asked for a
    // check at every start.
    void setAutomaticUpdateCheck(std::function<void()> check) { m_automaticUpdateCheck = std::move(check); }
    // Shows the update checker's switch, status and commands in a sheet.
    void connectUpdateChecker(QWidget *sheet);

    // Window state.
    [[nodiscard]] VelProviderPtr selectedApplication() const;
    void updateStatusTextField();
    void updateSaveButtonStatus();
    void showProgressIndicator(bool show, double delaySeconds);
    void delayedHideProgressIndicator();

    // Quitting.
    bool windowShouldClose(QWidget *window);
    VelTerminateReply applicationShouldTerminate();
    void sheetDidEndShouldSave(int returnCode);
    void replyToApplicationShouldTerminate(bool shouldTerminate);

    // The providers table and the services table.
    [[nodiscard]] int numberOfRowsInTableView(VelTableKind table) const;
    [[nodiscard]] QVariant tableViewObjectValue(VelTableKind table, const QString &column, int row) const;
    void tableViewSetObjectValue(VelTableKind table, const QVariant &value, const QString &column, int row);
    bool tableViewShouldEditTableColumn(VelTableKind table, const QString &column, int row);
    [[nodiscard]] int tableViewHeightOfRow(VelTableKind table, int row, int rowHeight) const;
    [[nodiscard]] VelProviderCell providerCellForRow(int row) const;
    [[nodiscard]] VelServiceCellSettings serviceCellForRow(int row) const;
    void tableViewSelectionDidChange(VelTableKind table);
    void replaceTableView(QAbstractItemView *viewToRemove, QAbstractItemView *viewToShow);

    // The services outline; an item is a tree item, none for the root.
    [[nodiscard]] int outlineViewNumberOfChildrenOfItem(const plist::DictionaryPtr &item) const;
    [[nodiscard]] plist::DictionaryPtr outlineViewChildOfItem(int index, const plist::DictionaryPtr &item) const;
    [[nodiscard]] bool outlineViewIsItemExpandable(const plist::DictionaryPtr &item) const;
    [[nodiscard]] QVariant outlineViewObjectValue(const QString &column, const plist::DictionaryPtr &item) const;
    void outlineViewSetObjectValue(const QVariant &value, const QString &column, const plist::DictionaryPtr &item);
    bool outlineViewShouldEditTableColumn(const QString &column, const plist::DictionaryPtr &item);
    [[nodiscard]] VelServiceCellSettings outlineCellForItem(const plist::DictionaryPtr &item) const;

    // The inspector sheet. A service without a title, or one no provider
    // owns (when none is given), opens nothing.
    void showInspectorForService(const plist::DictionaryPtr &service, const VelProviderPtr &provider);
    // The same for the service at a row of the services table or the
    // outline, the provider found from the entry: what the key column's
    // double click and a service cell's inspector button call.
    void showInspectorForEntry(const QModelIndex &index);
    [[nodiscard]] bool populateInspectorWithMenuPath(
        const std::optional<QString> &menuPath, const std::optional<QString> &keyEquivalent);

    // Saving. A save runs while the event loop does: until saveFinished,
    // commands that would change the catalogue are ignored and a request
    // to quit is answered when the save is over.
    [[nodiscard]] bool isSaving() const { return m_saving; }
    // Where saves find the worker and the home folder; none (the default)
    // means the application bundle's TidyWorker and the user's home as they
    // are when the save starts.
    void setWorkerRunPlaces(const std::optional<VelWorkerRunPlaces> &places);

    // The context menu of the services pane: built anew for each request and
    // owned by the caller.
    [[nodiscard]] QMenu *contextMenuForView(QWidget *view);

    // Widgets, for the item models and for tests.
    [[nodiscard]] QWidget *mainWindow() const { return m_mainWindow; }
    [[nodiscard]] QTableView *applicationsTableView() const { return m_applicationsTableView; }
    [[nodiscard]] QTableView *servicesTableView() const { return m_servicesTableView; }
    [[nodiscard]] QTreeView *servicesOutlineView() const { return m_servicesOutlineView; }
    [[nodiscard]] QPushButton *saveButton() const { return m_saveButton; }
    [[nodiscard]] QPushButton *reloadButton() const { return m_reloadButton; }
    [[nodiscard]] QProgressBar *progressIndicator() const { return m_progressIndicator; }
    [[nodiscard]] QLabel *statusTextField() const { return m_statusTextField; }
    [[nodiscard]] QDialog *aboutSheet() const { return m_aboutSheet; }
    [[nodiscard]] QLabel *aboutTextField() const { return m_aboutTextField; }
    [[nodiscard]] QDialog *preferencesSheet() const { return m_preferencesSheet; }
    [[nodiscard]] QCheckBox *restrictSourceSwitch() const { return m_restrictSourceSwitch; }
    [[nodiscard]] QCheckBox *showSourceSwitch() const { return m_showSourceSwitch; }
    [[nodiscard]] QMessageBox *saveChangesSheet() const { return m_saveChangesSheet; }
    [[nodiscard]] VelInspectorWindow *inspectorSheet() const { return m_inspectorSheet; }
    [[nodiscard]] QLabel *inspectorApplicationTextField() const { return m_inspectorApplicationTextField; }
    [[nodiscard]] QLineEdit *serviceMenuItemTextField() const { return m_serviceMenuItemTextField; }
    [[nodiscard]] QLineEdit *serviceSubmenuTextField() const { return m_serviceSubmenuTextField; }
    [[nodiscard]] QLineEdit *serviceKeyEquivalentTextField() const { return m_serviceKeyEquivalentTextField; }
    [[nodiscard]] const plist::DictionaryPtr &currentInspectorService() const { return m_currentInspectorService; }
    [[nodiscard]] VelProvidersTableModel *providersModel() const { return m_providersModel.get(); }
    [[nodiscard]] VelServicesTableModel *servicesModel() const { return m_servicesModel.get(); }
    [[nodiscard]] VelServicesOutlineModel *outlineModel() const { return m_outlineModel.get(); }

    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    // Commands of menus and buttons; the sender is never looked at.
    void reload();
    void save();
    void about();
    void aboutOK();
    void preferences();
    void preferencesOK();
    void goHome();
    void donate();
    void doNothing();
    void expandAllServices();
    void collapseAllServices();
    void enableSelectedApplicationServices();
    void disableSelectedApplicationServices();
    void revertSelectedApplication();
    // The inspector sheet's buttons.
    void revertInspectorService();
    void inspectorCancel();
    void inspectorOK();
    // The application's terminate: asks applicationShouldTerminate() first.
    void terminate();

public:
    void setServiceFoldersExpanded(bool expanded);
    void setSelectedServicesEnabled(bool enabled);
    void revertApplication(const VelProviderPtr &provider);

signals:
    // The application is about to quit: termination was answered yes.
    void applicationWillTerminate();
    // A save ended, whatever its outcome, with the window up to date.
    void saveFinished();

private:
    VelTidyController();

    void setUpViews();
    void connectCommands();
    [[nodiscard]] bool isViewInWindow(const QWidget *view) const;
    [[nodiscard]] std::vector<VelProviderPtr> targetProviders() const;
    void reloadServicesViews();
    void rebuildTreeAndRefresh();
    void centerMainWindow();
    void showSheet(QDialog *sheet);
    void runDiscoveryKeepingWindowAlive(VelEventPump &pump);
    bool loadInspectorSheet();
    [[nodiscard]] VelChangeList collectChangesKeepingWindowAlive(
        VelEventPump &pump, std::vector<VelProviderPtr> &savedProviders) const;
    void showLatestConfirmedEntry();
    void workerRunFinished(qint64 result);
    void endSuccessfulSave();
    void endFailedSave();
    void endSave(bool reloadCatalogue);

    VelServiceCatalogue &m_catalogue;

    QPointer<QWidget> m_mainWindow;
    QPointer<QTableView> m_applicationsTableView;
    QPointer<QTableView> m_servicesTableView;
    QPointer<QTreeView> m_servicesOutlineView;
    QPointer<QPushButton> m_reloadButton;
    QPointer<QPushButton> m_saveButton;
    QPointer<QProgressBar> m_progressIndicator;
    QPointer<QLabel> m_statusTextField;
    QPointer<QDialog> m_aboutSheet;
    QPointer<QLabel> m_aboutTextField;
    QPointer<QDialog> m_preferencesSheet;
    QPointer<QCheckBox> m_restrictSourceSwitch;
    QPointer<QCheckBox> m_showSourceSwitch;
    QPointer<QMessageBox> m_saveChangesSheet;
    QPointer<VelInspectorWindow> m_inspectorSheet;
    QPointer<QLabel> m_inspectorApplicationTextField;
    QPointer<QLineEdit> m_serviceMenuItemTextField;
    QPointer<QLineEdit> m_serviceSubmenuTextField;
    QPointer<QLineEdit> m_serviceKeyEquivalentTextField;
    QPointer<QPushButton> m_inspectorRevertButton;
    VelProviderPtr m_currentInspectorApplication;
    plist::DictionaryPtr m_currentInspectorService;

    std::unique_ptr<VelProvidersTableModel> m_providersModel;
    std::unique_ptr<VelServicesTableModel> m_servicesModel;
    std::unique_ptr<VelServicesOutlineModel> m_outlineModel;

    std::unique_ptr<VelWorkerRunner> m_workerRunner;
    std::optional<VelWorkerRunPlaces> m_workerRunPlaces;
    // The providers of the running save, in the order of its entries.
    std::vector<VelProviderPtr> m_saveProviders;
    // The last entry the worker confirmed, until the window shows it.
    std::optional<std::pair<qsizetype, QString>> m_confirmedEntryToShow;
    QTimer m_showConfirmedEntryTimer;
    bool m_saveProviderVanished = false;
    bool m_saving = false;
    bool m_quitWhenSaveEnds = false;
    bool m_terminateWhenSaveEnds = false;

    QTimer m_hideProgressTimer;
    std::function<void()> m_automaticUpdateCheck;
    bool m_reloading = false;
    bool m_terminationPending = false;
};
