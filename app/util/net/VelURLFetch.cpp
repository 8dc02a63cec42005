#include "VelURLFetch.h"

#include "plist/PropertyList.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// HTTP error statuses still carry their page, which counts as the body;
// failures of the connection, a proxy or the protocol, a transfer cut off,
// and errors of other schemes (a missing file) leave none.
bool hasBody(const QNetworkReply &reply)
{
    const QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::NoError)
        return true;
    const int code = int(error);
    if (code < 200 || (code >= 300 && code < 400))
        return false;
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

} // namespace

std::optional<QByteArray> dataFromNSURLConnection(const QUrl &url, int timeoutMilliseconds)
{
    if (!url.isValid() || !QCoreApplication::instance())
        return std::nullopt;
    QNetworkAccessManager manager;
    manager.setCache(nullptr);
    QNetworkRequest request(url);
    request.setAttribute(
        QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(timeoutMilliseconds);

    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    std::optional<QByteArray> body;
    if (hasBody(*reply))
        body = reply->readAll();
    delete reply;
    return body;
}

plist::DictionaryPtr dictionaryFromNSURLConnection(const QUrl &url, int timeoutMilliseconds)
{
    const std::optional<QByteArray> data = dataFromNSURLConnection(url, timeoutMilliseconds);
    if (!data)
        return nullptr;
    return plist::read(*data).toDictionary();
}
