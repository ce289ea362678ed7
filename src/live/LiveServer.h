#pragma once
// The read-only web server of the live results. It runs on a thread of its own and answers
// from the last state and protocol the GUI thread handed over, so no request, however slow
// or hostile, can hold up the clock tick or a contact handler: publishing is a copy of
// implicitly shared values under a lock held for that copy only.
#include "live/LiveSnapshot.h"

#include <atomic>
#include <memory>
#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <QThread>

// Limits against clients that take more than their share; the defaults suit a hall full of
// phones, tests and the bench use smaller or bigger ones. A page's bytes are made once per change
// and shared by every answer that carries them, so the unsent bytes a connection is held to are
// its own: the head of its answer, its stream's events.
struct TLiveOptions {
    int maxConnections = 200;
    int maxPerAddress = 16;        // one machine cannot take every place
    int maxHeaderBytes = 8 * 1024; // request line and headers of one request
    int maxHeaderLines = 64;
    int requestTimeoutMs = 10000;                 // from the first byte of a request to its end
    int idleTimeoutMs = 60000;                    // a kept-alive connection without a request
    qint64 maxUnsentBytes = 256 * 1024;           // one connection's own unsent bytes
    qint64 maxTotalUnsentBytes = 8 * 1024 * 1024; // all connections' together
    int stallTimeoutMs = 30000;                   // data waiting that the client has taken none of
    int heartbeatMs = 1000; // stream keep-alive; resends the state while running
    int sweepMs = 250;      // how often the limits are checked
};

class TLiveHttp;

class TLiveServer : public QObject {
    Q_OBJECT
public:
    explicit TLiveServer(TLiveOptions options = {}, QObject* parent = nullptr);
    ~TLiveServer() override;

    // Listens on the address and port (0: any free port, for tests); stops a running server
    // first. False with the system's reason when the port cannot be had.
    bool Start(const QHostAddress& address, quint16 port, QString* error = nullptr);
    void Stop();
    bool IsListening() const { return m_port != 0; }
    quint16 Port() const { return m_port; }
    QHostAddress Address() const { return m_address; }

    // Hands over what the pages show; the server thread makes the bytes. The standings follow
    // the protocol and go with it.
    void PublishState(const TLiveState& state);
    void PublishProtocol(const THtmlPage& page, const TLiveStandings& standings);
    void PublishBracket(const TLiveBrackets& brackets);

    int ConnectionCount() const { return m_connections.load(); }
    int StreamCount() const { return m_streams.load(); }

    // What the server thread reads; only under its lock.
    struct TShared {
        QMutex lock;
        TLiveState state;
        quint64 stateVersion = 1;
        THtmlPage page;
        TLiveStandings standings;
        quint64 protocolVersion = 1;
        TLiveBrackets brackets;
        quint64 bracketVersion = 1;
    };

private:
    void Notify();

    TLiveOptions m_options;
    TShared m_shared;
    std::atomic<int> m_connections{0}, m_streams{0};
    std::atomic<bool> m_notifyPending{false};
    QThread m_thread;
    QObject* m_anchor = nullptr; // lives on the server thread
    TLiveHttp* m_http = nullptr; // made and deleted on the server thread
    quint16 m_port = 0;
    QHostAddress m_address;
};
