#pragma once
// Serial port numbers. The program knows a port as a number n, "COMn".
//
// On Windows that is the device COMn itself.
//
// On Linux the number stands for a device name, fixed so that it depends only on the name
// (the same adapter on the same device name keeps its number across restarts):
//   COM1  .. COM8   /dev/ttyUSB0 .. /dev/ttyUSB7   (USB serial adapters: FTDI, PL2303, CP210x)
//   COM9  .. COM12  /dev/ttyACM0 .. /dev/ttyACM3   (USB CDC modems)
//   COM13 .. COM16  /dev/ttyS0   .. /dev/ttyS3     (built-in ports)
// Other numbers name no device. The environment variable VELTARO_COM<n> (for example
// VELTARO_COM3=/dev/serial/by-id/usb-FTDI_...) replaces the device of one number.
#include <functional>
#include <QList>
#include <QString>

constexpr int MaxProbedPort = 16;

// The device Open and the probe use for port n: "COMn" on Windows, the mapped path on Linux
// ("" if none); the test map's answer while one is set.
QString PortDeviceName(int n);
// The device port n has on this machine, whatever map is set.
QString SystemPortDeviceName(int n);
// Tests: every port number goes through this map instead (an empty function restores the
// machine's devices). Test programs set one that names no real device, since on many
// machines /dev/ttyS0 is the console and a test must never open it.
void SetPortDeviceMap(std::function<QString(int)> map);
// How the port is shown: "COMn" on Windows, "COMn (/dev/...)" on Linux.
QString PortDisplayName(int n);
// Looks at COM1..COM16 and returns their PortMask: bit n-1 set when COMn is a character
// device that opens exclusively, the high 16 bits the highest such n (0 when none).
quint32 ProbePorts();
// PortMask from a test of each number 1..16.
quint32 MakePortMask(const std::function<bool(int)>& present);
// The numbers a PortMask lists, rising.
QList<int> PortsInMask(quint32 mask);
