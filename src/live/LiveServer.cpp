#include "live/LiveServer.h"

#include "core/TickCount.h"
#include "live/LiveHttp.h"
#include "live/LivePageText.h"

#ifdef Q_OS_LINUX
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <QFile>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <utility>

namespace {

QByteArray StatusLine(int status) {
    const char* text = "OK";
    switch (status) {
    case 400:
        text = "Bad Request";
        break;
    case 404:
        text = "Not Found";
        break;
    case 405:
        text = "Method Not Allowed";
        break;
    case 413:
        text = "Payload Too Large";
        break;
    case 431:
        text = "Request Header Fields Too Large";
        break;
    case 503:
        text = "Service Unavailable";
        break;
    default:
        break;
    }
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + text + "\r\n";
}

// Sent with every answer: the pages load nothing from elsewhere and run no inline script.
const QByteArray CommonHeaders = "Cache-Control: no-cache\r\n"
                                 "X-Content-Type-Options: nosniff\r\n"
                                 "Referrer-Policy: no-referrer\r\n"
                                 "Content-Security-Policy: default-src 'self'; "
                                 "style-src 'self' 'unsafe-inline'; img-src 'self' data:\r\n";
// The JSON and the stream are meant for overlays served from elsewhere (a streaming desk).
const QByteArray AnyOrigin = "Access-Control-Allow-Origin: *\r\n";
const QByteArray PlainText = "text/plain; charset=utf-8";

QByteArray Event(const char* name, const QByteArray& data) {
    return QByteArray("event: ") + name + "\ndata: " + data + "\n\n";
}

bool Elapsed(quint32 now, quint32 since, int ms) {
    return qint32(now - since) > ms;
}

QByteArray Resource(const char* name) {
    QFile f(QStringLiteral(":/live/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? LocalizedLivePage(f.readAll()) : QByteArray();
}

// The blank line that ends a header block, after lines ended by CRLF or by LF alone.
bool HeaderEnds(const QByteArray& head) {
    return head.endsWith("\n\n") || head.endsWith("\n\r\n");
}

struct TRequest {
    int refuse = 0; // a status when the request is not answered as asked
    const char* reason = "";
    QByteArray method, path;
    bool close = false;
};

TRequest ParseRequest(const QByteArray& head) {
    const auto refused = [](int status, const char* reason) {
        TRequest r;
        r.refuse = status;
        r.reason = reason;
        return r;
    };
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r')) line.chop(1);
    const QList<QByteArray> first = lines.first().split(' ');
    if (first.size() != 3 || first[0].isEmpty() || first[1].isEmpty() ||
        !first[2].startsWith("HTTP/1."))
        return refused(400, "Fehlerhafte Anfrage\n");
    TRequest r;
    r.method = first[0];
    bool close = false, keepAlive = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        if (line.isEmpty()) continue; // the blank line at the end
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || line.front() == ' ' || line.front() == '\t')
            return refused(400, "Fehlerhafte Kopfzeile\n");
        const QByteArray key = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        // No request here carries a body, so one that announces a body is refused before a
        // byte of it is read.
        if ((key == "content-length" && value != "0") || key == "transfer-encoding")
            return refused(413, "Anfragen mit Inhalt werden nicht angenommen\n");
        // These pages offer no other protocol (no WebSocket either).
        if (key == "upgrade") return refused(400, "Kein Protokollwechsel\n");
        if (key == "connection")
            for (const QByteArray& token : value.toLower().split(',')) {
                close = close || token.trimmed() == "close";
                keepAlive = keepAlive || token.trimmed() == "keep-alive";
            }
    }
    r.close = close || (first[2] == "HTTP/1.0" && !keepAlive);
    r.path = QUrl::fromEncoded(first[1]).path(QUrl::FullyEncoded).toUtf8();
    return r;
}

// What the client has not taken yet: the socket's buffer and, where the system tells, what
// waits in the kernel for the client to acknowledge it.
qint64 NotTaken(QTcpSocket* s) {
    qint64 n = s->bytesToWrite();
#ifdef Q_OS_LINUX
    int queued = 0;
    if (ioctl(int(s->socketDescriptor()), SIOCOUTQ, &queued) == 0) n += queued;
#endif
    return n;
}

} // namespace

