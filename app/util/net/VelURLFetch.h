#pragma once

// Fetching a URL synchronously: the caller waits in a local event loop, the
// cache is bypassed, and an idle connection gives up after the time-out.

#include "plist/PlistValue.h"

#include <QByteArray>
#include <QUrl>

#include <optional>

inline constexpr int kVelURLFetchTimeoutMilliseconds = 5000;

// The body, or none when the request failed. An error page from the server is
// a body like any other.
[[nodiscard]] std::optional<QByteArray> dataFromNSURLConnection(
    const QUrl &url, int timeoutMilliseconds = kVelURLFetchTimeoutMilliseconds);

// The body parsed as a property list when its top level is a dictionary;
// null when the fetch or the parse fails, or the top level is another kind.
[[nodiscard]] plist::DictionaryPtr dictionaryFromNSURLConnection(
    const QUrl &url, int timeoutMilliseconds = kVelURLFetchTimeoutMilliseconds);
