#include "ModelSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

bool WaitUntil(const std::function<bool()>& condition, int ms) {
    QDeadlineTimer deadline(ms);
    QTimer heartbeat; // guarantees a wake-up now and then even when nothing else happens
    heartbeat.start(10);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

#include "input/PortNames.h"

TPortRedirect::TPortRedirect(QHash<int, QString> devices) : m_devices(std::move(devices)) {
    SetPortDeviceMap([this](int n) {
        asked << n;
        return m_devices.value(n);
    });
}

TPortRedirect::~TPortRedirect() {
    SetPortDeviceMap([](int) { return QString(); });
}