// --- listener -------------------------------------------------------------------------------

void TLiveListener::incomingConnection(qintptr handle) {
    auto* s = new QTcpSocket(this);
    if (!s->setSocketDescriptor(handle)) {
        delete s;
        return;
    }
    if (!m_http.Admit(s)) {
        connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater);
        s->write(StatusLine(503) + "Content-Length: 0\r\nRetry-After: 5\r\n"
                                   "Connection: close\r\n\r\n");
        s->disconnectFromHost();
    }
}

// --- server thread ----------------------------------------------------------------------------

TLiveHttp::TLiveHttp(TLiveServer::TShared& shared, const TLiveOptions& options,
                     std::atomic<int>& connections, std::atomic<int>& streams)
    : m_shared(shared), m_options(options), m_connectionCount(connections), m_streamCount(streams),
      m_listener(new TLiveListener(*this)), m_sweep(new QTimer(this)),
      m_heartbeat(new QTimer(this)) {
    m_listener->setParent(this);
    // Only what is compiled into the program is ever served: no path reaches the disk.
    m_assets.insert("/", {"text/html; charset=utf-8", Resource("index.html")});
    m_assets.insert("/live.js", {"text/javascript; charset=utf-8", Resource("live.js")});
    m_assets.insert("/live.css", {"text/css; charset=utf-8", Resource("live.css")});
    m_assets.insert("/protocol.js", {"text/javascript; charset=utf-8", Resource("protocol.js")});
    connect(m_sweep, &QTimer::timeout, this, &TLiveHttp::Sweep);
    connect(m_heartbeat, &QTimer::timeout, this, &TLiveHttp::Heartbeat);
}

TLiveHttp::~TLiveHttp() {
    m_listener->close();
    for (QTcpSocket* s : m_conns.keys()) {
        disconnect(s, nullptr, this, nullptr);
        s->abort();
    }
    m_conns.clear();
    m_streams.clear();
    m_connectionCount = 0;
    m_streamCount = 0;
}

bool TLiveHttp::Listen(const QHostAddress& address, quint16 port, QString* error, quint16* bound) {
    if (!m_listener->listen(address, port)) {
        if (error) *error = m_listener->errorString();
        return false;
    }
    *bound = m_listener->serverPort();
    m_sweep->start(m_options.sweepMs);
    m_heartbeat->start(m_options.heartbeatMs);
    return true;
}

bool TLiveHttp::Admit(QTcpSocket* s) {
    if (m_conns.size() >= m_options.maxConnections) return false;
    const QHostAddress peer = s->peerAddress();
    const auto same = std::count_if(m_conns.cbegin(), m_conns.cend(),
                                    [&](const TConn& c) { return c.peer == peer; });
    if (same >= m_options.maxPerAddress) return false;
    TConn c;
    c.alive = s;
    c.peer = peer;
    c.lastActive = c.takenAt = TickCount();
    m_conns.insert(s, c);
    ++m_connectionCount;
    // What is not yet read stays in the system's buffers, and a client that sends more than
    // that is held up there. A small send buffer: a client that stops reading shows up in
    // bytesToWrite soon.
    s->setReadBufferSize(qMax(m_options.maxHeaderBytes, 4096));
    s->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 64 * 1024);
    connect(s, &QIODevice::readyRead, this, [this, s] { Read(s); });
    connect(s, &QIODevice::bytesWritten, this, [this, s] {
        if (s->bytesToWrite() == 0) Read(s); // the answer is out: the next request
    });
    connect(s, &QAbstractSocket::disconnected, s, &QObject::deleteLater);
    connect(s, &QObject::destroyed, this, [this, s] { Forget(s); });
    return true;
}

void TLiveHttp::Forget(QTcpSocket* s) {
    if (m_conns.remove(s)) --m_connectionCount;
    if (m_streams.remove(s)) --m_streamCount;
}

