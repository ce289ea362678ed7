#pragma once
// Test helpers that need no window: waiting on the event loop and pointing port numbers at
// chosen devices.
#include <functional>
#include <QHash>
#include <QList>
#include <QString>

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
