// The live results as a browser or an attacker on the network sees them: real sockets on
// loopback, the server on its own thread, the clock a test clock; and the state's times as the
// pages get them.
#include "core/Competition.h"
#include "core/TickCount.h"
#include "live/LiveBoard.h"
#include "live/LiveServer.h"
#include "ModelSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QtTest>

namespace {
struct TReply {
    int status = 0; // 0: no answer at all
    QByteArray head, body;
    QByteArray Header(const QByteArray& name) const {
        for (const QByteArray& line : head.split('\n'))
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        return {};
    }
};

// The first answer in what a connection received, and what follows it; status 0 until the
// answer is complete.
TReply ParseReply(const QByteArray& all, QByteArray* rest = nullptr) {
    TReply r;
    const qsizetype end = all.indexOf("\r\n\r\n");
    if (!all.startsWith("HTTP/1.1 ") || end < 0) return r;
    r.head = all.left(end);
    r.body = all.mid(end + 4);
    const qlonglong length = r.Header("Content-Length").toLongLong();
    if (r.Header("Content-Length").isEmpty() || r.body.size() < length) return {};
    r.status = all.mid(9, 3).toInt();
    if (rest) *rest = r.body.mid(length);
    r.body.truncate(length);
    return r;
}

// Reads from a client until the condition on what it received holds or the server closes.
QByteArray ReadUntil(QTcpSocket& s, const std::function<bool(const QByteArray&)>& done) {
    QByteArray all;
    WaitUntil([&] {
        all += s.readAll();
        return done(all) || s.state() != QAbstractSocket::ConnectedState;
    });
    return all + s.readAll();
}

void Connect(QTcpSocket& s, quint16 port, const QByteArray& raw = {}) {
    s.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(s.waitForConnected(5000));
    s.write(raw);
}

// Sends raw bytes (from a chosen loopback address) and collects the answer.
TReply Fetch(quint16 port, const QByteArray& raw, const QHostAddress& from = {}) {
    QTcpSocket s;
    if (!from.isNull()) s.bind(from);
    Connect(s, port, raw);
    return ParseReply(ReadUntil(s, [](const QByteArray& a) { return ParseReply(a).status; }));
}

TReply Get(quint16 port, const QByteArray& path) {
    return Fetch(port, "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
}

// An event stream's events as (name, data), from what a client has received so far.
QList<QPair<QByteArray, QByteArray>> Events(const QByteArray& stream) {
    QList<QPair<QByteArray, QByteArray>> events;
    for (const QByteArray& line : stream.mid(stream.indexOf("\r\n\r\n") + 4).split('\n')) {
        if (line.startsWith("event: ")) events.append({line.mid(7), {}});
        if (line.startsWith("data: ") && !events.isEmpty()) events.last().second = line.mid(6);
    }
    return events;
}

QJsonObject Track(const QByteArray& stateJson, int i) {
    return QJsonDocument::fromJson(stateJson)["tracks"].toArray().at(i).toObject();
}

long RssKb() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

THtmlPage PageWith(const QString& name, int extraRows = 0) {
    THtmlPage page;
    page.rows = {TCompetition::DefaultColumnTitles()};
    page.rows += TProtocolRows(
        extraRows + 1, {"7", name, "Bern", "A", "", "7,10", "", "", "", "", "", "7,10", "1", "1"});
    return page;
}

// Climbers "number/class/run1/run2" ("_" a blank) in a mode; mode 3: the finals after a
// qualification in mode 2.
void LoadField(TCompetition& c, int mode, int klassCol, const QString& people) {
    TProtocolRows rows{TCompetition::DefaultColumnTitles()};
    for (const QString& p : people.split(' ')) {
        const QStringList f = QString(p).replace('_', ' ').split('/');
        rows << QStringList{f[0], "N" + f[0], "", f.value(1), "", f.value(2), f.value(3),
                            "",   "",         "", "",         "", "",         ""};
    }
    c.SetKlassCol(klassCol);
    c.SetMode(qMin(mode, 2));
    QVERIFY(c.Load(rows));
    c.Recompute();
    if (mode == 3) QVERIFY(c.SetMode(TCompetition::FinaleKo));
}

// "number:result", "*" for the winner, lanes and heats as a JSON array of them holds them.
QString Lanes(const QJsonArray& heats) {
    QStringList out;
    for (const QJsonValue& h : heats) {
        QStringList lanes;
        for (const QJsonValue& l : h["lanes"].toArray())
            lanes << l["startNumber"].toString() + ':' + l["result"].toString() +
                         (l["winner"].toBool() ? "*" : "");
        out << (h["current"].toBool() ? "now " : "") + lanes.join(' ');
    }
    return out.join(" | ");
}

TLiveState RunningState(std::uint32_t startTick, const QString& name = QStringLiteral("Anna")) {
    TLiveState s;
    s.run = TLiveRun::Running;
    s.startTick = startTick;
    s.tracks[0].participant = name;
    s.tracks[1].participant = QStringLiteral("Ben");
    return s;
}

struct TTimes {
    TLiveRun run;
    int format;
    quint32 start, now, stopMs; // stopMs: a stop time the track holds, 0 none
    int elapsedMs;
    QString time;
};
} // namespace
Q_DECLARE_METATYPE(TTimes)
Q_DECLARE_METATYPE(TLiveOptions)

class TestLive : public QObject {
    Q_OBJECT
    TManualClock clock;
    std::unique_ptr<TLiveServer> server;
    quint16 port = 0;