void TLiveHttp::Read(QTcpSocket* s) {
    for (;;) {
        auto it = m_conns.find(s);
        if (it == m_conns.end() || it->closing) return;
        if (it->stream) { // a stream only listens: whatever its client still sends is dropped
            s->readAll();
            return;
        }
        // One request at a time: what the client sent after it waits until the answer is out.
        if (s->bytesToWrite() > 0 || s->bytesAvailable() == 0) return;
        TConn& c = *it;
        const QByteArray data = s->peek(s->bytesAvailable());
        const quint32 now = TickCount();
        qsizetype used = 0;
        const char* tooBig = nullptr;
        bool whole = false;
        while (used < data.size() && !whole && !tooBig) {
            const char ch = data.at(used++);
            if (!c.inRequest) {
                if (ch == '\r' || ch == '\n') continue; // blank lines between requests
                c.inRequest = true;
                c.deadline = now + quint32(m_options.requestTimeoutMs);
                c.head.clear();
            }
            c.head.append(ch);
            if (c.head.size() > m_options.maxHeaderBytes)
                tooBig = "Anfrage zu gross\n";
            else if (ch == '\n' && c.head.count('\n') > m_options.maxHeaderLines + 1)
                tooBig = "Zu viele Kopfzeilen\n";
            else
                whole = ch == '\n' && HeaderEnds(c.head);
        }
        s->read(used); // what follows the request stays in the socket
        if (tooBig) return Refuse(s, 431, tooBig);
        if (!whole) return;
        c.inRequest = false;
        c.lastActive = now;
        Answer(s, std::exchange(c.head, {}));
    }
}

void TLiveHttp::Answer(QTcpSocket* s, const QByteArray& head) {
    const TRequest request = ParseRequest(head);
    if (request.refuse) return Refuse(s, request.refuse, request.reason);
    const bool close = request.close;
    if (request.method != "GET") {
        Send(s, 405, PlainText, "Nur GET\n", close, "Allow: GET\r\n");
        return;
    }
    const QByteArray& path = request.path;
    if (path == "/events") {
        StartStream(s);
        return;
    }
    if (path == "/api/state") {
        TLiveState state;
        {
            QMutexLocker lock(&m_shared.lock);
            state = m_shared.state;
        }
        Send(s, 200, "application/json; charset=utf-8", LiveStateJson(state, TickCount()), close,
             AnyOrigin);
        return;
    }
    const QByteArray json = "application/json; charset=utf-8", html = "text/html; charset=utf-8";
    if (path == "/api/protocol" || path == "/protocol" || path == "/api/standings") {
        RefreshProtocol();
        if (path == "/protocol")
            Send(s, 200, html, m_protocolHtml, close, {}, true);
        else
            Send(s, 200, json, path == "/api/protocol" ? m_protocolJson : m_standingsJson, close,
                 AnyOrigin, true);
        return;
    }
    if (path == "/api/bracket" || path == "/bracket") {
        RefreshBracket();
        if (path == "/bracket")
            Send(s, 200, html, m_bracketHtml, close, {}, true);
        else
            Send(s, 200, json, m_bracketJson, close, AnyOrigin, true);
        return;
    }
    const auto asset = m_assets.constFind(path);
    if (asset != m_assets.cend()) {
        Send(s, 200, asset->first, asset->second, close, {}, true);
        return;
    }
    Send(s, 404, PlainText, "Nicht gefunden\n", close);
}

void TLiveHttp::Send(QTcpSocket* s, int status, const QByteArray& type, const QByteArray& body,
                     bool close, const QByteArray& extra, bool sharedBody) {
    QByteArray head = StatusLine(status);
    head += "Content-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size()) +
            "\r\n" + CommonHeaders + extra;
    if (close) head += "Connection: close\r\n";
    head += "\r\n";
    // Written apart from its head, a page's bytes are shared with every other answer that
    // carries them rather than copied.
    s->write(head);
    s->write(body);
    auto it = m_conns.find(s);
    if (it == m_conns.end()) return;
    it->written += head.size() + body.size();
    it->shared = sharedBody ? body.size() : 0;
    if (!close) return;
    it->closing = true;
    s->disconnectFromHost();
}

void TLiveHttp::Refuse(QTcpSocket* s, int status, const char* reason) {
    auto it = m_conns.find(s);
    if (it != m_conns.end()) {
        it->inRequest = true; // the sweep ends it if the client does not let go
        it->deadline = TickCount() + quint32(m_options.requestTimeoutMs);
    }
    Send(s, status, PlainText, reason, true);
}

