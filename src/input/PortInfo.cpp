#include "input/PortInfo.h"

#include "input/ComDevice.h"
#include "input/PortNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString ReadLine(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readLine(256)).trimmed();
}
} // namespace

QString SerialAdapterName(const QString& device, const QString& sysRoot) {
    if (device.isEmpty()) return {};
    // A name under /dev/serial/by-id is a link to the tty the kernel knows.
    const QString real = QFileInfo(device).canonicalFilePath();
    const QString tty = QFileInfo(real.isEmpty() ? device : real).fileName();
    if (tty.isEmpty()) return {};
    const QString link = sysRoot + QStringLiteral("/class/tty/") + tty + QStringLiteral("/device");
    QString dir = QFileInfo(link).canonicalFilePath();
    // The USB device that carries the port is a few levels above it: the port itself
    // (ttyUSB0), its interface (1-1:1.0), then the device (1-1) with the names.
    for (int up = 0; up < 4 && !dir.isEmpty(); ++up) {
        if (QFileInfo::exists(dir + QStringLiteral("/idVendor"))) {
            const QString maker = ReadLine(dir + QStringLiteral("/manufacturer"));
            const QString product = ReadLine(dir + QStringLiteral("/product"));
            if (product.startsWith(maker)) return product;
            if (product.isEmpty()) return maker;
            if (maker.isEmpty()) return product;
            return maker + QLatin1Char(' ') + product;
        }
        const QString parent = QFileInfo(dir).path();
        if (parent == dir) break;
        dir = parent;
    }
    return {};
}

TPortState PortState(int n) {
    const QString name = PortDeviceName(n);
    if (name.isEmpty()) return TPortState::Gone;
#ifndef Q_OS_WIN
    if (!QFileInfo::exists(name)) return TPortState::Gone;
#endif
    return ProbeComDevice(name.toLocal8Bit().toStdString()) ? TPortState::Free : TPortState::Busy;
}

QString PortDeviceText(int n, const QString& sysRoot) {
    const QString com = QStringLiteral("COM%1").arg(n);
#ifdef Q_OS_WIN
    Q_UNUSED(sysRoot);
    return com;
#else
    const QString device = PortDeviceName(n);
    if (device.isEmpty()) return com + QCoreApplication::translate("PortInfo", " = kein Gerät");
    const QString adapter = SerialAdapterName(device, sysRoot);
    QString text = com + QStringLiteral(" = ") + device;
    if (!adapter.isEmpty()) text += QStringLiteral(" (") + adapter + QLatin1Char(')');
    return text;
#endif
}

QString PortStateText(TPortState state) {
    switch (state) {
    case TPortState::Free:
        return {};
    case TPortState::Busy:
        return QCoreApplication::translate("PortInfo", "belegt");
    case TPortState::Gone:
        return QCoreApplication::translate("PortInfo", "nicht vorhanden");
    }
    return {};
}