    std::unique_ptr<TLiveServer> StartServer(TLiveOptions options) {
        options.sweepMs = 20;
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
        server->PublishProtocol(PageWith(QStringLiteral("Muster, Max")), {});
        QString error; // a port that is taken is refused, with the reason
        QVERIFY(!TLiveServer().Start(QHostAddress::LocalHost, port, &error) && !error.isEmpty());
    }
    void cleanupTestCase() {
        server.reset();
        SetTickSource({});
    }

    // --- what is served and what is refused ----------------------------------------------------
    // Only the program's own pages, each with its type and charset; nothing reaches the disk.
    // Each request is followed by a second one on the same connection, for a page that is not
    // there: answers come in the order asked, and after a refusal that closes the connection
    // nothing more is read from it (a body would otherwise be taken for requests). The server
    // lives on either way.
    void requests_data() {
        QTest::addColumn<QByteArray>("request"); // "/path": a GET of it
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("contains"); // somewhere in the answer, head or body
        const auto row = [](const char* name, const QByteArray& request, int status,
                            const char* type = "text/plain", const char* contains = "") {
            QTest::newRow(name) << request << status << QByteArray(type) << QByteArray(contains);
        };
        const char *html = "text/html; charset=utf-8", *json = "application/json; charset=utf-8";
        row("live page", "/", 200, html, "/live.js");
        row("its script", "/live.js", 200, "text/javascript; charset=utf-8", "EventSource");
        row("protocol page, reloads", "/protocol", 200, html, "<script src=\"/protocol.js\"");
        row("protocol script", "/protocol.js", 200, "text/javascript; charset=utf-8", "reload");
        row("state", "/api/state", 200, json, "\"tracks\"");
        row("state with a query", "/api/state?t=1", 200, json, "\"state\"");
        row("protocol json", "/api/protocol", 200, json, "Muster, Max");
        row("protocol page on a phone", "/protocol", 200, html, "width=device-width");
        row("bracket page, reloads", "/bracket", 200, html, "data-event=\"bracket\"");
        row("up the tree, encoded", "/%2e%2e/%2e%2e/etc/passwd", 404);
        row("resource path", "/:/live/live.js", 404);
        row("POST", "POST /api/state HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 405, "text/plain",
            "Allow: GET");
        row("WebSocket upgrade",
            "GET /events HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
            "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n",
            400);
        row("no version", "GET /\r\n\r\n", 400);
        const QByteArray mb(1024 * 1024, 'x');
        const QByteArray lines = "GET / HTTP/1.1\r\n" + QByteArray("X-A: 1\r\n").repeated(200);
        row("1 MB address", "GET /" + mb + " HTTP/1.1\r\n\r\n", 431);
        row("200 header lines", lines + "\r\n", 431);
        row("1 MB body", "POST / HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n" + mb, 413);
        row("body after a header ended by LF CR LF", // not read on as more header lines
            "GET / HTTP/1.1\nHost: x\nContent-Length: 9000\n\r\n" + QByteArray(9000, 'e'), 413);
        row("chunked body", "GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n100000\r\n" + mb,
            413);
    }
    void requests() {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, contains);
        if (request.startsWith('/')) request = "GET " + request + " HTTP/1.1\r\n\r\n";
        QTcpSocket c;
        Connect(c, port, request + "GET /admin HTTP/1.1\r\nConnection: close\r\n\r\n");
        QByteArray rest = ReadUntil(c, [](const QByteArray&) { return false; });
        const TReply r = ParseReply(rest, &rest);
        QCOMPARE(Get(port, "/api/state").status, 200);
        // A huge request may be cut before its refusal could arrive; never answered with a page.
        if (request.size() > 100000 && r.status == 0) return;
        QCOMPARE(r.status, status);
        QCOMPARE(ParseReply(rest).status, status == 400 || status > 405 ? 0 : 404);
        QVERIFY2(r.Header("Content-Type").startsWith(type), r.head.constData());
        QVERIFY((r.head + r.body).contains(contains));
        QCOMPARE(r.Header("X-Content-Type-Options"), QByteArray("nosniff"));
        QVERIFY(r.Header("Content-Security-Policy").contains("default-src 'self'"));
    }