qint64 TLiveHttp::Own(const TConn& c, QTcpSocket* s) const {
    const qint64 unsent = s->bytesToWrite();
    return unsent - qMin(unsent, c.shared);
}

void TLiveHttp::Drop(QTcpSocket* s) {
    Forget(s);
    disconnect(s, nullptr, this, nullptr);
    s->abort();
    s->deleteLater();
}

void TLiveHttp::Sweep() {
    const quint32 now = TickCount();
    QList<QTcpSocket*> late, gone;
    QList<QPair<qint64, QTcpSocket*>> holding; // own unsent bytes, connection
    qint64 total = 0;
    for (auto it = m_conns.begin(); it != m_conns.end(); ++it) {
        TConn& c = it.value();
        QTcpSocket* s = it.key();
        if (!c.alive) {
            gone << s;
            continue;
        }
        const qint64 notTaken = NotTaken(s), taken = c.written - notTaken;
        if (notTaken == 0 || taken != c.taken) {
            c.taken = taken;
            c.takenAt = now;
        }
        const qint64 own = Own(c, s);
        if (own > m_options.maxUnsentBytes || Elapsed(now, c.takenAt, m_options.stallTimeoutMs) ||
            (!c.stream && (c.inRequest ? qint32(now - c.deadline) > 0
                                       : Elapsed(now, c.lastActive, m_options.idleTimeoutMs)))) {
            late << s;
            continue;
        }
        total += own;
        if (own > 0) holding.append({own, s});
    }
    // Too much waiting in all: those holding the most go first.
    std::sort(holding.begin(), holding.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [own, s] : holding) {
        if (total <= m_options.maxTotalUnsentBytes) break;
        total -= own;
        late << s;
    }
    for (QTcpSocket* s : gone)
        Forget(s);
    for (QTcpSocket* s : late)
        Drop(s);
}

void TLiveHttp::RefreshProtocol() {
    THtmlPage page;
    TLiveStandings standings;
    quint64 version = 0;
    {
        QMutexLocker lock(&m_shared.lock);
        version = m_shared.protocolVersion;
        if (version == m_builtProtocol) return;
        page = m_shared.page;
        standings = m_shared.standings;
    }
    m_protocolHtml = LiveProtocolHtml(page, version);
    m_protocolJson = LiveProtocolJson(page);
    m_standingsJson = LiveStandingsJson(standings);
    m_builtProtocol = version;
}

void TLiveHttp::RefreshBracket() {
    TLiveBrackets brackets;
    quint64 version = 0;
    {
        QMutexLocker lock(&m_shared.lock);
        version = m_shared.bracketVersion;
        if (version == m_builtBracket) return;
        brackets = m_shared.brackets;
    }
    m_bracketHtml = LiveBracketHtml(brackets, version);
    m_bracketJson = LiveBracketJson(brackets);
    m_builtBracket = version;
}

QByteArray TLiveHttp::StateEvent() {
    TLiveState state;
    {
        QMutexLocker lock(&m_shared.lock);
        state = m_shared.state;
    }
    return Event("state", LiveStateJson(state, TickCount()));
}

void TLiveHttp::StartStream(QTcpSocket* s) {
    TConn& c = m_conns[s];
    c.stream = true;
    c.shared = 0;
    m_streams.insert(s);
    ++m_streamCount;
    quint64 version = 0, bracket = 0;
    {
        QMutexLocker lock(&m_shared.lock);
        version = m_shared.protocolVersion;
        bracket = m_shared.bracketVersion;
    }
    QByteArray out = StatusLine(200);
    out += "Content-Type: text/event-stream; charset=utf-8\r\n" + CommonHeaders + AnyOrigin +
           "X-Accel-Buffering: no\r\n\r\n";
    out += "retry: 2000\n\n";
    out += StateEvent();
    out += Event("protocol", "{\"version\":" + QByteArray::number(version) + '}');
    out += Event("bracket", "{\"version\":" + QByteArray::number(bracket) + '}');
    SendToStream(s, out);
}

bool TLiveHttp::SendToStream(QTcpSocket* s, const QByteArray& bytes) {
    s->write(bytes);
    if (auto it = m_conns.find(s); it != m_conns.end()) it->written += bytes.size();
    if (s->bytesToWrite() <= m_options.maxUnsentBytes) return true;
    Drop(s);
    return false;
}

