#pragma once
// A plain HTTP GET on loopback, for tests on the GUI thread: the live server runs on its own
// thread (and a browser's DevTools in its own process), so waiting here blocks nothing.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>

// A loopback port nobody listens on just now, for a server started through the settings (where
// 0 is refused like any port out of range).
inline quint16 FreeLoopbackPort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

// The body of GET path, or an empty array when no 200 came back.
inline QByteArray LiveGet(quint16 port, const QByteArray& path) {
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(5000)) return {};
    s.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
            "\r\nConnection: close\r\n\r\n");
    QByteArray all;
    QDeadlineTimer deadline(10000);
    qsizetype end = -1;
    qint64 length = -1;
    while (!deadline.hasExpired()) {
        if (!s.waitForReadyRead(int(deadline.remainingTime()))) break;
        all += s.readAll();
        end = all.indexOf("\r\n\r\n");
        if (end < 0) continue;
        const QByteArray head = all.left(end).toLower();
        const qsizetype at = head.indexOf("content-length:");
        if (at >= 0) length = head.mid(at + 15).split('\r').first().trimmed().toLongLong();
        if (length >= 0 && all.size() - end - 4 >= length) break;
    }
    all += s.readAll();
    end = all.indexOf("\r\n\r\n");
    if (!all.startsWith("HTTP/1.1 200") || end < 0) return {};
    return all.mid(end + 4);
}

inline QJsonObject LiveJson(quint16 port, const QByteArray& path) {
    return QJsonDocument::fromJson(LiveGet(port, path)).object();
}
