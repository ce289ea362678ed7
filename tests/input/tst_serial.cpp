// The serial layer as the contacts meet it: the real event thread over a simulated device, the
// Linux device on pseudo-terminals (real opens, locks, exclusivity) with simulated modem lines
// where a pseudo-terminal has none, and which device a port number names. No test here opens a
// real port: every number goes through TPortRedirect or names no device at all.
#include "core/TickCount.h"
#include "input/Comms.h"
#include "input/PortInfo.h"
#include "input/PortNames.h"
#include "ModelSupport.h"

#include <atomic>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include "input/ComDevicePosix.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {
// Every line notification of a port, as "NAME" or, given the lines, "NAME#n" with n the device
// wake-up that carried it; and the ticks they brought.
struct TLineLog {
    QStringList seen;
    QList<quint32> ticks;
    bool offGuiThread = false;
    TLineLog(TComPort& p, const TSimComLines* lines) {
        const auto on = [&](void (TComPort::*signal)(quint32), const char* name) {
            QObject::connect(&p, signal, &p, [this, lines, name](quint32 tick) {
                offGuiThread |= QThread::currentThread() != qApp->thread();
                seen << (lines ? QString("%1#%2").arg(name).arg(lines->wakes()) : QString(name));
                ticks << tick;
            });
        };
        on(&TComPort::OnCTS, "CTS");
        on(&TComPort::OnDSR, "DSR");
        on(&TComPort::OnRLSD, "RLSD");
        on(&TComPort::OnRing, "RING");
    }
};

#ifndef Q_OS_WIN
// A pseudo-terminal pair; the slave's path stands for the port.
struct TPty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    std::string slave;
    TPty() {
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~TPty() { ::close(master); }
};

// Another program's descriptor on the same tty.
struct THolder {
    int fd;
    explicit THolder(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~THolder() { ::close(fd); }
    bool exclusiveFlag() const {
        int excl = 0;
        return ioctl(fd, TIOCGEXCL, &excl) == 0 && excl != 0;
    }
};

void Write(const QString& file, const QByteArray& text) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// A folder laid out as sysfs shows a tty: class/tty/<tty>/device links into the device tree,
// where the USB device (the folder above the interface "1-1:1.0") holds the names.
void AddTty(const QString& root, const QString& tty, const QString& devicePath,
            const QByteArray& maker, const QByteArray& product, bool usb) {
    const QString device = root + "/devices/" + devicePath;
    QDir().mkpath(device);
    QDir().mkpath(root + "/class/tty/" + tty);
    QVERIFY(QFile::link(device, root + "/class/tty/" + tty + "/device"));
    if (!usb) return;
    QString usbDevice = device;
    while (!QFileInfo(usbDevice).fileName().contains(':'))
        usbDevice = QFileInfo(usbDevice).path();
    usbDevice = QFileInfo(usbDevice).path();
    Write(usbDevice + "/idVendor", "0403\n");
    if (!maker.isNull()) Write(usbDevice + "/manufacturer", maker);
    if (!product.isNull()) Write(usbDevice + "/product", product);
}
#endif
} // namespace

class TestSerial : public QObject {
    Q_OBJECT
    QTemporaryDir m_lockDir;

private slots:
#ifndef Q_OS_WIN
    void initTestCase() {
        SetComLockDirectory(m_lockDir.path().toStdString());
    }
#endif

    // --- the event thread over the simulated device -------------------------------------------

    // The contacts are fed from DTR and RTS: open raises what the settings ask for, close drops
    // both, and opening an open port closes it first.
    void outputLines_data() {
        QTest::addColumn<int>("flow");
        QTest::addColumn<bool>("enableDTR");
        QTest::addColumn<bool>("rts");
        QTest::newRow("main window: RTS/CTS, DTR") << int(fcRtsCts) << true << true;
        QTest::newRow("no handshake: RTS low") << int(fcNone) << true << false;
        QTest::newRow("XON/XOFF: RTS low") << int(fcXonXoff) << true << false;
        QTest::newRow("DTR disabled") << int(fcRtsCts) << false << true;
    }
    void outputLines() {
        QFETCH(int, flow);
        QFETCH(bool, enableDTR);
        QFETCH(bool, rts);
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setFlowControl(TFlowControl(flow));
        p.setEnableDTR(enableDTR);
        QStringList log;
        QObject::connect(&p, &TComPort::OnOpen, &p, [&] { log << "open"; });
        QObject::connect(&p, &TComPort::OnClose, &p, [&] { log << "close"; });
        p.Close();
        p.Open();
        QCOMPARE(lines->dtr(), enableDTR);
        QCOMPARE(lines->rts(), rts);
        p.Open();
        QVERIFY(p.Connected());
        p.Close();
        p.Close();
        QCOMPARE(log, (QStringList{"open", "close", "open", "close"}));
        QVERIFY(!lines->isOpen() && !lines->dtr() && !lines->rts());
    }

