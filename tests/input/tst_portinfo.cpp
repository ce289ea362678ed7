// Which device and adapter a port number is on this machine, and whether it can be had.
#include "input/PortInfo.h"
#include "input/PortNames.h"
#include "ModelSupport.h"

#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {
void Write(const QString& file, const QByteArray& text) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// A folder laid out as the kernel's sysfs shows a serial device: class/tty/<tty>/device is a
// link into the device tree, where the USB device (with its names) sits `up` levels above.
void AddTty(const QString& root, const QString& tty, const QString& devicePath,
            const QByteArray& maker, const QByteArray& product, bool usb) {
    const QString device = root + "/devices/" + devicePath;
    QDir().mkpath(device);
    QDir().mkpath(root + "/class/tty/" + tty);
    QVERIFY(QFile::link(device, root + "/class/tty/" + tty + "/device"));
    if (!usb) return;
    // The USB device is the folder that holds the interface ("1-1" above "1-1:1.0").
    QString usbDevice = device;
    while (!QFileInfo(usbDevice).fileName().contains(':'))
        usbDevice = QFileInfo(usbDevice).path();
    usbDevice = QFileInfo(usbDevice).path();
    Write(usbDevice + "/idVendor", "0403\n");
    if (!maker.isNull()) Write(usbDevice + "/manufacturer", maker);
    if (!product.isNull()) Write(usbDevice + "/product", product);
}
} // namespace

class TestPortInfo : public QObject {
    Q_OBJECT
private slots:
    void adapterName_data() {
        QTest::addColumn<QString>("tty");
        QTest::addColumn<QString>("devicePath");
        QTest::addColumn<QByteArray>("maker");
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<bool>("usb");
        QTest::addColumn<QString>("name");
        QTest::newRow("FTDI adapter")
            << "ttyUSB0"
            << "pci0/usb1/1-1/1-1:1.0/ttyUSB0" << QByteArray("FTDI\n")
            << QByteArray("FT232R USB UART\n") << true << "FTDI FT232R USB UART";
        QTest::newRow("CDC modem, interface is the device link")
            << "ttyACM0"
            << "pci0/usb1/1-2/1-2:1.0" << QByteArray("Arduino (www.arduino.cc)")
            << QByteArray("0043") << true << "Arduino (www.arduino.cc) 0043";
        QTest::newRow("product names the maker already")
            << "ttyUSB1"
            << "pci0/usb1/1-3/1-3:1.0/ttyUSB1" << QByteArray("Prolific")
            << QByteArray("Prolific USB-Serial Controller") << true
            << "Prolific USB-Serial Controller";
        QTest::newRow("no product") << "ttyUSB2"
                                    << "pci0/usb1/1-4/1-4:1.0/ttyUSB2" << QByteArray("Silicon Labs")
                                    << QByteArray() << true << "Silicon Labs";
        QTest::newRow("built-in port")
            << "ttyS0"
            << "pnp0/00:01/tty/ttyS0" << QByteArray() << QByteArray() << false << "";
        QTest::newRow("unknown to the kernel") << "ttyUSB7"
                                               << "" << QByteArray() << QByteArray() << false << "";
    }
    void adapterName() {
        QFETCH(QString, tty);
        QFETCH(QString, devicePath);
        QFETCH(QByteArray, maker);
        QFETCH(QByteArray, product);
        QFETCH(bool, usb);
        QFETCH(QString, name);
        QTemporaryDir sys;
        if (!devicePath.isEmpty()) AddTty(sys.path(), tty, devicePath, maker, product, usb);
        QCOMPARE(SerialAdapterName("/dev/" + tty, sys.path()), name);
    }

    // A stable name (a link under /dev/serial/by-id) is followed to the tty it names.
    void adapterNameThroughLink() {
        QTemporaryDir sys, dev;
        AddTty(sys.path(), "ttyUSB3", "usb1/1-1/1-1:1.0/ttyUSB3", "FTDI", "FT231X", true);
        Write(dev.filePath("ttyUSB3"), "");
        QVERIFY(QFile::link(dev.filePath("ttyUSB3"), dev.filePath("usb-FTDI_FT231X-if00")));
        QCOMPARE(SerialAdapterName(dev.filePath("usb-FTDI_FT231X-if00"), sys.path()),
                 QString("FTDI FT231X"));
    }

    void deviceText_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("text");
        QTest::newRow("mapped, adapter known") << "/dev/ttyUSB0"
                                               << "COM4 = /dev/ttyUSB0 (FTDI X)";
        QTest::newRow("mapped, no adapter") << "/dev/ttyS9"
                                            << "COM4 = /dev/ttyS9";
        QTest::newRow("no device") << ""
                                   << "COM4 = kein Gerät";
    }
    void deviceText() {
        QFETCH(QString, device);
        QFETCH(QString, text);
        QTemporaryDir sys;
        AddTty(sys.path(), "ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0", "FTDI", "X", true);
        TPortRedirect redirect({{4, device}});
        QCOMPARE(PortDeviceText(4, sys.path()), text);
    }

    void state_data() {
        QTest::addColumn<QString>("device"); // "pty": a free terminal
        QTest::addColumn<int>("state");
        QTest::newRow("free terminal") << "pty" << int(TPortState::Free);
        QTest::newRow("not there") << "/nonexistent/ttyUSB0" << int(TPortState::Gone);
        QTest::newRow("no device for the number") << "" << int(TPortState::Gone);
        QTest::newRow("a device that is no port") << "/dev/null" << int(TPortState::Busy);
    }
    void state() {
        QFETCH(QString, device);
        QFETCH(int, state);
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        TPortRedirect redirect({{2, device == "pty" ? QString(ptsname(master)) : device}});
        QCOMPARE(int(PortState(2)), state);
        QCOMPARE(PortStateText(TPortState(state)).isEmpty(), state == int(TPortState::Free));
        ::close(master);
    }
};

QTEST_MAIN(TestPortInfo)
#include "tst_portinfo.moc"
