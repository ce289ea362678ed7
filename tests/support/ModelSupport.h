#pragma once
// Test helpers that need no window: files, waiting on the event loop, pseudo-terminals and
// pointing port numbers at chosen devices.
#include <fcntl.h>
#include <functional>
#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <stdlib.h>
#include <string>
#include <unistd.h>

// A file's bytes, and a file of the given bytes.
inline QByteArray Bytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
inline bool Put(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A pseudo-terminal pair: a device that opens as a tty but has no modem lines; the slave's path
// stands for the port.
struct TPty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    std::string slave = grantpt(master) == 0 && unlockpt(master) == 0 ? ptsname(master) : "";
    QString path = QString::fromStdString(slave);
    ~TPty() { ::close(master); }
};

// Runs the event loop until the condition holds, waking for every event (no fixed sleeps),
// for at most ms milliseconds. True when the condition came true.
bool WaitUntil(const std::function<bool()>& condition, int ms = 5000);

// Points chosen port numbers at chosen devices (pseudo-terminals, plain files) for one test and
// records every number asked for; all others name no device, as in every test program.
class TPortRedirect {
public:
    explicit TPortRedirect(QHash<int, QString> devices = {});
    ~TPortRedirect();
    TPortRedirect(const TPortRedirect&) = delete;
    TPortRedirect& operator=(const TPortRedirect&) = delete;
    QList<int> asked;

private:
    QHash<int, QString> m_devices;
};
