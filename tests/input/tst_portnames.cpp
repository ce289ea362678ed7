#include "input/Comms.h"
#include "input/PortNames.h"
#include "ModelSupport.h"

#include <QtTest>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

class TestPortNames : public QObject {
    Q_OBJECT
private slots:
    void portMask_data() {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<uint>("mask");
        QTest::newRow("none") << QList<int>{} << 0u;
        QTest::newRow("COM1") << QList<int>{1} << 0x00010001u;
        QTest::newRow("COM1, COM3, COM16") << QList<int>{1, 3, 16} << 0x00108005u;
        QTest::newRow("COM12 alone") << QList<int>{12} << 0x000C0800u;
    }
    void portMask() {
        QFETCH(QList<int>, present);
        QFETCH(uint, mask);
        QCOMPARE(MakePortMask([&](int n) { return present.contains(n); }), quint32(mask));
        QCOMPARE(PortsInMask(mask), present);
    }

#ifdef Q_OS_LINUX
    void linuxNames_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("device");
        QTest::newRow("COM1") << 1 << "/dev/ttyUSB0";
        QTest::newRow("COM8") << 8 << "/dev/ttyUSB7";
        QTest::newRow("COM9") << 9 << "/dev/ttyACM0";
        QTest::newRow("COM12") << 12 << "/dev/ttyACM3";
        QTest::newRow("COM13") << 13 << "/dev/ttyS0";
        QTest::newRow("COM16") << 16 << "/dev/ttyS3";
        QTest::newRow("COM17 unmapped") << 17 << "";
        QTest::newRow("no port") << 0 << "";
    }
    void linuxNames() {
        QFETCH(int, n);
        QFETCH(QString, device);
        const QByteArray var = "VELTARO_COM" + QByteArray::number(n);
        qunsetenv(var);
        QCOMPARE(SystemPortDeviceName(n), device);
        qputenv(var, "/dev/serial/by-id/adapter");
        QCOMPARE(SystemPortDeviceName(n), n > 0 ? QString("/dev/serial/by-id/adapter") : QString());
        qunsetenv(var);
        TPortRedirect redirect({{n, device}});
        if (!device.isEmpty())
            QCOMPARE(PortDisplayName(n), QString("COM%1 (%2)").arg(n).arg(device));
    }

    // Every test program starts with each port number pointing at no device, whatever the
    // machine has and whatever its environment says.
    void testProgramsNameNoDevice() {
        qputenv("VELTARO_COM3", "/dev/ttyS0");
        for (int n = 0; n <= 255; ++n)
            QVERIFY2(PortDeviceName(n).isEmpty(), qPrintable(QString::number(n)));
        qunsetenv("VELTARO_COM3");
    }

    // Only character devices that open exclusively are listed.
    void probe() {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        TPortRedirect redirect({{1, "/nonexistent/tty"},
                                {2, ptsname(master)},
                                {3, "/dev/null"},   // character device, but no terminal
                                {4, "/etc/passwd"}, // not a device at all
                                {6, ptsname(master)}});
        QCOMPARE(ProbePorts(), 0x00060022u);
        ::close(master);
    }
#endif
};

QTEST_MAIN(TestPortNames)
#include "tst_portnames.moc"
