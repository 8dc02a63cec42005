#pragma once

// Item data the window's cells ask their models for beyond Qt's own roles.

#include <Qt>

enum VelItemRole {
    // bool: the provider row shows a revert button (it has a revert target).
    VelRevertTargetRole = Qt::UserRole + 40,
    // bool: the service cell shows an inspector button (it has an inspector target).
    VelInspectorTargetRole,
};
