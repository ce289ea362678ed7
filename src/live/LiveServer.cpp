#include "live/LiveServer.h"

#include "core/TickCount.h"
#include "live/LiveHttp.h"

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <QFile>
#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

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

void Respond(QTcpSocket* s, int status, const QByteArray& type, const QByteArray& body, bool close,
             const QByteArray& extra = {}) {
    QByteArray out = StatusLine(status);
    out += "Content-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\n" + CommonHeaders + extra;
    if (close) out += "Connection: close\r\n";
    out += "\r\n" + body;
    s->write(out);
    if (close) s->disconnectFromHost();
}

QByteArray Event(const char* name, const QByteArray& data) {
    return QByteArray("event: ") + name + "\ndata: " + data + "\n\n";
}

bool Elapsed(quint32 now, quint32 since, int ms) {
    return qint32(now - since) > ms;
}

QByteArray Resource(const char* name) {
    QFile f(QStringLiteral(":/live/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        return;
    }
    addPendingConnection(s);
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
    // Qt's server accepts WebSocket upgrades on its own; these pages use none.
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, [this] {
        while (hasPendingWebSocketConnections())
            if (auto ws = nextPendingWebSocketConnection()) ws->abort();
    });
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
    bind(m_listener);
    *bound = m_listener->serverPort();
    m_sweep->start(m_options.sweepMs);
    m_heartbeat->start(m_options.heartbeatMs);
    return true;
}

bool TLiveHttp::Admit(QTcpSocket* s) {
    if (m_conns.size() >= m_options.maxConnections) return false;
    TConn c;
    c.alive = s;
    c.lastActive = TickCount();
    m_conns.insert(s, c);
    ++m_connectionCount;
    // Connected before Qt's server connects its own: every byte is looked at before parsing.
    connect(s, &QIODevice::readyRead, this, [this, s] { Inspect(s); });
    connect(s, &QObject::destroyed, this, [this, s] { Forget(s); });
    return true;
}

void TLiveHttp::Forget(QTcpSocket* s) {
    if (m_conns.remove(s)) --m_connectionCount;
    if (m_streams.remove(s)) --m_streamCount;
}

void TLiveHttp::Inspect(QTcpSocket* s) {
    auto it = m_conns.find(s);
    if (it == m_conns.end()) return;
    TConn& c = *it;
    if (!c.secondHooked) {
        // Connected after Qt's parser: what it leaves unread is not new the next time.
        connect(s, &QIODevice::readyRead, this, [this, s] { AfterParser(s); });
        c.secondHooked = true;
    }
    const qint64 available = s->bytesAvailable();
    const QByteArray fresh = s->peek(available).mid(c.unconsumed);
    const quint32 now = TickCount();
    for (const char ch : fresh) {
        if (!c.inRequest) {
            if (ch == '\r' || ch == '\n') continue; // blank lines between requests
            c.inRequest = true;
            c.deadline = now + quint32(m_options.requestTimeoutMs);
            c.head.clear();
        }
        c.head.append(ch);
        if (c.head.size() > m_options.maxHeaderBytes) return Refuse(s, 431, "Anfrage zu gross\n");
        if (ch != '\n') continue;
        const qsizetype lines = c.head.count('\n');
        if (lines > m_options.maxHeaderLines + 1) return Refuse(s, 431, "Zu viele Kopfzeilen\n");
        if (!(c.head.endsWith("\r\n\r\n") || c.head.endsWith("\n\n"))) continue;
        // A whole header: no request here carries a body, so one that announces a body is
        // refused before a byte of it is read.
        for (const QByteArray& line : c.head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon < 0) continue;
            const QByteArray key = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if ((key == "content-length" && value != "0") || key == "transfer-encoding")
                return Refuse(s, 413, "Anfragen mit Inhalt werden nicht angenommen\n");
            // Qt's server would hand an upgraded connection to WebSockets; there are none here.
            if (key == "upgrade") return Refuse(s, 400, "Kein Protokollwechsel\n");
        }
        c.inRequest = false;
        c.lastActive = now;
    }
}

void TLiveHttp::AfterParser(QTcpSocket* s) {
    auto it = m_conns.find(s);
    if (it != m_conns.end()) it->unconsumed = s->bytesAvailable();
}

void TLiveHttp::Refuse(QTcpSocket* s, int status, const char* reason) {
    // Qt's parser never sees this connection again.
    disconnect(s, &QIODevice::readyRead, nullptr, nullptr);
    auto it = m_conns.find(s);
    if (it != m_conns.end()) {
        it->inRequest = true; // the sweep ends it if the client does not let go
        it->deadline = TickCount() + quint32(m_options.requestTimeoutMs);
    }
    Respond(s, status, "text/plain; charset=utf-8", reason, true);
}

void TLiveHttp::Drop(QTcpSocket* s) {
    if (m_streams.remove(s)) --m_streamCount;
    disconnect(s, &QIODevice::readyRead, nullptr, nullptr);
    s->abort();
    s->deleteLater();
}

