#pragma once
// A plain HTTP GET on loopback, for tests on the GUI thread: the live server runs on its own
// thread (and a browser's DevTools in its own process), so waiting here blocks nothing.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
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
    // Read until the body is as long as the head says: a browser's DevTools keeps the
    // connection open.
    static const QRegularExpression length(QStringLiteral("\r\ncontent-length:\\s*(\\d+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    QByteArray all;
    const auto complete = [&] {
        const qsizetype end = all.indexOf("\r\n\r\n");
        return end >= 0 &&
               all.size() - end - 4 >=
                   length.match(QString::fromLatin1(all.left(end))).captured(1).toLongLong();
    };
    const QDeadlineTimer deadline(10000);
    while (!complete() && s.waitForReadyRead(int(deadline.remainingTime())))
        all += s.readAll();
    const qsizetype end = all.indexOf("\r\n\r\n");
    if (!all.startsWith("HTTP/1.1 200") || end < 0) return {};
    return all.mid(end + 4);
}

inline QJsonObject LiveJson(quint16 port, const QByteArray& path) {
    return QJsonDocument::fromJson(LiveGet(port, path)).object();
}
