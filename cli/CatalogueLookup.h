#pragma once

// Loading the catalogue once per run and finding providers and services by
// the names people type.

#include "CommandLine.h"

#include <model/VelServiceCatalogue.h>

#include <QJsonValue>
#include <QTextStream>

namespace velctl {

// The shared catalogue of the volume the options name, after discovery and
// the tree build (done once per run).
VelServiceCatalogue &loadedCatalogue(const GlobalOptions &options);

// Standard output and error as text streams, flushed as they go out of use.
struct Output {
    Output();
    ~Output();
    QTextStream out;
    QTextStream err;
    void printJson(const QJsonValue &value);
};

// A provider by its name or path; a name two providers share is an error
// that lists their paths. Errors go to err; none when nothing matched.
[[nodiscard]] VelProviderPtr findProvider(const QString &nameOrPath, QTextStream &err);

// A service of the provider by its stored menu item title, then its
// localised title, then its readable menu path, then the last component of
// that path (the item's own title in the menu). The first of these that
// matches anything decides: no match or several matches are errors written
// to err, several with the readable paths of the candidates.
[[nodiscard]] plist::DictionaryPtr findService(const VelProviderPtr &provider, const QString &text, QTextStream &err);

// A provider and one of its services, found as above; the service is none
// (errors written) when either does not match.
struct ProviderService {
    VelProviderPtr provider;
    plist::DictionaryPtr entry;
};
[[nodiscard]] ProviderService findProviderService(
    const QString &providerText, const QString &serviceText, QTextStream &err);

} // namespace velctl
