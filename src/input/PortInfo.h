#pragma once
// What the operator needs to know about a port number before choosing it: which device it is
// on this machine, which adapter sits behind it, and whether it can be had right now.
#include <QString>

enum class TPortState {
    Free, // the device is there and opens exclusively
    Busy, // the device is there but another program (or this one) holds it
    Gone, // no such device (unplugged, or the number names none)
};

// The adapter behind a Linux serial device as the kernel names it, for example
// "FTDI FT232R USB UART"; empty for a built-in port or where the system says nothing.
// sysRoot is the sysfs mount ("/sys"); tests hand in a folder laid out like it.
QString SerialAdapterName(const QString& device, const QString& sysRoot = QStringLiteral("/sys"));

// Looks at port n's device now (opening it for a moment when it is there).
TPortState PortState(int n);

// One line telling port n's device: "COM1 = /dev/ttyUSB0 (FTDI FT232R USB UART)", or just
// "COM1" where a port number is its own device name (Windows).
QString PortDeviceText(int n, const QString& sysRoot = QStringLiteral("/sys"));

// The words the settings dialog adds for a port that cannot be had.
QString PortStateText(TPortState state);
