#include "plist/PropertyList.h"
#include "util/net/VelURLFetch.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A one-page HTTP server on the loopback interface. It answers every request
// with the same status and body, or, when silent, never answers.
class TinyHttpServer : public QObject {
public:
    explicit TinyHttpServer(QByteArray status, QByteArray body, bool silent = false)
        : m_status(std::move(status))
        , m_body(std::move(body))
        , m_silent(silent)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, &TinyHttpServer::accept);
    }

    [[nodiscard]] QUrl url() const
    {
        return QUrl(u"http://127.0.0.1:%1/velmora/version.plist"_s.arg(m_server.serverPort()));
    }
    [[nodiscard]] const QByteArray &lastRequest() const { return m_request; }
    [[nodiscard]] int requestCount() const { return m_requests; }
    [[nodiscard]] int closedConnections() const { return m_closed; }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                ++m_closed;
                socket->deleteLater();
            });
        }
    }

    void answer(QTcpSocket *socket)
    {
        m_request += socket->readAll();
        if (!m_request.contains("\r\n\r\n") || m_silent)
            return;
        ++m_requests;
        socket->write("HTTP/1.1 " + m_status + "\r\nContent-Type: application/xml\r\n"
            + "Content-Length: " + QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QByteArray m_status;
    QByteArray m_body;
    bool m_silent = false;
    QByteArray m_request;
    int m_requests = 0;
    int m_closed = 0;
};

QByteArray versionFeed()
{
    plist::DictionaryPtr feed = plist::Dictionary::create();
    feed->set(u"Version"_s, u"2.0"_s);
    return plist::writeXml(plist::Value(feed));
}

} // namespace

class TestVelURLFetch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The loopback server must be reached directly, whatever the machine's proxy.
        for (const char *variable : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(variable);
    }

    void shouldFetchTheBodyWithoutTheCache()
    {
        TinyHttpServer server("200 OK", "hello");
        const std::optional<QByteArray> body = dataFromNSURLConnection(server.url());
        QVERIFY(body);
        QCOMPARE(*body, "hello"_ba);
        QVERIFY(server.lastRequest().startsWith("GET /velmora/version.plist HTTP/1.1\r\n"));
        QVERIFY(server.lastRequest().toLower().contains("cache-control: no-cache"));
    }

    void errorPageShouldBeABodyLikeAnyOther()
    {
        TinyHttpServer server("404 Not Found", "<html>missing</html>");
        const std::optional<QByteArray> body = dataFromNSURLConnection(server.url());
        QVERIFY(body);
        QCOMPARE(*body, "<html>missing</html>"_ba);
        QCOMPARE(dictionaryFromNSURLConnection(server.url()), nullptr);
    }

    void dictionaryShouldBeParsedFromTheBody()
    {
        TinyHttpServer server("200 OK", versionFeed());
        const plist::DictionaryPtr feed = dictionaryFromNSURLConnection(server.url());
        QVERIFY(feed);
        QCOMPARE(feed->value(u"Version").toString(), u"2.0"_s);
    }

    void bodyThatIsNotADictionaryShouldGiveNone_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("not a property list") << "<html><body>Offline</body></html>"_ba;
        QTest::newRow("array root") << plist::writeXml(plist::Value(plist::Array::create()));
        QTest::newRow("string root") << plist::writeXml(plist::Value(u"2.0"_s));
        QTest::newRow("empty") << QByteArray();
    }

    void bodyThatIsNotADictionaryShouldGiveNone()
    {
        QFETCH(QByteArray, body);
        TinyHttpServer server("200 OK", body);
        QCOMPARE(dictionaryFromNSURLConnection(server.url()), nullptr);
        QCOMPARE(server.requestCount(), 1);
    }

    void silentServerShouldTimeOut()
    {
        TinyHttpServer server("200 OK", versionFeed(), true);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!dataFromNSURLConnection(server.url(), 300));
        QVERIFY(timer.elapsed() < 4000);
        QCOMPARE(dictionaryFromNSURLConnection(server.url(), 300), nullptr);
    }

    void refusedConnectionShouldGiveNone()
    {
        QUrl url;
        {
            TinyHttpServer closed("200 OK", "x");
            url = closed.url();
        }
        QVERIFY(!dataFromNSURLConnection(url));
        QVERIFY(!dataFromNSURLConnection(QUrl()));
    }

    void asyncFetchShouldAnswerLaterWithTheBody()
    {
        TinyHttpServer server("200 OK", versionFeed());
        QObject context;
        std::optional<QByteArray> body;
        int calls = 0;
        dataFromNSURLConnectionAsync(server.url(), &context, [&](std::optional<QByteArray> data) {
            body = std::move(data);
            ++calls;
        });
        QCOMPARE(calls, 0);
        QTRY_COMPARE(calls, 1);
        QCOMPARE(body, std::optional<QByteArray>(versionFeed()));
        QVERIFY(server.lastRequest().toLower().contains("cache-control: no-cache"));
    }

    void asyncDictionaryShouldAnswerLikeTheSynchronousOne_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("dictionary");
        QTest::newRow("feed") << "200 OK"_ba << versionFeed() << false << false << true;
        QTest::newRow("error page") << "500 Internal Server Error"_ba
                                    << "<html>down</html>"_ba << false << false << false;
        QTest::newRow("array root") << "200 OK"_ba << plist::writeXml(plist::Value(plist::Array::create())) << false
                                    << false << false;
        QTest::newRow("time-out") << "200 OK"_ba << versionFeed() << true << false << false;
        QTest::newRow("refused") << "200 OK"_ba << versionFeed() << false << true << false;
    }

    void asyncDictionaryShouldAnswerLikeTheSynchronousOne()
    {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, silent);
        QFETCH(bool, refused);
        QFETCH(bool, dictionary);
        auto server = std::make_unique<TinyHttpServer>(status, body, silent);
        const QUrl url = server->url();
        if (refused)
            server.reset();
        QObject context;
        std::optional<plist::DictionaryPtr> answer;
        dictionaryFromNSURLConnectionAsync(
            url, &context, [&](plist::DictionaryPtr feed) { answer = feed; }, 300);
        QTRY_VERIFY(answer);
        QCOMPARE(*answer != nullptr, dictionary);
    }

    void asyncFetchOfAnInvalidURLShouldStillAnswerLater()
    {
        QObject context;
        int calls = 0;
        dataFromNSURLConnectionAsync(QUrl(), &context, [&](std::optional<QByteArray> data) {
            QVERIFY(!data);
            ++calls;
        });
        QCOMPARE(calls, 0);
        QTRY_COMPARE(calls, 1);
    }

    void destroyingTheContextShouldAbandonTheRequest()
    {
        TinyHttpServer server("200 OK", versionFeed(), true);
        auto context = std::make_unique<QObject>();
        int calls = 0;
        dataFromNSURLConnectionAsync(server.url(), context.get(), [&](std::optional<QByteArray>) { ++calls; });
        QTRY_VERIFY(server.lastRequest().contains("\r\n\r\n"));
        context.reset();
        QTRY_COMPARE(server.closedConnections(), 1);
        QCOMPARE(calls, 0);
    }

    void missingLocalFileShouldGiveNone()
    {
        QVERIFY(!dataFromNSURLConnection(QUrl::fromLocalFile(u"/nonexistent/version.plist"_s)));
    }
};

QTEST_GUILESS_MAIN(TestVelURLFetch)
#include "tst_velurlfetch.moc"
