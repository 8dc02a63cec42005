#pragma once

// A small HTTP server on 127.0.0.1 for the update checker's tests. Each path
// answers with the page set for it, any other path with "404 Not Found". A
// silent server takes requests and never answers; a closed one refuses
// connections.

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

class VelLoopbackServer : public QObject {
public:
    VelLoopbackServer()
    {
        m_server.listen(QHostAddress(QHostAddress::LocalHost));
        m_port = m_server.serverPort();
        connect(&m_server, &QTcpServer::newConnection, this, &VelLoopbackServer::accept);
    }

    [[nodiscard]] QUrl site() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port)); }
    [[nodiscard]] QUrl url(const QString &path) const { return site().resolved(QUrl(path)); }

    void setPage(const QByteArray &path, const QByteArray &status, const QByteArray &body)
    {
        m_pages.insert(path, {status, body});
    }
    void setSilent(bool silent) { m_silent = silent; }
    void close() { m_server.close(); }

    [[nodiscard]] int requestCount(const QByteArray &path) const { return m_requests.value(path); }
    [[nodiscard]] int requestCount() const
    {
        int count = 0;
        for (int requests : m_requests)
            count += requests;
        return count;
    }

private:
    struct Page {
        QByteArray status;
        QByteArray body;
    };

    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void answer(QTcpSocket *socket)
    {
        QByteArray &request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        m_pending.remove(socket);
        ++m_requests[path];
        if (m_silent)
            return;
        const Page page = m_pages.value(path, {"404 Not Found", "<html><body>Not Found</body></html>"});
        socket->write("HTTP/1.1 " + page.status + "\r\nContent-Length: " + QByteArray::number(page.body.size())
            + "\r\nConnection: close\r\n\r\n" + page.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    quint16 m_port = 0;
    QHash<QByteArray, Page> m_pages;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QHash<QByteArray, int> m_requests;
    bool m_silent = false;
};