    // A participant's name arrives as it was typed on every page, and as text, never markup:
    // escaped in the HTML, which says the charset it is in.
    void escaping_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("markup") << QStringLiteral("</td></table><script>alert(1)</script>");
        QTest::newRow("quotes") << QStringLiteral("O'Neil \"Flash\" & Co");
        QTest::newRow("umlauts and Cyrillic") << QStringLiteral("Müller, Jürgen Ёлкин");
    }
    void escaping() {
        QFETCH(QString, name);
        const TLivePerson who{"7", name, name, name};
        server->PublishProtocol(PageWith(name), {name, {{name, {{1, who, "7,10", {"7,10"}}}}}});
        server->PublishBracket(
            {name, 1, {{name, *TBracket::Build({{0, 7100}, {1, 7200}}, 4), {who, who}, {}}}});
        server->PublishState(RunningState(clock.now, name));
        const auto restore = qScopeGuard([&] { server->PublishState({}); });
        const TReply page = Get(port, "/protocol");
        QVERIFY(page.body.contains("charset=UTF-8"));
        const QString html = QString::fromUtf8(page.body);
        QVERIFY(html.contains(name.toHtmlEscaped()));
        if (name.contains('<')) QVERIFY(!html.contains(name));
        const auto json = [&](const char* path) {
            return QJsonDocument::fromJson(Get(port, path).body);
        };
        QCOMPARE(json("/api/protocol")["rows"][0][1].toString(), name);
        QCOMPARE(json("/api/state")["tracks"][0]["participant"].toString(), name);
        QCOMPARE(json("/api/standings")["categories"][0]["rows"][0]["club"].toString(), name);
        QCOMPARE(json("/api/bracket")["brackets"][0]["rounds"][0]["heats"][0]["lanes"][0]["name"]
                     .toString(),
                 name);
        const QString bracketPage = QString::fromUtf8(Get(port, "/bracket").body);
        QVERIFY(bracketPage.contains(name.toHtmlEscaped()) && !bracketPage.contains("<script>"));
    }

    // What the phones are told of the competition: standings per category with dense places
    // (the dummy never, a DIS without a place), the last heats with what the protocol holds
    // now (a DIS after the stop, an undone time gone) and their winner, the finals' heats and
    // bracket. A script of the run: S start, T=time a stop, Dt DIS, R reset, U undo.
    void board_data() {
        QTest::addColumn<int>("mode"); // 3: the finals after a qualification in mode 2
        QTest::addColumn<int>("klassCol");
        QTest::addColumn<QString>("people");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("standings"); // category: place.number:result ...
        QTest::addColumn<QString>("heats");     // newest first; in the finals the bracket's
        const auto row = [](const char* name, int mode, int klass, const char* people,
                            const char* script, const char* standings, const char* heats) {
            QTest::newRow(name) << mode << klass << QString(people) << QString(script)
                                << QString(standings) << QString(heats);
        };
        row("ties", 2, 0, "1 2 3/_/9,00/9,00", "S 1=7,10 2=7,10 R S 1=8,00 2=8,00 R",
            "gesamt: 1.1:15,10 1.2:15,10 2.3:18,00", "2:8,00 1:8,00 | 1:7,10 2:7,10");
        row("DIS after the stop, no place", 2, 0, "1/_/_/7,00 2/_/7,00", "S 1=7,10 2=8,00 D1 R",
            "gesamt: 1.2:15,00 -.1:", "1:DIS. 2:8,00*");
        row("an undone time leaves the heat", 2, 0, "1/_/_/7,00 2/_/7,00", "S 1=7,10 2=8,00 R U",
            "gesamt: 1.1:14,10 -.2:", "1:7,10");
        row("the dummy never", 0, 0, "1 2 3", "S 1=9,00 2=9,50 R S 1=7,00 2=8,00 R",
            "gesamt: 1.1:17,00 -.2: -.3:", "2:7,00* 1:8,00 | 1:9,00");
        row("per class", 2, 4, "1/Damen 2/Herren 3/damen/8,00/8,00 4/Herren/9,00/9,00", "",
            "damen: 1.3:16,00 -.1: | Herren: 1.4:18,00 -.2:", "");
        row("finals: bracket heats, the current marked", 3, 0,
            "1/A/7,00/7,00 2/A/7,10/7,10 3/A/7,20/7,20 4/A/7,30/7,30", "S 1=6,00 2=DIS. R",
            "gesamt: 1.1:14,00 2.2:14,20 3.3:14,40 4.4:14,60",
            "1:6,00* 4:DIS. | now 2: 3: | 4: : | 1: :");
        row("finals per class: the class on the tracks marked", 3, 4,
            "1/A/7,00/7,00 2/B/7,10/7,10 3/A/7,20/7,20 4/B/7,30/7,30 5/B/7,40/7,40", "",
            "A: 1.1:14,00 2.3:14,40 | B: 1.2:14,20 2.4:14,60 3.5:14,80",
            "A: 1:* : | 3:* : | : : | now 1: 3: || B: 2:* : | 4: 5: | : : | 2: :");
    }
    void board() {
        QFETCH(int, mode);
        QFETCH(int, klassCol);
        QFETCH(QString, people);
        QFETCH(QString, script);
        TCompetition c;
        LoadField(c, mode, klassCol, people);
        TLiveHeatLog log;
        for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
            const int track = step.mid(step.startsWith('D') ? 1 : 0, 1).toInt() - 1;
            if (step == "S") {
                c.SetHeatRunning(true);
                log.Started(c, "Q");
            } else if (step == "R") {
                c.SetHeatRunning(false);
                c.ResetLastCells();
                c.Advance();
                log.Ended();
            } else if (step == "U") {
                QVERIFY(c.Undo());
            } else if (step.startsWith('D')) {
                QVERIFY(c.Disqualify(track));
            } else {
                QVERIFY(c.RecordTime(track, step.mid(2)));
                log.Stopped(c, track);
            }
            c.Recompute();
        }
        QStringList standings;
        const QJsonDocument s = QJsonDocument::fromJson(LiveStandingsJson(LiveStandings(c, "")));
        for (const QJsonValue& cat : s["categories"].toArray()) {
            QString text = cat["category"].toString() + ':';
            for (const QJsonValue& r : cat["rows"].toArray())
                text += QStringLiteral(" %1.%2:%3")
                            .arg(r["place"].isNull() ? "-" : QString::number(r["place"].toInt()),
                                 r["startNumber"].toString(), r["result"].toString());
            standings << text;
        }
        QTEST(standings.join(" | "), "standings");
        TLiveState state;
        state.heats = mode == 3 ? LiveFinalsHeats(c, 1, 8) : log.Heats(c, 8);
        const QJsonArray heats =
            QJsonDocument::fromJson(LiveStateJson(state, 0))["heats"].toArray();
        const QJsonDocument b = QJsonDocument::fromJson(LiveBracketJson(LiveBrackets(c, "", 1)));
        QStringList brackets; // per class: "class: heats"
        for (const QJsonValue& one : b["brackets"].toArray()) {
            QJsonArray bracketHeats;
            for (const QJsonValue& r : one["rounds"].toArray())
                for (const QJsonValue& h : r["heats"].toArray())
                    bracketHeats.append(h);
            brackets << (klassCol ? one["category"].toString() + ": " : QString()) +
                            Lanes(bracketHeats);
        }
        QTEST(mode == 3 ? brackets.join(" || ") : Lanes(heats), "heats");
        if (mode == 3 && !script.isEmpty()) QCOMPARE(Lanes(heats), QString("1:6,00* 4:DIS."));
    }

    // A start, a stop and a new protocol reach an open stream at once, with the test clock's
    // time; a page loaded meanwhile shows the same. A name cannot break an event apart.
    void eventStream() {
        QTcpSocket s;
        Connect(s, port, "GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
        QByteArray got;
        const auto next = [&](int n) {
            got += ReadUntil(s, [&](const QByteArray& a) { return Events(got + a).size() >= n; });
            return Events(got).value(n - 1);
        };
        QCOMPARE(next(2).first, QByteArray("protocol"));
        QCOMPARE(next(3).first, QByteArray("bracket"));
        QVERIFY(got.startsWith("HTTP/1.1 200"));
        QVERIFY(got.contains("\r\nContent-Type: text/event-stream; charset=utf-8\r\n"));
        clock.now = 50000;
        const QString name = QStringLiteral("a\n\nevent: state\ndata: x");
        server->PublishState(RunningState(48000, name));
        const QByteArray start = next(4).second;
        QCOMPARE(Track(start, 0)["elapsedMs"].toInt(), 2000);
        QCOMPARE(Track(start, 0)["participant"].toString(), name);
        TLiveState stopped = RunningState(48000);
        stopped.tracks[0].stopped = true;
        stopped.tracks[0].stopMs = 7345;
        stopped.heats = {{"Qualifikation", {{1, {"3", "Anna", "", ""}, "7,34", true}}}};
        server->PublishState(stopped);
        const QByteArray stop = next(5).second;
        QCOMPARE(Track(stop, 0)["time"].toString(), QStringLiteral("7,34"));
        QCOMPARE(QJsonDocument::fromJson(stop)["last"][0]["participant"].toString(), "3 Anna");
        QCOMPARE(Get(port, "/api/state").body, stop);
        server->PublishProtocol(PageWith(QStringLiteral("Neu, Nina")), {});
        QCOMPARE(next(6).first, QByteArray("protocol"));
        server->PublishBracket({});
        QCOMPARE(next(7).first, QByteArray("bracket"));
        server->PublishState({});
    }

    // The times as the state JSON gives them: worked out when sent from the start tick, final
    // once stopped. A stop, a reaction and a false start are the run's: gone once it is Ready.
    void stateTimes_data() {
        QTest::addColumn<TTimes>("row");
        const auto ready = TLiveRun::Ready, running = TLiveRun::Running;
        QTest::newRow("ready: zero") << TTimes{ready, 1, 500, 90000, 0, 0, "0,00"};
        QTest::newRow("minutes") << TTimes{running, 1, 1000, 66239, 0, 65239, "1:05,23"};
        QTest::newRow("seconds") << TTimes{running, 0, 1000, 66239, 0, 65239, "65,23"};
        QTest::newRow("across the wrap") << TTimes{running, 1, 0xFFFFFF00u, 0x100, 0, 512, "0,51"};
        QTest::newRow("stopped: final") << TTimes{running, 1, 1000, 99999, 7349, 7349, "7,34"};
        QTest::newRow("finished: the stop")
            << TTimes{TLiveRun::Finished, 0, 1000, 99999, 12000, 12000, "12,00"};
        QTest::newRow("a stop before a reset") << TTimes{ready, 1, 1000, 99999, 12000, 0, "0,00"};
        QTest::newRow("far past: not negative")
            << TTimes{running, 1, 10, 0x90000000u, 0, 0, "0,00"};
    }
    void stateTimes() {
        QFETCH(TTimes, row);
        TLiveState s;
        s.run = row.run;
        s.startTick = row.start;
        s.timeFormat = row.format;
        s.tracks[1].stopped = row.stopMs != 0;
        s.tracks[1].stopMs = row.stopMs;
        s.tracks[1].reaction = QStringLiteral("0,043");
        s.tracks[1].falseStart = true;
        const QJsonObject t = Track(LiveStateJson(s, row.now), 1);
        QCOMPARE(t["track"].toInt(), 2);
        QCOMPARE(t["reaction"].toString() + (t["falseStart"].toBool() ? "!" : ""),
                 QString(row.run == TLiveRun::Ready ? "" : "0,043!"));
        QCOMPARE(t["running"].toBool(), row.run == TLiveRun::Running && !row.stopMs);
        QCOMPARE(t["elapsedMs"].toInt(), row.elapsedMs);
        QCOMPARE(t["time"].toString(), row.time);
    }

    // As many tracks as there are towers, never more than exist, never none; the protocol's
    // hidden columns left out; a track's colour in the page's byte order.
    void stateAndProtocolShape() {
        TLiveState s;
        for (const auto& [count, shown] : {std::pair{1, 1}, {2, 2}, {7, 2}, {0, 1}}) {
            s.trackCount = count;
            QCOMPARE(QJsonDocument::fromJson(LiveStateJson(s, 0))["tracks"].toArray().size(),
                     shown);
        }
        THtmlPage page;
        page.rows << QStringList{"St.Nr.", "Name", "Ort", "Klasse"} << QStringList{"1", "A", "B"};
        page.colWidths = {40, -1, 0}; // a column without a width is shown
        const QJsonDocument o = QJsonDocument::fromJson(LiveProtocolJson(page));
        QCOMPARE(o["columns"].toArray(), (QJsonArray{"St.Nr.", "Klasse"}));
        QCOMPARE(o["rows"].toArray(), (QJsonArray{QJsonArray{"1", ""}}));
        QCOMPARE(LiveCssColour(0x123456u), QString("#563412"));
    }

    // --- clients that take more than their share --------------------------------------------
    // A client that sends request after request and reads none of the answers is sent one at
    // a time: the program's memory stays where it was, visitors are answered meanwhile, and
    // once it has taken nothing for 30 s it is dropped.
    void requestsNeverRead() {
        if (RssKb() < 0) QSKIP("no /proc/self/status here");
        auto s = StartServer({});
        s->PublishProtocol(PageWith(QStringLiteral("Muster, Max"), 4000), {});
        const qsizetype pageBytes = Get(s->Port(), "/protocol").body.size();
        QVERIFY2(pageBytes > 200 * 1024, QByteArray::number(pageBytes));
        const long before = RssKb();
        QTcpSocket greedy;
        greedy.setReadBufferSize(1); // takes one byte and then nothing more
        Connect(greedy, s->Port(),
                QByteArray("GET /protocol HTTP/1.1\r\nHost: x\r\n\r\n").repeated(2000));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(Get(s->Port(), "/api/state").status, 200);
        QTest::qWait(300); // all that can be sent is sent
        const long grown = RssKb() - before;
        QVERIFY2(grown < 32 * pageBytes / 1024, QByteArray::number(qlonglong(grown)) + " kB");
        // Still connected: one answer at a time leaves it nothing piled up to be dropped for.
        QVERIFY(WaitUntil([&] { return s->ConnectionCount() == 1; }));
        clock.advance(31000);
        QVERIFY(WaitUntil([&] { return s->ConnectionCount() == 0; }));
    }

    // Places are limited in all and per address, so one machine cannot take every place; half
    // a request holds one for 10 s at most, a connection that asks nothing for 60 s.
    void connectionLimit_data() {
        QTest::addColumn<TLiveOptions>("options");
        QTest::addColumn<bool>("oneAddress");
        QTest::newRow("every place taken") << TLiveOptions{.maxConnections = 3} << false;
        QTest::newRow("one address's places taken") << TLiveOptions{.maxPerAddress = 3} << true;
    }
    void connectionLimit() {
        QFETCH(TLiveOptions, options);
        QFETCH(bool, oneAddress);
        auto small = StartServer(options);
        QTcpSocket held[3];
        for (QTcpSocket& c : held)
            Connect(c, small->Port());
        held[0].write("GET / HTTP/1.1\r\nHost:");
        QVERIFY(WaitUntil([&] { return small->ConnectionCount() == 3; }));
        QCOMPARE(Get(small->Port(), "/").status, 503);
        const QByteArray get = "GET / HTTP/1.1\r\nConnection: close\r\n\r\n";
        QCOMPARE(Fetch(small->Port(), get, QHostAddress("127.0.0.2")).status,
                 oneAddress ? 200 : 503);
        QTest::qWait(60); // the server has read the half request
        for (const auto& [advanceMs, left] :
             {std::pair{9000u, 3}, {2000u, 2}, {39000u, 2}, {11000u, 0}}) {
            clock.advance(advanceMs);
            WaitUntil([&] { return small->ConnectionCount() == left; }, 300);
            QTest::qWait(60); // and nobody else goes before their time
            QCOMPARE(small->ConnectionCount(), left);
        }
        QCOMPARE(Get(small->Port(), "/").status, 200);
    }

    // An event stream whose client does not read is dropped; the one that reads stays and
    // gets every event.
    void streamNotRead_data() {
        QTest::addColumn<TLiveOptions>("options");
        QTest::addColumn<int>("advanceMs"); // the test clock moves on once the events are out
        const qint64 big = 64 << 20, small = 64 * 1024;
        QTest::newRow("its own bytes")
            << TLiveOptions{.maxUnsentBytes = small, .maxTotalUnsentBytes = big} << 0;
        QTest::newRow("all streams' bytes")
            << TLiveOptions{.maxUnsentBytes = big, .maxTotalUnsentBytes = small} << 0;
        QTest::newRow("nothing taken for 30 s")
            << TLiveOptions{.maxUnsentBytes = big, .maxTotalUnsentBytes = big} << 31000;
    }
    void streamNotRead() {
        QFETCH(TLiveOptions, options);
        QFETCH(int, advanceMs);
        auto s = StartServer(options);
        QTcpSocket lazy, reader;
        lazy.setReadBufferSize(1); // takes one byte and then nothing more
        for (QTcpSocket* c : {&lazy, &reader})
            Connect(*c, s->Port(), "GET /events HTTP/1.1\r\n\r\n");
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
        QCOMPARE(reader.state(), QAbstractSocket::ConnectedState);
        QVERIFY(Events(readerGot).size() > 64);
    }
};

QTEST_GUILESS_MAIN(TestLive)
#include "tst_live.moc"