    // Which notifications the lines' changes give, each numbered by the device wake-up that
    // carried it, and the line word they leave.
    void lineEdges_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<uint>("word");
        QTest::newRow("three lines at once, in the fixed order")
            << 0 << QStringList{"CTS#1", "DSR#1", "RLSD#1"} << 0xB0u;
        QTest::newRow("DCD and CTS while DSR is handed over")
            << 1 << QStringList{"DSR#1", "CTS#2", "RLSD#2"} << 0xB0u;
        QTest::newRow("DSR on and off again while CTS is handed over")
            << 2 << QStringList{"CTS#1", "DSR#2"} << 0x10u;
        QTest::newRow("a line not asked for is not reported") << 3 << QStringList{"CTS#1"} << 0xB0u;
        QTest::newRow("a line set to its own level is no edge")
            << 4 << QStringList{"CTS#1"} << 0x10u;
    }
    void lineEdges() {
        QFETCH(int, scenario);
        QFETCH(QStringList, expected);
        QFETCH(uint, word);
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents(scenario == 3 ? TEvents{evCTS} : TEvents{evCTS, evDSR, evRLSD, evRing});
        TLineLog log(p, lines.get());
        QObject::connect(&p, &TComPort::OnDSR, &p, [&] {
            if (scenario != 1 || log.seen.size() != 1) return;
            lines->setDCD(true);
            lines->setCTS(true);
        });
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] {
            if (scenario != 2 || log.seen.size() != 1) return;
            lines->setDSR(true);
            lines->setDSR(false);
        });
        p.Open();
        if (scenario == 1) lines->setDSR(true);
        if (scenario == 0 || scenario == 3) lines->setLines(true, true, true);
        if (scenario == 2 || scenario == 4) lines->setCTS(true);
        if (scenario == 4) {
            lines->setCTS(true);
            lines->setDSR(false);
        }
        QVERIFY(WaitUntil([&] { return log.seen.size() >= expected.size(); }));
        QTest::qWait(20); // nothing more may come
        QCOMPARE(log.seen, expected);
        QCOMPARE(p.ModemStatus(), quint32(word));
        QVERIFY(!log.offGuiThread);
    }

    // A notification carries the tick the event thread read on waking, not the one the GUI
    // thread reads when it gets round to the handler; each line on its own signal.
    void edgeTick_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("name");
        QTest::newRow("CTS") << 0 << "CTS";
        QTest::newRow("DSR") << 1 << "DSR";
        QTest::newRow("DCD") << 2 << "RLSD";
        QTest::newRow("RI") << 3 << "RING";
    }
    void edgeTick() {
        QFETCH(int, line);
        QFETCH(QString, name);
        TManualClock clock;
        clock.now = 0xFFFFFF00u; // just below the wrap: passed on unchanged
        std::atomic<int> threadReads{0};
        SetTickSource([&] {
            if (QThread::currentThread() != qApp->thread()) ++threadReads;
            return clock.now.load();
        });
        const auto restore = qScopeGuard([] { SetTickSource({}); });
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents({evCTS, evDSR, evRLSD, evRing});
        TLineLog log(p, nullptr);
        p.Open();
        const quint32 edge = clock.now;
        void (TSimComLines::*set[])(bool) = {&TSimComLines::setCTS, &TSimComLines::setDSR,
                                             &TSimComLines::setDCD, &TSimComLines::setRI};
        (lines.get()->*set[line])(true);
        QDeadlineTimer deadline(
            5000); // no events yet: the handler must not run before the busy spell
        while (threadReads == 0 && !deadline.hasExpired())
            QThread::yieldCurrentThread();
        QCOMPARE(threadReads.load(), 1);
        clock.advance(500); // the GUI thread is busy for half a second
        QVERIFY(WaitUntil([&] { return !log.seen.isEmpty(); }));
        QCOMPARE(log.seen, QStringList{name});
        QCOMPARE(log.ticks, QList<quint32>{edge});
    }

    // A failed read is no line state: TryModemStatus says so rather than "every line low".
    void failedReadIsNoState() {
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        QVERIFY(!p.TryModemStatus());
        p.Open();
        lines->setCTS(true);
        lines->failLineReads(1);
        QVERIFY(!p.TryModemStatus());
        QCOMPARE(p.TryModemStatus(), std::optional<quint32>(0x10));
    }

    // Close while a hand-over is on its way neither deadlocks nor lets a handler run after it.
    void closeWhileHandingOver_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("the hand-over waits in the queue") << 0;
        QTest::newRow("from inside the handler") << 1;
        QTest::newRow("from a nested event loop of a slow handler") << 2;
    }
    void closeWhileHandingOver() {
        QFETCH(int, mode);
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents({evCTS});
        int handled = 0, closes = 0, afterClose = 0;
        QObject::connect(&p, &TComPort::OnClose, &p, [&] { ++closes; });
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] {
            afterClose += !p.Connected();
            ++handled;
            if (mode == 1) p.Close();
            if (mode != 2) return;
            QThread::usleep(200);
            QTimer::singleShot(0, &p, [&] { p.Close(); });
            QEventLoop loop;
            QTimer::singleShot(1, &loop, &QEventLoop::quit);
            loop.exec();
        });
        const int rounds = 1000;
        for (int i = 0; i < rounds; ++i) {
            p.Open();
            const auto wakes = lines->wakes();
            lines->setCTS(i % 2 == 0);
            if (mode == 0) { // the thread is awake and has queued its hand-over
                while (lines->wakes() == wakes)
                    QThread::yieldCurrentThread();
                p.Close();
            } else {
                QVERIFY2(WaitUntil([&] { return !p.Connected(); }), qPrintable(QString::number(i)));
            }
        }
        QCoreApplication::processEvents(); // abandoned hand-overs come up here and are dropped
        QCOMPARE(closes, rounds);
        QCOMPARE(afterClose, 0);
        if (mode != 0) QCOMPARE(handled, rounds);
    }

    // An adapter pulled out closes the port once, on the GUI thread, and the thread stops
    // waiting on it; plugged in again, it opens and reports edges.
    void unplugged() {
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        TLineLog log(p, nullptr);
        int closes = 0;
        QObject::connect(&p, &TComPort::OnClose, &p,
                         [&] { closes += QThread::currentThread() == qApp->thread() ? 1 : 100; });
        p.Open();
        const auto waits = lines->waitCalls();
        lines->unplug();
        QVERIFY(WaitUntil([&] { return !p.Connected(); }));
        QTest::qWait(50);
        QCOMPARE(closes, 1);
        QVERIFY(!lines->isOpen());
        QVERIFY(lines->waitCalls() - waits <= 1); // given up, not waiting again and again
        p.Open();
        lines->setCTS(true);
        QVERIFY(WaitUntil([&] { return log.seen == QStringList{"CTS"}; }));
    }

