// Saving from the window: the change list goes to the worker, whose output is
// followed through the event loop; the window keeps painting, the progress
// bar moves per confirmed file, and the end of the run decides between
// refreshing the model in place, reloading it, or leaving it dirty.

#include "VelTidyController.h"

#include "VelEventPump.h"
#include "VelProvidersTableModel.h"
#include "VelServicesOutlineModel.h"
#include "VelServicesTableModel.h"
#include "VelWorkerRunner.h"

#include <model/VelChangeList.h>
#include <ui/VelLinkLabel.h>

#include <gui/VelBeep.h>
#include <plist/PlistValue.h>
#include <util/VelPathUtilities.h>
#include <workspace/VelWorkspace.h>

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>

#include <vector>

namespace {

// Keeps views from painting while it lives.
class ViewUpdatesSuspended {
public:
    explicit ViewUpdatesSuspended(std::initializer_list<QWidget *> views)
    {
        for (QWidget *view : views) {
            view->setUpdatesEnabled(false);
            m_views.emplace_back(view);
        }
    }
    ~ViewUpdatesSuspended()
    {
        for (const QPointer<QWidget> &view : m_views) {
            if (view)
                view->setUpdatesEnabled(true);
        }
    }
    ViewUpdatesSuspended(const ViewUpdatesSuspended &) = delete;
    ViewUpdatesSuspended &operator=(const ViewUpdatesSuspended &) = delete;

private:
    std::vector<QPointer<QWidget>> m_views;
};

} // namespace

void VelTidyController::setWorkerRunPlaces(const std::optional<VelWorkerRunPlaces> &places)
{
    m_workerRunPlaces = places;
}

void VelTidyController::save()
{
    if (m_saving || m_reloading)
        return;
    m_saving = true;
    VelEventPump pump;
    const VelChangeList changes = collectChangesKeepingWindowAlive(pump);
    m_saveEntries = changes.size();
    m_saveProviderVanished = changes.providerVanished;
    m_reloadButton->setEnabled(false);
    m_reloadButton->repaint();
    if (m_saveEntries == 0) {
        VelBeep();
        VelBeep();
        endFailedSave();
        return;
    }

    VelWorkerRunObserver observer;
    observer.progressShown = [this](qsizetype maximum) {
        showProgressIndicator(true, 0.0);
        m_progressIndicator->setRange(0, int(maximum));
        m_progressIndicator->setValue(0);
    };
    // Characters may come many at a time; each still moves the bar and names
    // its file, and the event loop paints the latest state between reads.
    observer.entryConfirmed = [this](qsizetype confirmed, const QString &infoPath) {
        VelSetStringValue(m_statusTextField, readablePathRepresentation(infoPath));
        m_progressIndicator->setValue(int(confirmed));
    };
    observer.progressHidden = [this](double delaySeconds) { showProgressIndicator(false, delaySeconds); };
    m_workerRunner->start(
        changes.entries, observer, m_workerRunPlaces ? *m_workerRunPlaces : VelWorkerRunPlaces::standard());
}

// The list is written on another thread, so it holds copies: nothing in it
// is shared with the catalogue, which the window keeps reading.
VelChangeList VelTidyController::collectChangesKeepingWindowAlive(VelEventPump &pump) const
{
    VelChangeList changes;
    for (const VelProviderPtr &provider : applications()) {
        const VelChangeList own = VelCollectChanges({provider});
        changes.providerVanished = changes.providerVanished || own.providerVanished;
        for (const plist::Value &entry : *own.entries)
            changes.entries->append(plist::deepCopy(entry));
        pump.pumpIfDue();
    }
    return changes;
}

void VelTidyController::workerRunFinished(qint64 result)
{
    if (result < 0)
        VelBeep();
    if (result == m_saveEntries) {
        endSuccessfulSave();
        return;
    }
    VelBeep();
    endFailedSave();
}

void VelTidyController::endSuccessfulSave()
{
    // Re-reading hundreds of Info.plist files and rebuilding the tree lets
    // the window paint now and then; user input waits until they are done.
    // The services views do not paint meanwhile: their rows still hold the
    // entries the providers just dropped, which no provider owns any more.
    VelEventPump pump;
    const ViewUpdatesSuspended suspended({m_servicesTableView, m_servicesOutlineView});
    for (const VelProviderPtr &provider : applications()) {
        provider->invalidate();
        pump.pumpIfDue();
    }
    if (m_saveProviderVanished) {
        endSave(true);
        return;
    }
    m_catalogue.rebuildServiceMenuRepresentation([&pump] { pump.pumpIfDue(); });
    m_providersModel->setNeedsDisplay();
    // Every folder of the rebuilt tree is new, so no folder stays open and
    // the old rows need not be asked whether they were.
    m_servicesModel->reloadData();
    m_outlineModel->reloadData();
    m_saveButton->setEnabled(false);
    m_mainWindow->setWindowModified(false);
    NSUpdateDynamicServices();
    updateStatusTextField();
    m_reloadButton->setEnabled(true);
    endSave(false);
}

void VelTidyController::endFailedSave()
{
    if (m_saveProviderVanished) {
        endSave(true);
        return;
    }
    updateStatusTextField();
    m_reloadButton->setEnabled(true);
    endSave(false);
}

// A provider vanished: the whole catalogue is read again, which also
// re-enables Reload and clears the Save button and the edited mark.
void VelTidyController::endSave(bool reloadCatalogue)
{
    m_saving = false;
    if (reloadCatalogue)
        reload();
    emit saveFinished();
    if (std::exchange(m_quitWhenSaveEnds, false))
        replyToApplicationShouldTerminate(true);
    else if (std::exchange(m_terminateWhenSaveEnds, false))
        terminate();
}
