#include "VelTidyController.h"

#include "VelProvidersTableModel.h"
#include "VelServicesOutlineModel.h"
#include "VelServicesTableModel.h"
#include "VelWorkerRunner.h"

#include <ui/VelInterfaceFile.h>
#include <ui/VelLinkLabel.h>

#include <bundles/VelBundle.h>
#include <defaults/VelUserDefaults.h>
#include <log/VelLog.h>
#include <util/VelImportUserDefaults.h>
#include <util/VelPathUtilities.h>
#include <workspace/VelWorkspace.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTreeView>

namespace {

VelTidyController *singletonController = nullptr;

const QString kVersionKey = QStringLiteral("Version");

// Finds the widget the interface file names like the field; logs the name of
// a missing one, since the window cannot work without it.
template <typename Widget> bool connectField(QWidget *root, const char *name, QPointer<Widget> &field)
{
    field = root->objectName() == QLatin1StringView(name) ? qobject_cast<Widget *>(root)
                                                          : root->findChild<Widget *>(QLatin1StringView(name));
    if (!field)
        VelLog(QStringLiteral("interface file lacks %1").arg(QLatin1StringView(name)));
    return field != nullptr;
}

} // namespace

VelTidyController *VelTidyController::controller()
{
    return singletonController;
}

VelTidyController *VelTidyController::init()
{
    // Any further construction yields the same controller.
    if (!singletonController)
        singletonController = new VelTidyController();
    return singletonController;
}

VelTidyController::VelTidyController()
    : m_catalogue(VelServiceCatalogue::shared())
    , m_providersModel(std::make_unique<VelProvidersTableModel>(*this))
    , m_servicesModel(std::make_unique<VelServicesTableModel>(*this))
    , m_outlineModel(std::make_unique<VelServicesOutlineModel>(*this))
    , m_workerRunner(std::make_unique<VelWorkerRunner>())
{
    connect(m_workerRunner.get(), &VelWorkerRunner::finished, this, &VelTidyController::workerRunFinished);
    m_hideProgressTimer.setSingleShot(true);
    connect(&m_hideProgressTimer, &QTimer::timeout, this, &VelTidyController::delayedHideProgressIndicator);
    m_showConfirmedEntryTimer.setSingleShot(true);
    m_showConfirmedEntryTimer.setInterval(0);
    connect(&m_showConfirmedEntryTimer, &QTimer::timeout, this, &VelTidyController::showLatestConfirmedEntry);
}

VelTidyController::~VelTidyController() = default;

const std::vector<VelProviderPtr> &VelTidyController::applications() const
{
    return m_catalogue.applications();
}

const plist::ArrayPtr &VelTidyController::services() const
{
    return m_catalogue.services();
}

QString VelTidyController::versionString() const
{
    return VelBundle::mainBundle().objectForInfoDictionaryKey(QStringLiteral("CFBundleShortVersionString")).toString();
}

bool VelTidyController::loadMainInterface()
{
    if (m_mainWindow)
        return true;
    QWidget *window = VelLoadInterfaceFile(QStringLiteral("MainWindow"), nullptr);
    if (!window)
        return false;
    bool complete = connectField(window, "mainWindow", m_mainWindow);
    complete &= connectField(window, "applicationsTableView", m_applicationsTableView);
    complete &= connectField(window, "servicesTableView", m_servicesTableView);
    complete &= connectField(window, "servicesOutlineView", m_servicesOutlineView);
    complete &= connectField(window, "reloadButton", m_reloadButton);
    complete &= connectField(window, "saveButton", m_saveButton);
    complete &= connectField(window, "progressIndicator", m_progressIndicator);
    complete &= connectField(window, "statusTextField", m_statusTextField);
    if (!complete) {
        delete window;
        return false;
    }
    setUpViews();
    connectCommands();
    return true;
}

void VelTidyController::releaseInterface()
{
    if (m_saveChangesSheet)
        delete m_saveChangesSheet.data();
    delete m_mainWindow.data();
    m_terminationPending = false;
}

