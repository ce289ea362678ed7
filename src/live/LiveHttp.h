#pragma once
// The server thread's side of TLiveServer: the HTTP server with its routes and the guard that
// looks at every request's bytes before Qt's parser does.
#include "live/LiveServer.h"

#include <QAbstractHttpServer>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTcpServer>

class QTcpSocket;
class QTimer;

class TLiveHttp;

// Accepts connections up to the limit; a connection beyond it gets a short 503 and is closed.
class TLiveListener : public QTcpServer {
    Q_OBJECT
public:
    explicit TLiveListener(TLiveHttp& http) : m_http(http) {}

protected:
    void incomingConnection(qintptr handle) override;

private:
    TLiveHttp& m_http;
};

class TLiveHttp : public QAbstractHttpServer {
    Q_OBJECT
public:
    TLiveHttp(TLiveServer::TShared& shared, const TLiveOptions& options,
              std::atomic<int>& connections, std::atomic<int>& streams);
    ~TLiveHttp() override;

    bool Listen(const QHostAddress& address, quint16 port, QString* error, quint16* bound);
    // The GUI thread published something: send it to every event stream.
    void Changed();

    // Called by the listener for each accepted connection, before Qt's server sees it.
    bool Admit(QTcpSocket* socket);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct TConn {
        QPointer<QTcpSocket> alive; // whoever deletes the socket, this notices
        QByteArray head;            // the header block read so far
        bool inRequest = false;     // between a request's first byte and its blank line
        quint32 deadline = 0;       // TickCount() by which the request must be complete
        quint32 lastActive = 0;     // last request finished
        qint64 unconsumed = 0;      // bytes Qt's parser left in the socket last time
        bool secondHooked = false;
        bool stream = false;
    };
    void Inspect(QTcpSocket* socket);
    void AfterParser(QTcpSocket* socket);
    void Refuse(QTcpSocket* socket, int status, const char* reason);
    void Sweep();
    void Heartbeat();
    void Drop(QTcpSocket* socket);
    void Forget(QTcpSocket* socket);
    void StartStream(QTcpSocket* socket);
    void SendToStreams(const QByteArray& bytes);
    bool SendToStream(QTcpSocket* socket, const QByteArray& bytes);
    QByteArray StateEvent();
    void RefreshProtocol(); // the protocol's bytes, made again when its version moved on

    TLiveServer::TShared& m_shared;
    TLiveOptions m_options;
    std::atomic<int>& m_connectionCount;
    std::atomic<int>& m_streamCount;
    TLiveListener* m_listener;
    QTimer *m_sweep, *m_heartbeat;
    QHash<QTcpSocket*, TConn> m_conns;
    QSet<QTcpSocket*> m_streams;
    quint64 m_sentState = 0, m_sentProtocol = 0, m_builtProtocol = 0;
    QByteArray m_protocolHtml, m_protocolJson;
    QHash<QByteArray, QPair<QByteArray, QByteArray>> m_assets; // path -> type, bytes
};
