#pragma once

// Addresses from the network (the version feed, the release notes) are
// opened or loaded only when they name a web page: an absolute http or https
// URL with a host. Anything else (a local file, another application's
// scheme) could make the desktop run or reveal something on this machine.

#include <QUrl>

[[nodiscard]] bool VelIsWebAddress(const QUrl &url);