void VelTidyController::setUpViews()
{
    m_mainWindow->installEventFilter(this);
    // The views bring their own cells.
    m_applicationsTableView->setModel(m_providersModel.get());
    m_servicesTableView->setModel(m_servicesModel.get());
    m_servicesOutlineView->setModel(m_outlineModel.get());

    for (QTableView *table : {m_applicationsTableView.data(), m_servicesTableView.data()}) {
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        // Rows keep the table's height, so a view never measures rows it does
        // not show (and never reads their icons).
        table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table->verticalHeader()->hide();
    }
    // The service column takes the width the key column leaves (the outline
    // fits its first column itself).
    for (QHeaderView *header : {m_servicesTableView->horizontalHeader(), m_servicesOutlineView->header()}) {
        header->setStretchLastSection(false);
        if (header == m_servicesTableView->horizontalHeader())
            header->setSectionResizeMode(0, QHeaderView::Stretch);
        header->setSectionResizeMode(1, QHeaderView::Interactive);
        header->resizeSection(1, 130);
    }
    if (QWidget *fakeHeader = m_mainWindow->findChild<QWidget *>(QStringLiteral("fakeHeaderView")))
        fakeHeader->setFixedHeight(m_servicesOutlineView->header()->sizeHint().height());
    m_servicesOutlineView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_servicesOutlineView->setUniformRowHeights(true);
    m_servicesOutlineView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_servicesTableView->setContextMenuPolicy(Qt::CustomContextMenu);
    m_servicesOutlineView->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(m_providersModel.get(), &QAbstractItemModel::modelReset, this, [this] {
        const int height = tableViewHeightOfRow(
            VelTableKind::Providers, 0, m_applicationsTableView->verticalHeader()->defaultSectionSize());
        if (m_providersModel->rowCount() > 0)
            m_applicationsTableView->verticalHeader()->resizeSection(0, height);
    });
    connect(m_applicationsTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this] { tableViewSelectionDidChange(VelTableKind::Providers); });
    VelConnectLinkToFileManager(m_statusTextField);

    QSizePolicy keepSpace = m_progressIndicator->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    m_progressIndicator->setSizePolicy(keepSpace);
    m_progressIndicator->hide();
    m_saveButton->setEnabled(false);
    m_servicesTableView->hide();
    m_providersModel->reloadData();
}

// Start-up.

void VelTidyController::applicationWillFinishLaunching()
{
    VelImportUserDefaults(QStringLiteral("Quillfen.Velmora"));
}

void VelTidyController::applicationDidFinishLaunching()
{
    VelUserDefaults &defaults = VelUserDefaults::standardUserDefaults();
    const QString currentVersion = versionString();
    const QString storedVersion = defaults.stringForKey(kVersionKey);
    const bool firstRun = storedVersion.isEmpty();
    if (firstRun)
        centerMainWindow();
    if (firstRun || storedVersion != currentVersion)
        defaults.setObject(plist::Value(currentVersion), kVersionKey);
    // The indicator has no thread of its own to animate it: it moves when the
    // scan lets the event loop run. The last column of each table fills the
    // view (set up with the views), and folders are indented by 19 points.
    m_servicesOutlineView->setIndentation(19);
    if (m_automaticUpdateCheck)
        m_automaticUpdateCheck();
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
    VelWorkspace::findApplications();
    NSUpdateDynamicServices();
    reload();
    if (firstRun)
        about();
}

void VelTidyController::centerMainWindow()
{
    const QScreen *screen = m_mainWindow->screen() ? m_mainWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = m_mainWindow->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    m_mainWindow->move(frame.topLeft());
}

// Window state.

VelProviderPtr VelTidyController::selectedApplication() const
{
    if (!m_applicationsTableView)
        return nullptr;
    const QModelIndexList rows = m_applicationsTableView->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.first().row();
    if (row <= 0 || size_t(row - 1) >= applications().size())
        return nullptr;
    return applications()[size_t(row - 1)];
}

void VelTidyController::updateStatusTextField()
{
    if (const VelProviderPtr provider = selectedApplication()) {
        VelSetStringValueLink(m_statusTextField, readablePathRepresentation(provider->path()), provider->path());
        return;
    }
    VelSetStringValue(m_statusTextField, m_catalogue.servicesStatusText());
}

void VelTidyController::updateSaveButtonStatus()
{
    bool dirty = false;
    for (const VelProviderPtr &provider : applications()) {
        if (provider->isDirty()) {
            dirty = true;
            break;
        }
    }
    m_saveButton->setEnabled(dirty);
    m_mainWindow->setWindowModified(dirty);
}

void VelTidyController::showProgressIndicator(bool show, double delaySeconds)
{
    m_hideProgressTimer.stop();
    if (show)
        m_progressIndicator->show();
    else
        m_hideProgressTimer.start(std::max(0, int(delaySeconds * 1000.0)));
}

void VelTidyController::delayedHideProgressIndicator()
{
    m_progressIndicator->hide();
}

bool VelTidyController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_mainWindow && event->type() == QEvent::Close) {
        if (!windowShouldClose(m_mainWindow)) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
