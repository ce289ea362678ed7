#pragma once
// A plain HTTP GET against the live server, for tests on the GUI thread: the server runs on
// its own thread, so waiting here blocks nothing it needs.
#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

// The body of GET path on loopback, or an empty array when no 200 came back.
inline QByteArray LiveGet(quint16 port, const QByteArray& path) {
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(5000)) return {};
    s.write("GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QByteArray all;
    while (s.waitForReadyRead(5000))
        all += s.readAll();
    all += s.readAll();
    const qsizetype end = all.indexOf("\r\n\r\n");
    if (!all.startsWith("HTTP/1.1 200") || end < 0) return {};
    return all.mid(end + 4);
}

inline QJsonObject LiveJson(quint16 port, const QByteArray& path) {
    return QJsonDocument::fromJson(LiveGet(port, path)).object();
}
