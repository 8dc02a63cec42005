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
    m_saveProviders.clear();
    const VelChangeList changes = collectChangesKeepingWindowAlive(pump, m_saveProviders);
    m_saveProviderVanished = changes.providerVanished;
    m_reloadButton->setEnabled(false);
    m_reloadButton->repaint();
    if (m_saveProviders.empty()) {
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
    // A confirmed file is read again now rather than all of them at the end,
    // which would keep the window from painting for that long. Characters
    // may come many at a time, and only the last of them could be seen: the
    // bar and the status line show the latest one once per pass of the event
    // loop, before it paints.
    observer.entryConfirmed = [this](qsizetype confirmed, const QString &infoPath) {
        if (confirmed >= 1 && confirmed <= qsizetype(m_saveProviders.size()))
            m_saveProviders[size_t(confirmed - 1)]->readSavedInfoDictionaryAhead();
        m_confirmedEntryToShow.emplace(confirmed, infoPath);
        if (!m_showConfirmedEntryTimer.isActive())
            m_showConfirmedEntryTimer.start();
    };
    observer.progressHidden = [this](double delaySeconds) {
        showLatestConfirmedEntry();
        showProgressIndicator(false, delaySeconds);
    };
    m_workerRunner->start(
        changes.entries, observer, m_workerRunPlaces ? *m_workerRunPlaces : VelWorkerRunPlaces::standard());
}

// The list is written on another thread, so it holds copies: nothing in it
// is shared with the catalogue, which the window keeps reading.
VelChangeList VelTidyController::collectChangesKeepingWindowAlive(
    VelEventPump &pump, std::vector<VelProviderPtr> &savedProviders) const
{
    VelChangeList changes;
    for (const VelProviderPtr &provider : applications()) {
        const VelChangeList own = VelCollectChanges({provider}, VelChangeListSharing::Nothing);
        changes.providerVanished = changes.providerVanished || own.providerVanished;
        for (const plist::Value &entry : *own.entries) {
            changes.entries->append(entry);
            savedProviders.push_back(provider);
        }
        pump.pumpIfDue();
    }
    return changes;
}

void VelTidyController::showLatestConfirmedEntry()
{
    m_showConfirmedEntryTimer.stop();
    if (const std::optional<std::pair<qsizetype, QString>> entry
        = std::exchange(m_confirmedEntryToShow, std::nullopt)) {
        VelSetStringValue(m_statusTextField, readablePathRepresentation(entry->second));
        m_progressIndicator->setValue(int(entry->first));
    }
}

void VelTidyController::workerRunFinished(qint64 result)
{
    showLatestConfirmedEntry();
    if (result < 0)
        VelBeep();
    if (result == qint64(m_saveProviders.size())) {
        endSuccessfulSave();
        return;
    }
    VelBeep();
    endFailedSave();
}

void VelTidyController::endSuccessfulSave()
{
    // Every saved provider takes the Info.plist it read again while the
    // worker ran (or reads it now), then the tree is rebuilt; the window
    // paints now and then meanwhile, user input waits until they are done.
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
    pump.pump();
    m_providersModel->setNeedsDisplay();
    // Every folder of the rebuilt tree is new, so no folder stays open and
    // the old rows need not be asked whether they were.
    m_servicesModel->reloadData();
    m_outlineModel->reloadData();
    // Painting the window follows; the event loop runs first, so the two do
    // not add up to one long wait.
    pump.pump();
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
    m_saveProviders.clear();
    if (reloadCatalogue)
        reload();
    emit saveFinished();
    if (std::exchange(m_quitWhenSaveEnds, false))
        replyToApplicationShouldTerminate(true);
    else if (std::exchange(m_terminateWhenSaveEnds, false))
        terminate();
}
