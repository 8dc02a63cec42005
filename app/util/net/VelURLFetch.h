#pragma once

// Fetching a URL, the cache bypassed and an idle connection given up after
// the time-out: synchronously, the caller waiting in a local event loop, or
// asynchronously, the answer handed to a function later.

#include "plist/PlistValue.h"

#include <QByteArray>
#include <QUrl>

#include <functional>
#include <optional>

class QObject;

inline constexpr int kVelURLFetchTimeoutMilliseconds = 5000;

// The body, or none when the request failed. An error page from the server is
// a body like any other.
[[nodiscard]] std::optional<QByteArray> dataFromNSURLConnection(
    const QUrl &url, int timeoutMilliseconds = kVelURLFetchTimeoutMilliseconds);

// The body parsed as a property list when its top level is a dictionary;
// null when the fetch or the parse fails, or the top level is another kind.
[[nodiscard]] plist::DictionaryPtr dictionaryFromNSURLConnection(
    const QUrl &url, int timeoutMilliseconds = kVelURLFetchTimeoutMilliseconds);

using VelURLDataHandler = std::function<void(std::optional<QByteArray> body)>;
using VelURLDictionaryHandler = std::function<void(plist::DictionaryPtr dictionary)>;

// Start the same fetches and return at once. The handler runs exactly once,
// later, in the event loop of the context's thread, with what the
// synchronous call would have answered; never when the context is destroyed
// first, which also abandons the request.
void dataFromNSURLConnectionAsync(const QUrl &url, QObject *context, VelURLDataHandler handler,
    int timeoutMilliseconds = kVelURLFetchTimeoutMilliseconds);
void dictionaryFromNSURLConnectionAsync(const QUrl &url, QObject *context, VelURLDictionaryHandler handler,
    int timeoutMilliseconds = kVelURLFetchTimeoutMilliseconds);
