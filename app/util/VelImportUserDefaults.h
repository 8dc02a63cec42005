#pragma once

#include <QString>

// Copies every value of the defaults domain into the application's own
// defaults, once per domain: the marker "Imported User Defaults: <domain>"
// is set afterwards, even when the domain was missing or empty, and a set
// marker makes later calls answer false at once. Answers whether at least
// one value was copied.
bool VelImportUserDefaults(const QString &domain);
