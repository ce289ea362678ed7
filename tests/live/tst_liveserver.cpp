// The live server as a browser or an attacker on the network sees it: real sockets on
// loopback, the server on its own thread, the clock a test clock.
#include <QtTest>

#include "core/TickCount.h"
#include "live/LiveServer.h"
#include "ModelSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

namespace {

struct TReply {
    int status = 0; // 0: no answer at all
    QByteArray head, body;
};

TReply ParseReply(const QByteArray& all) {
    TReply r;
    const qsizetype end = all.indexOf("\r\n\r\n");
    if (!all.startsWith("HTTP/1.1 ") || end < 0) return r;
    r.status = all.mid(9, 3).toInt();
    r.head = all.left(end);
    r.body = all.mid(end + 4);
    return r;
}

qint64 ContentLength(const TReply& r) {
    const qsizetype at = r.head.toLower().indexOf("content-length: ");
    return at < 0 ? -1 : r.head.mid(at + 16).split('\r').first().toLongLong();
}

bool Complete(const QByteArray& all) {
    const TReply r = ParseReply(all);
    return r.status != 0 && ContentLength(r) >= 0 && r.body.size() >= ContentLength(r);
}

// The answers one after the other in what a connection received.
QList<TReply> Replies(QByteArray all) {
    QList<TReply> replies;
    while (Complete(all)) {
        TReply r = ParseReply(all);
        const qint64 length = ContentLength(r);
        all = r.body.mid(length);
        r.body.truncate(length);
        replies << r;
    }
    return replies;
}

// Sends raw bytes (from a chosen loopback address) and collects the answer until it is
// complete or the server closes.
TReply Fetch(quint16 port, const QByteArray& raw, const QHostAddress& from = {}) {
    QTcpSocket s;
    if (!from.isNull()) s.bind(from);
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000)) return {};
    s.write(raw);
    QByteArray all;
    WaitUntil(
        [&] {
            all += s.readAll();
            return Complete(all) || s.state() != QAbstractSocket::ConnectedState;
        },
        10000);
    all += s.readAll();
    return ParseReply(all);
}

TReply Get(quint16 port, const QByteArray& path) {
    return Fetch(port, "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
}

QByteArray Header(const TReply& r, const QByteArray& name) {
    for (const QByteArray& line : r.head.split('\n'))
        if (line.toLower().startsWith(name.toLower() + ':'))
            return line.mid(name.size() + 1).trimmed();
    return {};
}

long RssKb() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// An event stream's events as (name, data), read from what a client has received so far.
QList<QPair<QByteArray, QByteArray>> Events(const QByteArray& stream) {
    QList<QPair<QByteArray, QByteArray>> events;
    const qsizetype start = stream.indexOf("\r\n\r\n");
    if (start < 0) return events;
    for (const QByteArray& block : stream.mid(start + 4).split('\n')) {
        if (block.startsWith("event: ")) events.append({block.mid(7), {}});
        if (block.startsWith("data: ") && !events.isEmpty()) events.last().second = block.mid(6);
    }
    return events;
}

const QStringList Titles = {"St.Nr.", "Name, Vorname", "Ort",   "Klasse", "Datum", "Turm1", "Turm2",
                            "Turm3",  "Turm4",         "Turm5", "Turm6",  "Zeit",  "Platz", "."};

THtmlPage PageWith(const QString& name) {
    THtmlPage page{QStringLiteral("TL-Veltaro"), QStringLiteral("Stadtcup"), {}, {}, 2};
    page.rows << Titles << QStringList{"7", name, "Bern", "U16", "",     "0:07,10", "",
                                       "",  "",   "",     "",    "7,10", "1",       "1"};
    page.colWidths = {40, 180, 120, 50, 80, 87, 87, -1, -1, -1, -1, 87, 40, -1};
    return page;
}

TLiveState RunningState(std::uint32_t startTick, const QString& name = QStringLiteral("Anna")) {
    TLiveState s;
    s.run = TLiveRun::Running;
    s.startTick = startTick;
    s.tracks[0].participant = name;
    s.tracks[1].participant = QStringLiteral("Ben");
    return s;
}

} // namespace

class TestLiveServer : public QObject {
    Q_OBJECT
    TManualClock clock;
    std::unique_ptr<TLiveServer> server;
    quint16 port = 0;

