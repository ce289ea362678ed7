#include "input/PortNames.h"

#include "input/ComDevice.h"

#include <QList>

namespace {
QString MappedDevice(int n) {
    if (n <= 0) return {};
    const QByteArray over = qgetenv(QByteArray("VELTARO_COM") + QByteArray::number(n));
    if (!over.isEmpty()) return QString::fromLocal8Bit(over);
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    if (n <= 8) return QStringLiteral("/dev/ttyUSB%1").arg(n - 1);
    if (n <= 12) return QStringLiteral("/dev/ttyACM%1").arg(n - 9);
    if (n <= 16) return QStringLiteral("/dev/ttyS%1").arg(n - 13);
    return {};
#endif
}

std::function<QString(int)>& DeviceMap() {
    static std::function<QString(int)> map;
    return map;
}
} // namespace

QString PortDeviceName(int n) {
    const auto& map = DeviceMap();
    return map ? map(n) : MappedDevice(n);
}

QString SystemPortDeviceName(int n) {
    return MappedDevice(n);
}

void SetPortDeviceMap(std::function<QString(int)> map) {
    DeviceMap() = std::move(map);
}

QString PortDisplayName(int n) {
    const QString com = QStringLiteral("COM%1").arg(n);
#ifdef Q_OS_WIN
    return com;
#else
    const QString dev = PortDeviceName(n);
    return dev.isEmpty() ? com : com + QStringLiteral(" (") + dev + QLatin1Char(')');
#endif
}

quint32 MakePortMask(const std::function<bool(int)>& present) {
    quint32 mask = 0;
    for (int n = 1; n <= MaxProbedPort; ++n) {
        if (!present(n)) continue;
        mask |= 1u << (n - 1);
        mask = (mask & 0xFFFFu) | (quint32(n) << 16);
    }
    return mask;
}

QList<int> PortsInMask(quint32 mask) {
    QList<int> ports;
    const int highest = int(mask >> 16);
    for (int n = 1; n <= highest && n <= MaxProbedPort; ++n)
        if (mask & (1u << (n - 1))) ports.append(n);
    return ports;
}

quint32 ProbePorts() {
    return MakePortMask([](int n) {
        const QString name = PortDeviceName(n);
        return !name.isEmpty() && ProbeComDevice(name.toLocal8Bit().toStdString());
    });
}