void TLiveHttp::SendToStreams(const QByteArray& bytes) {
    const QList<QTcpSocket*> streams = m_streams.values();
    for (QTcpSocket* s : streams) {
        const auto it = m_conns.constFind(s);
        if (it == m_conns.cend() || !it->alive)
            Forget(s);
        else
            SendToStream(s, bytes);
    }
}

void TLiveHttp::Changed() {
    quint64 stateVersion = 0, protocolVersion = 0, bracketVersion = 0;
    {
        QMutexLocker lock(&m_shared.lock);
        stateVersion = m_shared.stateVersion;
        protocolVersion = m_shared.protocolVersion;
        bracketVersion = m_shared.bracketVersion;
    }
    if (stateVersion != m_sentState) {
        m_sentState = stateVersion;
        SendToStreams(StateEvent());
    }
    if (protocolVersion != m_sentProtocol) {
        m_sentProtocol = protocolVersion;
        SendToStreams(
            Event("protocol", "{\"version\":" + QByteArray::number(protocolVersion) + '}'));
    }
    if (bracketVersion != m_sentBracket) {
        m_sentBracket = bracketVersion;
        SendToStreams(Event("bracket", "{\"version\":" + QByteArray::number(bracketVersion) + '}'));
    }
}

void TLiveHttp::Heartbeat() {
    if (m_streams.isEmpty()) return;
    bool running = false;
    {
        QMutexLocker lock(&m_shared.lock);
        running = m_shared.state.run == TLiveRun::Running;
    }
    // While a run is on, the state again: pages correct their own clock's drift with it.
    SendToStreams(running ? StateEvent() : QByteArray(":\n\n"));
}

// --- GUI thread ---------------------------------------------------------------------------------

TLiveServer::TLiveServer(TLiveOptions options, QObject* parent)
    : QObject(parent), m_options(options) {
    m_thread.setObjectName(QStringLiteral("LiveServer"));
}

TLiveServer::~TLiveServer() {
    Stop();
}

bool TLiveServer::Start(const QHostAddress& address, quint16 port, QString* error) {
    Stop();
    m_thread.start();
    m_anchor = new QObject;
    m_anchor->moveToThread(&m_thread);
    bool ok = false;
    quint16 bound = 0;
    QString reason;
    QMetaObject::invokeMethod(
        m_anchor,
        [&] {
    // Visitors wait rather than the clock: the server thread yields the core to the
    // GUI thread and the contact thread whenever both want it.
#ifdef Q_OS_LINUX
            setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
#else
            QThread::currentThread()->setPriority(QThread::LowPriority);
#endif
            m_http = new TLiveHttp(m_shared, m_options, m_connections, m_streams);
            ok = m_http->Listen(address, port, &reason, &bound);
        },
        Qt::BlockingQueuedConnection);
    if (!ok) {
        if (error) *error = reason;
        Stop();
        return false;
    }
    m_port = bound;
    m_address = address;
    return true;
}

void TLiveServer::Stop() {
    if (!m_thread.isRunning()) return;
    QMetaObject::invokeMethod(
        m_anchor,
        [this] {
            delete m_http;
            m_http = nullptr;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_anchor; // its thread has ended
    m_anchor = nullptr;
    m_port = 0;
}

void TLiveServer::PublishState(const TLiveState& state) {
    {
        QMutexLocker lock(&m_shared.lock);
        if (m_shared.state == state) return;
        m_shared.state = state;
        ++m_shared.stateVersion;
    }
    Notify();
}

void TLiveServer::PublishProtocol(const THtmlPage& page, const TLiveStandings& standings) {
    {
        QMutexLocker lock(&m_shared.lock);
        m_shared.page = page;
        m_shared.standings = standings;
        ++m_shared.protocolVersion;
    }
    Notify();
}

void TLiveServer::PublishBracket(const TLiveBrackets& brackets) {
    {
        QMutexLocker lock(&m_shared.lock);
        m_shared.brackets = brackets;
        ++m_shared.bracketVersion;
    }
    Notify();
}

void TLiveServer::Notify() {
    if (!m_http) return;
    TLiveHttp* http = m_http;
    QMetaObject::invokeMethod(
        http, [http] { http->Changed(); }, Qt::QueuedConnection);
}