    std::unique_ptr<TLiveServer> StartServer(TLiveOptions options) {
        auto s = std::make_unique<TLiveServer>(options);
        QString error;
        if (!s->Start(QHostAddress::LocalHost, 0, &error)) qWarning() << error;
        return s;
    }

private slots:
    void initTestCase() {
        clock.now = 1000;
        SetTickSource(TManualClock::Source(clock));
        server = StartServer({});
        QVERIFY(server->IsListening());
        port = server->Port();
        server->PublishProtocol(PageWith(QStringLiteral("Muster, Max")));
    }
    void cleanupTestCase() {
        server.reset();
        SetTickSource({});
    }

    // --- routes ---------------------------------------------------------------------------
    void routes_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("contains");
        QTest::newRow("live page")
            << QByteArray("/") << 200 << QByteArray("text/html") << QByteArray("/live.js");
        QTest::newRow("its script") << QByteArray("/live.js") << 200
                                    << QByteArray("text/javascript") << QByteArray("EventSource");
        QTest::newRow("its style")
            << QByteArray("/live.css") << 200 << QByteArray("text/css") << QByteArray(".time");
        QTest::newRow("protocol page") << QByteArray("/protocol") << 200 << QByteArray("text/html")
                                       << QByteArray("Muster, Max");
        QTest::newRow("protocol page reloads")
            << QByteArray("/protocol") << 200 << QByteArray("text/html")
            << QByteArray("<script src=\"/protocol.js\"");
        QTest::newRow("protocol script") << QByteArray("/protocol.js") << 200
                                         << QByteArray("text/javascript") << QByteArray("reload");
        QTest::newRow("state") << QByteArray("/api/state") << 200 << QByteArray("application/json")
                               << QByteArray("\"tracks\"");
        QTest::newRow("state with a query")
            << QByteArray("/api/state?t=1") << 200 << QByteArray("application/json")
            << QByteArray("\"state\"");
        QTest::newRow("protocol json")
            << QByteArray("/api/protocol") << 200 << QByteArray("application/json")
            << QByteArray("Muster, Max");
        QTest::newRow("unknown") << QByteArray("/admin") << 404 << QByteArray("text/plain")
                                 << QByteArray();
        QTest::newRow("a file of the program")
            << QByteArray("/CMakeLists.txt") << 404 << QByteArray("text/plain") << QByteArray();
        QTest::newRow("up the tree")
            << QByteArray("/../../etc/passwd") << 404 << QByteArray("text/plain") << QByteArray();
        QTest::newRow("up the tree, encoded") << QByteArray("/%2e%2e/%2e%2e/etc/passwd") << 404
                                              << QByteArray("text/plain") << QByteArray();
        QTest::newRow("resource path")
            << QByteArray("/:/live/live.js") << 404 << QByteArray("text/plain") << QByteArray();
    }
    void routes() {
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, contains);
        const TReply r = Get(port, path);
        QCOMPARE(r.status, status);
        QVERIFY2(Header(r, "Content-Type").startsWith(type), r.head.constData());
        QVERIFY(r.body.contains(contains));
        QCOMPARE(Header(r, "X-Content-Type-Options"), QByteArray("nosniff"));
        QVERIFY(Header(r, "Content-Security-Policy").contains("default-src 'self'"));
    }

    void eventStream() {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(s.waitForConnected(5000));
        s.write("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
        QByteArray got;
        QVERIFY(WaitUntil([&] {
            got += s.readAll();
            return Events(got).size() >= 2;
        }));
        QVERIFY(got.startsWith("HTTP/1.1 200"));
        QVERIFY(got.contains("Content-Type: text/event-stream"));
        QCOMPARE(Events(got).at(0).first, QByteArray("state"));
        QCOMPARE(Events(got).at(1).first, QByteArray("protocol"));

        // A start and a stop reach the stream, with the time of the test clock.
        clock.now = 50000;
        server->PublishState(RunningState(48000));
        QVERIFY(WaitUntil([&] {
            got += s.readAll();
            return Events(got).size() >= 3;
        }));
        const QJsonObject running = QJsonDocument::fromJson(Events(got).at(2).second).object();
        QCOMPARE(running["state"].toString(), QStringLiteral("running"));
        QCOMPARE(running["tracks"].toArray().at(0)["elapsedMs"].toInt(), 2000);

        TLiveState stopped = RunningState(48000);
        stopped.tracks[0].stopped = true;
        stopped.tracks[0].stopMs = 7345;
        stopped.last = {{1, QStringLiteral("Anna"), QStringLiteral("7,34")}};
        server->PublishState(stopped);
        QVERIFY(WaitUntil([&] {
            got += s.readAll();
            return Events(got).size() >= 4;
        }));
        const QJsonObject stop = QJsonDocument::fromJson(Events(got).at(3).second).object();
        QCOMPARE(stop["tracks"].toArray().at(0)["time"].toString(), QStringLiteral("7,34"));
        QCOMPARE(stop["last"].toArray().at(0)["time"].toString(), QStringLiteral("7,34"));

        // A changed protocol is announced with its new version.
        server->PublishProtocol(PageWith(QStringLiteral("Neu, Nina")));
        QVERIFY(WaitUntil([&] {
            got += s.readAll();
            return Events(got).size() >= 5;
        }));
        QCOMPARE(Events(got).at(4).first, QByteArray("protocol"));
        server->PublishState(TLiveState{});
    }

    // Requests sent together are answered one after the other, in the order sent.
    void pipelinedInOrder() {
        QTcpSocket c;
        c.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(c.waitForConnected(5000));
        c.write("GET /live.css HTTP/1.1\r\n\r\nGET /protocol HTTP/1.1\r\n\r\n"
                "GET /nichts HTTP/1.1\r\n\r\nGET /api/state HTTP/1.1\r\nConnection: close\r\n\r\n");
        QByteArray all;
        QVERIFY(WaitUntil([&] {
            all += c.readAll();
            return c.state() != QAbstractSocket::ConnectedState;
        }));
        all += c.readAll();
        QList<QByteArray> types;
        for (const TReply& r : Replies(all))
            types << Header(r, "Content-Type").split(';').first();
        QCOMPARE(types,
                 (QList<QByteArray>{"text/css", "text/html", "text/plain", "application/json"}));
    }

    // A client that sends request after request and reads none of the answers is sent one
    // answer at a time: the program's memory stays where it was, visitors are answered
    // meanwhile, and once it has taken nothing for 30 s it is dropped.
    void requestsNeverRead() {
        if (RssKb() < 0) QSKIP("no /proc/self/status here");
        TLiveOptions o;
        o.sweepMs = 20;
        auto s = StartServer(o);
        THtmlPage page = PageWith(QStringLiteral("Muster, Max"));
        for (int i = 0; i < 3000; ++i)
            page.rows << page.rows.last();
        s->PublishProtocol(page);
        const qsizetype pageBytes = Get(s->Port(), "/protocol").body.size();
        QVERIFY2(pageBytes > 200 * 1024, QByteArray::number(pageBytes));

        const long before = RssKb();
        QTcpSocket greedy;
        greedy.setReadBufferSize(1); // takes one byte and then nothing more
        greedy.connectToHost(QHostAddress::LocalHost, s->Port());
        QVERIFY(greedy.waitForConnected(5000));
        for (int i = 0; i < 2000; ++i)
            greedy.write("GET /protocol HTTP/1.1\r\nHost: x\r\n\r\n");
        for (int i = 0; i < 10; ++i)
            QCOMPARE(Get(s->Port(), "/api/state").status, 200);
        QTest::qWait(300); // all that can be sent is sent
        const long grown = RssKb() - before;
        QVERIFY2(grown < 32 * pageBytes / 1024, QByteArray::number(qlonglong(grown)) + " kB");

        clock.advance(31000);
        QVERIFY(WaitUntil([&] { return s->ConnectionCount() == 0; }));
    }

    // --- escaping ---------------------------------------------------------------------------
    void escaping_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("script tag") << QStringLiteral("<script>alert(1)</script>");
        QTest::newRow("quotes") << QStringLiteral("O'Neil \"Flash\" & Co");
        QTest::newRow("closing the page") << QStringLiteral("</td></table><img src=x onerror=a()>");
        QTest::newRow("umlauts and Cyrillic") << QStringLiteral("Müller, Jürgen Ёлкин");
        QTest::newRow("line breaks in an event") << QStringLiteral("a\n\nevent: state\ndata: x");
    }
    void escaping() {
        QFETCH(QString, name);
        server->PublishProtocol(PageWith(name));
        server->PublishState(RunningState(clock.now, name));

        const TReply page = Get(port, "/protocol");
        QCOMPARE(page.status, 200);
        const QString html = QString::fromUtf8(page.body);
        QVERIFY(html.contains(name.toHtmlEscaped()));
        if (name.contains('<')) QVERIFY(!html.contains(name));

        const TReply json = Get(port, "/api/protocol");
        const QJsonObject protocol = QJsonDocument::fromJson(json.body).object();
        QCOMPARE(protocol["rows"].toArray().at(0).toArray().at(1).toString(), name);

        const TReply state = Get(port, "/api/state");
        const QJsonObject o = QJsonDocument::fromJson(state.body).object();
        QCOMPARE(o["tracks"].toArray().at(0)["participant"].toString(), name);

        // On the stream the name stays inside one data line.
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(s.waitForConnected(5000));
        s.write("GET /events HTTP/1.1\r\n\r\n");
        QByteArray got;
        QVERIFY(WaitUntil([&] {
            got += s.readAll();
            return Events(got).size() >= 2;
        }));
        const QJsonObject streamed = QJsonDocument::fromJson(Events(got).at(0).second).object();
        QCOMPARE(streamed["tracks"].toArray().at(0)["participant"].toString(), name);
        QCOMPARE(Events(got).at(1).first, QByteArray("protocol"));
        server->PublishState(TLiveState{});
    }

    // --- what is refused --------------------------------------------------------------------
    void methods_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("POST") << QByteArray("POST /api/state HTTP/1.1\r\nContent-Length: 0\r\n");
        QTest::newRow("PUT") << QByteArray("PUT / HTTP/1.1\r\nContent-Length: 0\r\n");
        QTest::newRow("DELETE") << QByteArray("DELETE /protocol HTTP/1.1\r\n");
        QTest::newRow("HEAD") << QByteArray("HEAD / HTTP/1.1\r\n");
        QTest::newRow("OPTIONS") << QByteArray("OPTIONS /api/state HTTP/1.1\r\n");
        QTest::newRow("PATCH on the stream") << QByteArray("PATCH /events HTTP/1.1\r\n");
    }
    void methods() {
        QFETCH(QByteArray, request);
        const TReply r = Fetch(port, request + "Host: x\r\nConnection: close\r\n\r\n");
        QCOMPARE(r.status, 405);
        QCOMPARE(Header(r, "Allow"), QByteArray("GET"));
    }

    void tooMuch_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::newRow("1 MB address")
            << "GET /" + QByteArray(1024 * 1024, 'a') + " HTTP/1.1\r\n\r\n"
            << 431;
        QTest::newRow("1 MB header")
            << "GET / HTTP/1.1\r\nX-Big: " + QByteArray(1024 * 1024, 'b') + "\r\n\r\n"
            << 431;
        QTest::newRow("1 MB body")
            << "POST / HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n" + QByteArray(1024 * 1024, 'c')
            << 413;
        QTest::newRow("body after a header ended by LF CR LF")
            << "GET / HTTP/1.1\nHost: x\nContent-Length: 7000\n\r\n" + QByteArray(7000, 'e') << 413;
        QTest::newRow("chunked body") << QByteArray("GET / HTTP/1.1\r\nTransfer-Encoding: chunked"
                                                    "\r\n\r\n100000\r\n") +
                                             QByteArray(1024 * 1024, 'd')
                                      << 413;
        QByteArray lines = "GET / HTTP/1.1\r\n";
        for (int i = 0; i < 200; ++i)
            lines += "X-" + QByteArray::number(i) + ": 1\r\n";
        QTest::newRow("200 header lines") << lines + "\r\n" << 431;
    }
    void tooMuch() {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        const TReply r = Fetch(port, request);
        // Either the refusal arrives or the connection is cut before it could: never a page.
        QVERIFY2(r.status == status || r.status == 0, QByteArray::number(r.status).constData());
        QCOMPARE(Get(port, "/api/state").status, 200); // and the server lives on
    }

    // These pages offer no protocol change (a WebSocket upgrade) to switch to.
    void webSocketUpgradeClosed() {
        QTcpSocket c;
        c.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(c.waitForConnected(5000));
        c.write("GET /events HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
        QByteArray got;
        QVERIFY(WaitUntil([&] {
            got += c.readAll();
            return c.state() != QAbstractSocket::ConnectedState;
        }));
        QVERIFY(got.startsWith("HTTP/1.1 400"));
        QVERIFY(!got.contains("event: "));
    }

    void connectionLimit_data() {
        QTest::addColumn<bool>("oneAddress");
        QTest::newRow("every place taken") << false;
        QTest::newRow("one address's places taken") << true;
    }
    void connectionLimit() {
        QFETCH(bool, oneAddress);
        TLiveOptions o;
        (oneAddress ? o.maxPerAddress : o.maxConnections) = 3;
        auto small = StartServer(o);
        QList<QTcpSocket*> held;
        for (int i = 0; i < 3; ++i) {
            held << new QTcpSocket(this);
            held.last()->connectToHost(QHostAddress::LocalHost, small->Port());
            QVERIFY(held.last()->waitForConnected(5000));
        }
        QVERIFY(WaitUntil([&] { return small->ConnectionCount() == 3; }));
        QCOMPARE(Get(small->Port(), "/").status, 503);
        const QByteArray get = "GET / HTTP/1.1\r\nConnection: close\r\n\r\n";
        QCOMPARE(Fetch(small->Port(), get, QHostAddress("127.0.0.2")).status,
                 oneAddress ? 200 : 503);
        delete held.takeFirst();
        QVERIFY(WaitUntil([&] { return small->ConnectionCount() == 2; }));
        QCOMPARE(Get(small->Port(), "/").status, 200);
        qDeleteAll(held);
    }

    // --- slow and idle clients, on the test clock -----------------------------------------
    void slowClients_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("advanceMs");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("half a request, 11 s")
            << QByteArray("GET / HTTP/1.1\r\nHost:") << 11000 << true;
        QTest::newRow("half a request, 9 s")
            << QByteArray("GET / HTTP/1.1\r\nHost:") << 9000 << false;
        QTest::newRow("nothing, 61 s") << QByteArray() << 61000 << true;
        QTest::newRow("nothing, 50 s") << QByteArray() << 50000 << false;
    }
    void slowClients() {
        QFETCH(QByteArray, sent);
        QFETCH(int, advanceMs);
        QFETCH(bool, dropped);
        TLiveOptions o;
        o.sweepMs = 20;
        auto s = StartServer(o);
        QTcpSocket c;
        c.connectToHost(QHostAddress::LocalHost, s->Port());
        QVERIFY(c.waitForConnected(5000));
        c.write(sent);
        QVERIFY(WaitUntil([&] { return s->ConnectionCount() == 1; }));
        QTest::qWait(60); // the server has read what was sent
        clock.advance(quint32(advanceMs));
        const bool gone = WaitUntil([&] { return s->ConnectionCount() == 0; }, 300);
        QCOMPARE(gone, dropped);
    }

    // An event stream whose client does not read is dropped, the one that reads stays.
    void streamNotRead_data() {
        QTest::addColumn<qint64>("ownLimit");
        QTest::addColumn<qint64>("totalLimit");
        QTest::addColumn<int>("advanceMs"); // the test clock moves on once the events are out
        QTest::newRow("its own bytes") << qint64(64 * 1024) << qint64(64 << 20) << 0;
        QTest::newRow("all streams' bytes") << qint64(64 << 20) << qint64(64 * 1024) << 0;
        QTest::newRow("nothing taken for 30 s") << qint64(64 << 20) << qint64(64 << 20) << 31000;
    }
    void streamNotRead() {
        QFETCH(qint64, ownLimit);
        QFETCH(qint64, totalLimit);
        QFETCH(int, advanceMs);
        TLiveOptions o;
        o.maxUnsentBytes = ownLimit;
        o.maxTotalUnsentBytes = totalLimit;
        o.sweepMs = 20;
        auto s = StartServer(o);
        QTcpSocket lazy, reader;
        lazy.setReadBufferSize(1); // takes one byte and then nothing more
        for (QTcpSocket* c : {&lazy, &reader}) {
            c->connectToHost(QHostAddress::LocalHost, s->Port());
            QVERIFY(c->waitForConnected(5000));
            c->write("GET /events HTTP/1.1\r\n\r\n");
        }
        QVERIFY(WaitUntil([&] { return s->StreamCount() == 2; }));
        QByteArray readerGot;
        const auto read = [&] {
            readerGot += reader.readAll();
            return false;
        };
        const QString big(16 * 1024, QLatin1Char('x'));
        for (int n = 1; n <= 64; ++n) { // 1 MB, more than the system's buffers take
            s->PublishState(RunningState(n, big));
            WaitUntil(read, 20);
        }
        WaitUntil(read, 300);
        QCOMPARE(s->StreamCount(), advanceMs ? 2 : 1);
        clock.advance(quint32(advanceMs));
        QVERIFY(WaitUntil([&] { return read() || s->StreamCount() == 1; }));
        QCOMPARE(reader.state(), QAbstractSocket::ConnectedState); // the reader stays
        QVERIFY(Events(readerGot).size() > 64);
    }
};

QTEST_GUILESS_MAIN(TestLiveServer)
#include "tst_liveserver.moc"