void TLiveHttp::Sweep() {
    const quint32 now = TickCount();
    QList<QTcpSocket*> late, gone;
    for (auto it = m_conns.cbegin(); it != m_conns.cend(); ++it) {
        const TConn& c = it.value();
        if (!c.alive) {
            gone << it.key();
            continue;
        }
        if (c.stream) {
            if (it.key()->bytesToWrite() > m_options.maxUnsentBytes) late << it.key();
        } else if (c.inRequest ? qint32(now - c.deadline) > 0
                               : Elapsed(now, c.lastActive, m_options.idleTimeoutMs)) {
            late << it.key();
        }
    }
    for (QTcpSocket* s : gone)
        Forget(s);
    for (QTcpSocket* s : late)
        Drop(s);
}

bool TLiveHttp::handleRequest(const QHttpServerRequest& request, QTcpSocket* s) {
    auto it = m_conns.find(s);
    if (it == m_conns.end() || it->stream) return true; // a stream asks nothing more
    it->lastActive = TickCount();
    bool close = false;
    for (const auto& [key, value] : request.headers())
        if (key.compare("connection", Qt::CaseInsensitive) == 0 &&
            value.trimmed().compare("close", Qt::CaseInsensitive) == 0)
            close = true;

    if (request.method() != QHttpServerRequest::Method::Get) {
        Respond(s, 405, "text/plain; charset=utf-8", "Nur GET\n", close, "Allow: GET\r\n");
        return true;
    }
    const QByteArray path = request.url().path(QUrl::FullyEncoded).toUtf8();
    if (path == "/events") {
        StartStream(s);
        return true;
    }
    if (path == "/api/state") {
        TLiveState state;
        {
            QMutexLocker lock(&m_shared.lock);
            state = m_shared.state;
        }
        Respond(s, 200, "application/json; charset=utf-8", LiveStateJson(state, TickCount()), close,
                AnyOrigin);
        return true;
    }
    if (path == "/api/protocol" || path == "/protocol") {
        RefreshProtocol();
        if (path == "/protocol")
            Respond(s, 200, "text/html; charset=utf-8", m_protocolHtml, close);
        else
            Respond(s, 200, "application/json; charset=utf-8", m_protocolJson, close, AnyOrigin);
        return true;
    }
    const auto asset = m_assets.constFind(path);
    if (asset != m_assets.cend()) {
        Respond(s, 200, asset->first, asset->second, close);
        return true;
    }
    Respond(s, 404, "text/plain; charset=utf-8", "Nicht gefunden\n", close);
    return true;
}

void TLiveHttp::missingHandler(const QHttpServerRequest&, QTcpSocket* s) {
    Respond(s, 404, "text/plain; charset=utf-8", "Nicht gefunden\n", true);
}

void TLiveHttp::RefreshProtocol() {
    THtmlPage page;
    quint64 version = 0;
    {
        QMutexLocker lock(&m_shared.lock);
        version = m_shared.protocolVersion;
        if (version == m_builtProtocol) return;
        page = m_shared.page;
    }
    m_protocolHtml = LiveProtocolHtml(page, version);
    m_protocolJson = LiveProtocolJson(page);
    m_builtProtocol = version;
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
    m_conns[s].stream = true;
    // A stream only listens: whatever its client still sends is read and thrown away, and
    // Qt's parser never sees it.
    disconnect(s, &QIODevice::readyRead, nullptr, nullptr);
    connect(s, &QIODevice::readyRead, this, [s] { s->readAll(); });
    m_streams.insert(s);
    ++m_streamCount;
    // A small kernel buffer: a client that stops reading shows up in bytesToWrite soon.
    s->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 64 * 1024);
    quint64 version = 0;
    {
        QMutexLocker lock(&m_shared.lock);
        version = m_shared.protocolVersion;
    }
    QByteArray out = StatusLine(200);
    out += "Content-Type: text/event-stream; charset=utf-8\r\n" + CommonHeaders + AnyOrigin +
           "X-Accel-Buffering: no\r\n\r\n";
    out += "retry: 2000\n\n";
    out += StateEvent();
    out += Event("protocol", "{\"version\":" + QByteArray::number(version) + '}');
    SendToStream(s, out);
}

bool TLiveHttp::SendToStream(QTcpSocket* s, const QByteArray& bytes) {
    s->write(bytes);
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
    quint64 stateVersion = 0, protocolVersion = 0;
    {
        QMutexLocker lock(&m_shared.lock);
        stateVersion = m_shared.stateVersion;
        protocolVersion = m_shared.protocolVersion;
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

void TLiveServer::PublishProtocol(const THtmlPage& page) {
    {
        QMutexLocker lock(&m_shared.lock);
        m_shared.page = page;
        ++m_shared.protocolVersion;
    }
    Notify();
}

void TLiveServer::Notify() {
    if (!m_http) return;
    TLiveHttp* http = m_http;
    QMetaObject::invokeMethod(
        http, [http] { http->Changed(); }, Qt::QueuedConnection);
}
