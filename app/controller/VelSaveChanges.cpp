#include "VelSaveChanges.h"

#include <model/VelChangeList.h>

#include <algorithm>

namespace {

VelSaveOutcome outcomeOfWorkerResult(qint64 result, qsizetype entries)
{
    switch (result) {
    case VelWorkerMissing:
        return VelSaveOutcome::WorkerMissing;
    case VelWorkerListNotWritten:
        return VelSaveOutcome::ChangeListNotWritten;
    case VelWorkerNoAuthorization:
        return VelSaveOutcome::AuthorizationFailed;
    case VelWorkerNothingConfirmed:
        return VelSaveOutcome::NotAuthorized;
    default:
        break;
    }
    return result == entries ? VelSaveOutcome::Saved : VelSaveOutcome::Incomplete;
}

} // namespace

VelSaveResult VelSaveChanges(
    VelServiceCatalogue &catalogue, const VelWorkerRunObserver &observer, const VelWorkerRunPlaces &places)
{
    const VelChangeList changes = VelCollectChanges(catalogue.applications());
    VelSaveResult result;
    result.entries = changes.size();
    result.providerVanished = changes.providerVanished;
    if (changes.size() == 0)
        return result;

    const qint64 workerResult = runWorkerForChangedInfoPlists(changes.entries, observer, places);
    result.confirmed = qsizetype(std::max<qint64>(workerResult, 0));
    result.outcome = outcomeOfWorkerResult(workerResult, changes.size());
    if (result.outcome == VelSaveOutcome::Saved) {
        for (const VelProviderPtr &provider : catalogue.applications())
            provider->invalidate();
        catalogue.rebuildServiceMenuRepresentation();
    }
    return result;
}
