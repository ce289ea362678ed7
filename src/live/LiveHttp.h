#pragma once
// The server thread's side of TLiveServer: the connections, the reading of their requests and
// the routes. Requests are read here, one at a time per connection: the next is read only once
// the answer to the last has gone out, so a client that sends and never reads holds one answer.
#include "live/LiveServer.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTcpServer>

class QTcpSocket;
class QTimer;

class TLiveHttp;

// Accepts connections up to the limits; a connection beyond them gets a short 503 and is closed.
class TLiveListener : public QTcpServer {
    Q_OBJECT
public:
    explicit TLiveListener(TLiveHttp& http) : m_http(http) {}

protected:
    void incomingConnection(qintptr handle) override;

private:
    TLiveHttp& m_http;
};

class TLiveHttp : public QObject {
    Q_OBJECT
public:
    TLiveHttp(TLiveServer::TShared& shared, const TLiveOptions& options,
              std::atomic<int>& connections, std::atomic<int>& streams);
    ~TLiveHttp() override;

    bool Listen(const QHostAddress& address, quint16 port, QString* error, quint16* bound);
    // The GUI thread published something: send it to every event stream.
    void Changed();

    // Called by the listener for each accepted connection; false when a limit is reached.
    bool Admit(QTcpSocket* socket);

private:
    struct TConn {
        QPointer<QTcpSocket> alive; // whoever deletes the socket, this notices
        QHostAddress peer;
        QByteArray head;        // the header block read so far
        bool inRequest = false; // between a request's first byte and its blank line
        bool closing = false;   // answered for the last time: nothing more is read
        bool stream = false;
        quint32 deadline = 0;   // TickCount() by which the request must be complete
        quint32 lastActive = 0; // last request finished
        qint64 shared = 0;      // the page at the end of the answer being sent, shared by all
        qint64 written = 0;     // bytes handed to the socket so far
        qint64 taken = 0;       // of those, taken by the client at the last look
        quint32 takenAt = 0;    // when that last grew, or nothing was waiting
    };
    void Read(QTcpSocket* socket);
    void Answer(QTcpSocket* socket, const QByteArray& head);
    void Send(QTcpSocket* socket, int status, const QByteArray& type, const QByteArray& body,
              bool close, const QByteArray& extra = {}, bool sharedBody = false);
    void Refuse(QTcpSocket* socket, int status, const char* reason);
    qint64 Own(const TConn& c, QTcpSocket* socket) const;
    void Sweep();
    void Heartbeat();
    void Drop(QTcpSocket* socket);
    void Forget(QTcpSocket* socket);
    void StartStream(QTcpSocket* socket);
    void SendToStreams(const QByteArray& bytes);
    bool SendToStream(QTcpSocket* socket, const QByteArray& bytes);
    QByteArray StateEvent();
    void RefreshProtocol(); // the protocol's bytes, made again when its version moved on
    void RefreshBracket();

    TLiveServer::TShared& m_shared;
    TLiveOptions m_options;
    std::atomic<int>& m_connectionCount;
    std::atomic<int>& m_streamCount;
    TLiveListener* m_listener;
    QTimer *m_sweep, *m_heartbeat;
    QHash<QTcpSocket*, TConn> m_conns;
    QSet<QTcpSocket*> m_streams;
    quint64 m_sentState = 0, m_sentProtocol = 0, m_builtProtocol = 0;
    quint64 m_sentBracket = 0, m_builtBracket = 0;
    QByteArray m_protocolHtml, m_protocolJson, m_standingsJson, m_bracketHtml, m_bracketJson;
    QHash<QByteArray, QPair<QByteArray, QByteArray>> m_assets; // path -> type, bytes
};
