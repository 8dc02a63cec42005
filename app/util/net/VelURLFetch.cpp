#include "VelURLFetch.h"

#include "plist/PropertyList.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

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

std::optional<QByteArray> bodyOf(QNetworkReply &reply)
{
    if (!hasBody(reply))
        return std::nullopt;
    return reply.readAll();
}

QNetworkRequest uncachedRequest(const QUrl &url, int timeoutMilliseconds)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(timeoutMilliseconds);
    return request;
}

plist::DictionaryPtr dictionaryFromBody(const std::optional<QByteArray> &data)
{
    if (!data)
        return nullptr;
    return plist::read(*data).toDictionary();
}

} // namespace

std::optional<QByteArray> dataFromNSURLConnection(const QUrl &url, int timeoutMilliseconds)
{
    if (!url.isValid() || !QCoreApplication::instance())
        return std::nullopt;
    QNetworkAccessManager manager;
    manager.setCache(nullptr);
    QNetworkReply *reply = manager.get(uncachedRequest(url, timeoutMilliseconds));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    std::optional<QByteArray> body = bodyOf(*reply);
    delete reply;
    return body;
}

plist::DictionaryPtr dictionaryFromNSURLConnection(const QUrl &url, int timeoutMilliseconds)
{
    return dictionaryFromBody(dataFromNSURLConnection(url, timeoutMilliseconds));
}

void dataFromNSURLConnectionAsync(const QUrl &url, QObject *context, VelURLDataHandler handler, int timeoutMilliseconds)
{
    if (!context || !handler)
        return;
    if (!url.isValid()) {
        QMetaObject::invokeMethod(
            context, [handler = std::move(handler)] { handler(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    // The manager is the context's child: destroying the context destroys the
    // manager and with it the reply, which abandons the request.
    auto *manager = new QNetworkAccessManager(context);
    manager->setCache(nullptr);
    QNetworkReply *reply = manager->get(uncachedRequest(url, timeoutMilliseconds));
    QObject::connect(reply, &QNetworkReply::finished, manager,
        [manager, reply, alive = QPointer<QObject>(context), handler = std::move(handler)] {
            std::optional<QByteArray> body = bodyOf(*reply);
            manager->deleteLater();
            // Should the reply report while its context is being destroyed,
            // the context must not be called.
            if (alive)
                handler(std::move(body));
        });
}

void dictionaryFromNSURLConnectionAsync(
    const QUrl &url, QObject *context, VelURLDictionaryHandler handler, int timeoutMilliseconds)
{
    if (!handler)
        return;
    dataFromNSURLConnectionAsync(
        url, context,
        [handler = std::move(handler)](std::optional<QByteArray> body) { handler(dictionaryFromBody(body)); },
        timeoutMilliseconds);
}
