// Saving from the window: the change list goes to the worker, whose output is
// followed through the event loop; the window keeps painting, the progress
// bar moves per confirmed file, and the end of the run decides between
// refreshing the model in place, reloading it, or leaving it dirty.

#include "VelTidyController.h"

#include "VelEventPump.h"
#include "VelProvidersTableModel.h"
#include "VelWorkerRunner.h"

#include <model/VelChangeList.h>
#include <ui/VelLinkLabel.h>

#include <gui/VelBeep.h>
#include <util/VelPathUtilities.h>
#include <workspace/VelWorkspace.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

void VelTidyController::setWorkerRunPlaces(const std::optional<VelWorkerRunPlaces> &places)
{
    m_workerRunPlaces = places;
}

void VelTidyController::save()
{
    if (m_saving || m_reloading)
        return;
    m_saving = true;
    const VelChangeList changes = VelCollectChanges(applications());
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
    VelEventPump pump;
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
    reloadServicesViews();
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
