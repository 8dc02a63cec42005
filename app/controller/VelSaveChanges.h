#pragma once

// Saving without the window: the change list of the dirty providers goes to
// the worker, and only when the worker confirmed every entry are the providers
// invalidated (re-read from the files just written). The window drives its
// progress bar and status line from the progress callbacks and beeps and
// reloads according to the result.

#include "VelWorkerRun.h"

#include <model/VelServiceCatalogue.h>

enum class VelSaveOutcome {
    NothingToSave, // no dirty provider (or only vanished ones)
    WorkerMissing, // the worker is not in the application's resources
    ChangeListNotWritten, // a support folder or the change list could not be written
    AuthorizationFailed, // no authorisation reference
    NotAuthorized, // rights not granted, the worker did not start, or it printed nothing
    Incomplete, // the worker confirmed fewer entries than the list holds
    Saved, // every entry confirmed
};

struct VelSaveResult {
    VelSaveOutcome outcome = VelSaveOutcome::NothingToSave;
    qsizetype entries = 0; // entries of the change list
    qsizetype confirmed = 0; // characters the worker printed
    // A dirty provider's Info.plist had disappeared: the catalogue must be
    // reloaded rather than refreshed.
    bool providerVanished = false;
};

[[nodiscard]] VelSaveResult VelSaveChanges(VelServiceCatalogue &catalogue, const VelWorkerRunObserver &observer = {},
    const VelWorkerRunPlaces &places = VelWorkerRunPlaces::standard());