#ifndef Q_OS_WIN
    // --- the Linux device ----------------------------------------------------------------------

    // Twice each: a failed Open must neither keep the device (the second try would say busy)
    // nor leave its exclusive flag on a tty another program has open.
    void openFailures_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing device") << "/nonexistent/ttyUSB9"
                                        << "Unable to open com port: No such file or directory";
        QTest::newRow("not a terminal")
            << "/dev/null"
            << "Unable to open com port: Inappropriate ioctl for device";
        QTest::newRow("pseudo-terminal: no modem lines")
            << "pty"
            << "Unable to set com state: Inappropriate ioctl for device";
    }
    void openFailures() {
        QFETCH(QString, device);
        QFETCH(QString, message);
        TPty pty;
        THolder other(pty.slave);
        TPortRedirect redirect({{7, device == "pty" ? QString::fromStdString(pty.slave) : device}});
        TComPort p; // the platform's device
        p.setPort(7);
        int opened = 0;
        QObject::connect(&p, &TComPort::OnOpen, &p, [&] { ++opened; });
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                p.Open();
                QFAIL("opened");
            } catch (const EComError& e) {
                QCOMPARE(QString(e.what()), message);
            }
        }
        QVERIFY(!p.Connected());
        QCOMPARE(opened, 0);
        QVERIFY(!other.exclusiveFlag());
    }

    // A port someone holds is neither reported free nor opened. Ours is held exclusively while
    // open, and our flag never outlives our use (it belongs to the tty, not the descriptor).
    void heldPorts_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("free");
        QTest::newRow("nobody") << "none" << true;
        QTest::newRow("UUCP lock of a live process") << "lock-live" << false;
        QTest::newRow("UUCP lock, binary form") << "lock-binary" << false;
        QTest::newRow("stale UUCP lock") << "lock-stale" << true;
        QTest::newRow("unreadable UUCP lock") << "lock-garbage" << true;
        QTest::newRow("flock") << "flock" << false;
        QTest::newRow("its exclusive flag") << "excl" << false;
        QTest::newRow("this program, open already") << "self" << false;
    }
    void heldPorts() {
        QFETCH(QString, holder);
        QFETCH(bool, free);
        TPty pty;
        THolder other(pty.slave);
        QVERIFY(other.fd >= 0);
        // Terminal programs name the lock after the path below /dev, '/' as '_'.
        QFile lock(m_lockDir.filePath("LCK.." +
                                      QString::fromStdString(pty.slave).mid(5).replace('/', '_')));
        const auto removeLock = qScopeGuard([&] { lock.remove(); });
        if (holder.startsWith("lock")) { // the ASCII form is ten columns wide, as uucp writes it
            QVERIFY(lock.open(QIODevice::WriteOnly));
            const int pid = holder == "lock-stale" ? INT_MAX : int(getppid());
            if (holder == "lock-binary")
                lock.write(reinterpret_cast<const char*>(&pid), sizeof pid);
            else
                lock.write(holder == "lock-garbage"
                               ? "minicom\n"
                               : QByteArray::number(pid).rightJustified(10) + '\n');
            lock.close();
        }
        if (holder == "flock") QCOMPARE(flock(other.fd, LOCK_EX | LOCK_NB), 0);
        if (holder == "excl") QCOMPARE(ioctl(other.fd, TIOCEXCL), 0);
        auto mine = CreatePlatformComDevice(pty.slave);
        if (holder == "self") mine->open();

        QCOMPARE(ProbeComDevice(pty.slave), free);
        auto d = CreatePlatformComDevice(pty.slave);
        if (free) {
            d->open();
            QVERIFY(other.exclusiveFlag());
            d.reset(); // destroyed without a close
        } else {
            try {
                d->open();
                QFAIL("opened a port that is held");
            } catch (const EComHandle& e) {
                QCOMPARE(QString(e.what()), "Unable to open com port: Device or resource busy");
            }
        }
        mine.reset();
        QCOMPARE(other.exclusiveFlag(), holder == "excl"); // theirs stays, ours never does
    }

    // Failed line reads in the event thread: only an adapter that is gone closes the port, and
    // once its node has gone it is given up at the first failure.
    void failedReads_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("err");
        QTest::addColumn<bool>("nodeGone");
        QTest::addColumn<bool>("closes");
        QTest::newRow("one protocol error") << 1 << EPROTO << false << false;
        QTest::newRow("a few time-outs") << 3 << ETIMEDOUT << false << false;
        QTest::newRow("a few EAGAIN") << 4 << EAGAIN << false << false;
        QTest::newRow("EIO: unplugged") << 1 << EIO << false << true;
        QTest::newRow("ENODEV: unplugged") << 1 << ENODEV << false << true;
        QTest::newRow("ENXIO: unplugged") << 1 << ENXIO << false << true;
        QTest::newRow("errors that do not pass") << 50 << EPROTO << false << true;
        QTest::newRow("its node removed, any error") << 5 << EPROTO << true << true;
    }
    void failedReads() {
        QFETCH(int, failures);
        QFETCH(int, err);
        QFETCH(bool, nodeGone);
        QFETCH(bool, closes);
        TPty pty;
        QTemporaryDir dir;
        const QString link = dir.filePath("usb-by-id");
        QVERIFY(QFile::link(QString::fromStdString(pty.slave), link));
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, link.toStdString()));
        p.setEvents({evCTS, evDSR, evRLSD});
        TLineLog log(p, nullptr);
        int closed = 0;
        QObject::connect(&p, &TComPort::OnClose, &p, [&] { ++closed; });
        p.Open();
        if (nodeGone) QVERIFY(QFile::remove(link));
        lines->failLineReads(failures, err);
        lines->setCTS(true);
        if (closes) {
            QVERIFY(WaitUntil([&] { return closed == 1; }));
            QCOMPARE(log.seen, QStringList());
            if (nodeGone) QCOMPARE(lines->failedReadsLeft(), failures - 1);
        } else {
            QVERIFY(WaitUntil([&] { return log.seen.size() == 1; }));
            QVERIFY(p.Connected());
            QCOMPARE(p.ModemStatus(), 0x10u);
        }
    }

    // Whatever the driver offers, every edge arrives, in the fixed order. A contact that
    // closes and opens again while the thread hands over shows only in the counters.
    void drivers_data() {
        QTest::addColumn<bool>("counters");
        QTest::addColumn<bool>("canWait");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ftdi_sio: waits, counts")
            << true << true << QStringList{"DSR", "CTS", "CTS", "RLSD"};
        QTest::newRow("pl2303, ch341: waits, no counters")
            << false << true << QStringList{"DSR", "CTS", "RLSD"};
        QTest::newRow("cp210x: neither, read every millisecond")
            << false << false << QStringList{"DSR", "CTS", "RLSD"};
    }
    void drivers() {
        QFETCH(bool, counters);
        QFETCH(bool, canWait);
        QFETCH(QStringList, expected);
        TPty pty;
        auto lines = std::make_shared<TSimComLines>();
        lines->setDriver(counters, canWait);
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, pty.slave));
        p.setEvents({evCTS, evDSR, evRLSD});
        TLineLog log(p, nullptr);
        QObject::connect(&p, &TComPort::OnDSR, &p, [&] {
            lines->setCTS(true);
            lines->setCTS(false);
        });
        p.Open();
        QVERIFY(lines->dtr() && !lines->rts()); // no handshake set: DTR raised, RTS low
        QVERIFY(lines->lowLatency());
        lines->setDSR(true);
        QVERIFY(WaitUntil([&] { return log.seen.size() >= expected.size() - 2; }));
        QTest::qWait(20);
        lines->setLines(true, true, true); // CTS and DCD together
        QVERIFY(WaitUntil([&] { return log.seen.size() >= expected.size(); }));
        QTest::qWait(20);
        QCOMPARE(log.seen, expected);
        p.Close();
        QVERIFY(!lines->lowLatency()); // the driver's mode put back
    }

    // An edge at the very moment the kernel enters its wait is noted there as already seen;
    // the second look finds it.
    void edgeAtTheWaitEntry() {
        TPty pty;
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, pty.slave));
        p.setEvents({evCTS});
        QList<quint32> seen;
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] { seen << p.ModemStatus(); });
        lines->toggleCtsAtNextWaitEntry();
        p.Open();
        QVERIFY(WaitUntil([&] { return !seen.isEmpty(); }));
        QCOMPARE(seen.first(), 0x10u);
    }

    // --- port numbers and devices --------------------------------------------------------------

    void portNames_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("device");
        QTest::newRow("COM1") << 1 << "/dev/ttyUSB0";
        QTest::newRow("COM8") << 8 << "/dev/ttyUSB7";
        QTest::newRow("COM9") << 9 << "/dev/ttyACM0";
        QTest::newRow("COM12") << 12 << "/dev/ttyACM3";
        QTest::newRow("COM13") << 13 << "/dev/ttyS0";
        QTest::newRow("COM16") << 16 << "/dev/ttyS3";
        QTest::newRow("COM17 names none") << 17 << "";
        QTest::newRow("no port") << 0 << "";
    }
    void portNames() {
        QFETCH(int, n);
        QFETCH(QString, device);
        const QByteArray var = "VELTARO_COM" + QByteArray::number(n);
        qunsetenv(var);
        QCOMPARE(SystemPortDeviceName(n), device);
        qputenv(var, "/dev/serial/by-id/adapter");
        QCOMPARE(SystemPortDeviceName(n), n > 0 ? "/dev/serial/by-id/adapter" : QString());
        qunsetenv(var);
        TPortRedirect redirect({{n, device}});
        QCOMPARE(PortDisplayName(n), device.isEmpty() ? QString("COM%1").arg(n)
                                                      : QString("COM%1 (%2)").arg(n).arg(device));
    }

    // Every test program starts with each port number naming no device, whatever the machine
    // has and whatever its environment says.
    void testsNameNoDevice() {
        qputenv("VELTARO_COM3", "/dev/ttyS0");
        for (int n = 0; n <= 255; ++n)
            QVERIFY2(PortDeviceName(n).isEmpty(), qPrintable(QString::number(n)));
        qunsetenv("VELTARO_COM3");
    }

    // Only character devices that open exclusively are listed.
    void probe() {
        TPty pty;
        TPortRedirect redirect({{1, "/nonexistent/tty"},
                                {2, QString::fromStdString(pty.slave)},
                                {3, "/dev/null"},   // a character device, but no terminal
                                {4, "/etc/passwd"}, // no device at all
                                {6, QString::fromStdString(pty.slave)}});
        const quint32 mask = ProbePorts();
        QCOMPARE(mask, 0x00060022u);
        QCOMPARE(PortsInMask(mask), (QList<int>{2, 6}));
        QCOMPARE(PortsInMask(MakePortMask([](int n) { return n == 16; })), QList<int>{16});
    }

    // The line that tells the operator which device and adapter a port number is.
    void deviceText_data() {
        QTest::addColumn<QString>("tty"); // "" no device
        QTest::addColumn<QString>("sysPath");
        QTest::addColumn<QByteArray>("maker");
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<bool>("link"); // the port is named by a stable link to the tty
        QTest::addColumn<QString>("text");
        const QString usb = "pci0/usb1/1-1/1-1:1.0/";
        QTest::newRow("FTDI adapter")
            << "ttyUSB0" << usb + "ttyUSB0" << QByteArray("FTDI\n")
            << QByteArray("FT232R USB UART\n") << false << "COM4 = %1 (FTDI FT232R USB UART)";
        QTest::newRow("CDC modem, the interface is the device")
            << "ttyACM0"
            << "pci0/usb1/1-2/1-2:1.0" << QByteArray("Arduino (www.arduino.cc)")
            << QByteArray("0043") << false << "COM4 = %1 (Arduino (www.arduino.cc) 0043)";
        QTest::newRow("product names the maker already")
            << "ttyUSB1" << usb + "ttyUSB1" << QByteArray("Prolific")
            << QByteArray("Prolific USB-Serial Controller") << false
            << "COM4 = %1 (Prolific USB-Serial Controller)";
        QTest::newRow("no product") << "ttyUSB2" << usb + "ttyUSB2" << QByteArray("Silicon Labs")
                                    << QByteArray() << false << "COM4 = %1 (Silicon Labs)";
        QTest::newRow("a link under by-id, followed")
            << "ttyUSB3" << usb + "ttyUSB3" << QByteArray("FTDI") << QByteArray("FT231X") << true
            << "COM4 = %1 (FTDI FT231X)";
        QTest::newRow("built-in port")
            << "ttyS0"
            << "pnp0/00:01/tty/ttyS0" << QByteArray() << QByteArray() << false << "COM4 = %1";
        QTest::newRow("unknown to the kernel")
            << "ttyUSB7"
            << "" << QByteArray() << QByteArray() << false << "COM4 = %1";
        QTest::newRow("no device")
            << ""
            << "" << QByteArray() << QByteArray() << false << "COM4 = kein Gerät";
    }
    void deviceText() {
        QFETCH(QString, tty);
        QFETCH(QString, sysPath);
        QFETCH(QByteArray, maker);
        QFETCH(QByteArray, product);
        QFETCH(bool, link);
        QFETCH(QString, text);
        QTemporaryDir sys, dev;
        if (!sysPath.isEmpty())
            AddTty(sys.path(), tty, sysPath, maker, product, sysPath.startsWith("pci0/usb1"));
        QString device = tty.isEmpty() ? QString() : dev.filePath(tty);
        if (link) {
            Write(device, "");
            QVERIFY(QFile::link(device, dev.filePath("usb-adapter-if00")));
            device = dev.filePath("usb-adapter-if00");
        }
        TPortRedirect redirect({{4, device}});
        QCOMPARE(PortDeviceText(4, sys.path()), tty.isEmpty() ? text : text.arg(device));
    }

    void portState_data() {
        QTest::addColumn<QString>("device"); // "pty": a free terminal
        QTest::addColumn<int>("state");
        QTest::newRow("free terminal") << "pty" << int(TPortState::Free);
        QTest::newRow("not there") << "/nonexistent/ttyUSB0" << int(TPortState::Gone);
        QTest::newRow("no device for the number") << "" << int(TPortState::Gone);
        QTest::newRow("a device that is no port") << "/dev/null" << int(TPortState::Busy);
    }
    void portState() {
        QFETCH(QString, device);
        QFETCH(int, state);
        TPty pty;
        TPortRedirect redirect({{2, device == "pty" ? QString::fromStdString(pty.slave) : device}});
        QCOMPARE(int(PortState(2)), state);
        QCOMPARE(PortStateText(TPortState(state)).isEmpty(), state == int(TPortState::Free));
    }
#endif
};

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
